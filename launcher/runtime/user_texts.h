// What the launcher says to the user, one table per language: Japanese, as
// the launcher has always said it, where Windows' UI language is Japanese,
// and English everywhere else. The window titles, class names and settings
// keys are not in it: other programs and stored files find the launcher by
// them, so they never change with the language. Nor are the music's MCI
// texts, which nobody is ever shown.
//
// Portable: no <windows.h>. The Windows side asks for the UI language once
// (UserTexts(), launcher/ui/text_win.h).
#pragma once

#include <cstdint>

// UTF-8 texts.
struct UserTextTable {
    const char* musicTitle;       // the music panel's group title
    const char* musicOptions[3];  // in the music kinds' order: none, CD, a file
    const char* repeatTrack;      // beside the track drop-down
    const char* keepResolution;   // the display-mode check box
    const char* set;              // the buttons
    const char* cancel;
    const char* chooserTitle;       // the file chooser's title
    const char* chooserFilterName;  // its one filter's name (the patterns are not text)
    const char* rendererMissing;    // the message box when Brinefold.dll is not beside the launcher
};

extern const UserTextTable kJapaneseTexts;
extern const UserTextTable kEnglishTexts;

// The table for a Windows language id (LANGID: its low 10 bits the primary
// language): Japanese for any Japanese, English for all else.
const UserTextTable& TextsForLanguage(uint16_t languageId);
