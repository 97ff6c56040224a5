// The Japanese Gothic face the launcher's texts are drawn in (the Command
// button's caption, the settings dialog's labels), on Win32, and the fonts
// made in it for a DPI. The layouts name "ＭＳ Ｐゴシック"; a system without it
// (any without Japanese fonts, Wine) may have another proportional Gothic face
// that keeps the texts readable.
#pragma once

#include <windows.h>

#include <string>

// Whether a font face of this name is installed.
bool FaceInstalled(const std::wstring& face);

// Whether a face is one of the Gothic faces taken for "ＭＳ Ｐゴシック":
// "ＭＳ Ｐゴシック", "MS PGothic", "IPAPGothic", "IPAGothic".
bool IsGothicFace(const std::wstring& face);

// The first of those faces that is installed, in that order; empty when none
// is. Looked up once per process.
const std::wstring& InstalledGothicFace();

// A font as a layout names it; the defaults are the launcher's caption font.
struct FontLook {
    std::wstring face = L"ＭＳ Ｐゴシック";
    double points = 9.75;
    int weight = FW_NORMAL;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    BYTE charset = SHIFTJIS_CHARSET;
};

// The font at its points for a DPI (96 is 100%). A missing Gothic face, or
// any missing face asked for in the Japanese character set, is drawn in
// InstalledGothicFace() where there is one.
HFONT MakeFont(const FontLook& look, UINT dpi);
