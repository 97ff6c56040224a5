#include "launcher/ui/gothic_face_win.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr const wchar_t* kGothicFaces[] = {L"ＭＳ Ｐゴシック", L"MS PGothic", L"IPAPGothic", L"IPAGothic"};

int CALLBACK FoundFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

}  // namespace

bool FaceInstalled(const std::wstring& face)
{
    if (face.empty() || face.size() >= LF_FACESIZE)
        return false;
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    face.copy(lf.lfFaceName, face.size());
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &lf, FoundFace, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

bool IsGothicFace(const std::wstring& face)
{
    for (const wchar_t* gothic : kGothicFaces)
        if (face == gothic)
            return true;
    return false;
}

const std::wstring& InstalledGothicFace()
{
    static const std::wstring face = [] {
        for (const wchar_t* gothic : kGothicFaces)
            if (FaceInstalled(gothic))
                return std::wstring(gothic);
        return std::wstring();
    }();
    return face;
}

HFONT MakeFont(const FontLook& look, UINT dpi)
{
    std::wstring face = look.face;
    if (!FaceInstalled(face) && (IsGothicFace(face) || look.charset == SHIFTJIS_CHARSET) &&
        !InstalledGothicFace().empty())
        face = InstalledGothicFace();
    LOGFONTW lf{};
    lf.lfHeight = -static_cast<LONG>(std::lround(look.points * dpi / 72.0));
    lf.lfWeight = look.weight;
    lf.lfItalic = look.italic;
    lf.lfUnderline = look.underline;
    lf.lfStrikeOut = look.strikeout;
    lf.lfCharSet = look.charset;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    face.copy(lf.lfFaceName, std::min<size_t>(face.size(), LF_FACESIZE - 1));
    return CreateFontIndirectW(&lf);
}
