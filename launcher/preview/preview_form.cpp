// PLACEHOLDER until the preview form is built: shows nothing and loads no
// form, so the program ends as if the preview had been closed at once.
#include "launcher/preview/preview_form.h"

void ShowPreview(int32_t host)
{
    (void)host;
}
