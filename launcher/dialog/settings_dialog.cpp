// PLACEHOLDER until the settings dialog is built: returns at once, as if the
// user had closed the dialog without saving.
#include "launcher/dialog/settings_dialog.h"

void ShowSettingsDialog()
{
}
