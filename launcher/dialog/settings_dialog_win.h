// The settings dialog Brinefold_P (caption "<Brinefold>"): shown modally, with
// no owner, by start-up for the configure command line.
//
// Does: the music choice (none, music CD with a track to repeat, an MP3 or
// WAV file through the file chooser), the maker's link, saving the three
// settings keys with the set button, the caption zooms from and back to the
// pointer's place at opening. Laid out at the display's scale (DPI-aware,
// following a move to a monitor of another scale).
// Does not: play music or start the screensaver; write anything on cancel or
// the close box.
//
// Its layout, computed pictures and saving rules are portable:
// launcher/dialog/settings_dialog.h.
#pragma once

// The dialog's caption, which start-up looks for to refuse a second dialog
// or a show beside it.
inline constexpr wchar_t kDialogCaption[] = L"<Brinefold>";

// Shows the dialog modally; returns when it has closed.
void ShowSettingsDialog();
