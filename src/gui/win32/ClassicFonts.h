#pragma once
// The fonts of the windows, by the faces the layout names, falling back to a face with the same
// metrics (or at least a sans-serif one) when the named face is not installed.

#include <windows.h>

namespace velmaro {

enum class FontFace { MsSansSerif, Arial };

struct FontStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

// An owned GDI font, deleted with the object.
class ClassicFont {
public:
    // `pixelSize` is the character height in pixels, as the layout gives it.
    ClassicFont(FontFace face, int pixelSize, FontStyle style = {});
    ~ClassicFont();
    ClassicFont(const ClassicFont&) = delete;
    ClassicFont& operator=(const ClassicFont&) = delete;

    HFONT Handle() const { return font_; }

private:
    HFONT font_;
};

}  // namespace velmaro
