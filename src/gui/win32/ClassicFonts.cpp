// Font faces with fall-backs: Microsoft Sans Serif replaced MS Sans Serif; Liberation Sans and
// Arimo share Arial's metrics; Tahoma comes with Wine; DejaVu Sans is on every Debian desktop.

#include "gui/win32/ClassicFonts.h"

#include <initializer_list>

namespace velmaro {
namespace {

int CALLBACK NoteFaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool FaceInstalled(const wchar_t* face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, NoteFaceFound, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

const wchar_t* FirstInstalledFace(std::initializer_list<const wchar_t*> faces) {
    for (const wchar_t* face : faces) {
        if (FaceInstalled(face)) return face;
    }
    return L"";  // the system's default face
}

const wchar_t* InstalledFace(FontFace face) {
    if (face == FontFace::MsSansSerif) {
        static const wchar_t* const msSansSerif =
            FirstInstalledFace({L"MS Sans Serif", L"Microsoft Sans Serif", L"Liberation Sans",
                                L"Arimo", L"Tahoma", L"DejaVu Sans"});
        return msSansSerif;
    }
    static const wchar_t* const arial =
        FirstInstalledFace({L"Arial", L"Liberation Sans", L"Arimo", L"Tahoma", L"DejaVu Sans"});
    return arial;
}

}  // namespace

ClassicFont::ClassicFont(FontFace face, int pixelSize, FontStyle style)
    : font_(CreateFontW(-pixelSize, 0, 0, 0, style.bold ? FW_BOLD : FW_NORMAL, style.italic,
                        style.underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS,
                        InstalledFace(face))) {}

ClassicFont::~ClassicFont() {
    if (font_ != nullptr) DeleteObject(font_);
}

}  // namespace velmaro
