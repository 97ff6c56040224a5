// PLACEHOLDER until the show form is built: loads no form, so the program
// ends as soon as start-up returns, as if the show had ended at once.
#include "launcher/show/show_form.h"

void LoadShowForm()
{
}
