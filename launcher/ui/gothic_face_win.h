// The Japanese Gothic face the launcher's texts are drawn in (the Command
// button's caption, the settings dialog's labels), on Win32. The layouts name
// "ＭＳ Ｐゴシック"; a system without it (any without Japanese fonts, Wine)
// may have another proportional Gothic face that keeps the texts readable.
#pragma once

#include <string>

// Whether a font face of this name is installed.
bool FaceInstalled(const std::wstring& face);

// Whether a face is one of the Gothic faces taken for "ＭＳ Ｐゴシック":
// "ＭＳ Ｐゴシック", "MS PGothic", "IPAPGothic", "IPAGothic".
bool IsGothicFace(const std::wstring& face);

// The first of those faces that is installed, in that order; empty when none
// is. Looked up once per process.
const std::wstring& InstalledGothicFace();
