#pragma once
// The fonts of the program's windows, with fallbacks where the Windows fonts are not installed.

#include <QFont>

namespace velmaro {

enum class FontFace { MsSansSerif, Arial };

// How a label's text is drawn beyond its face and size.
struct FontStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

// `face` at `pixelSize` pixels, falling back to metric-compatible or common sans-serif faces.
QFont ClassicFont(FontFace face, int pixelSize, FontStyle style = {});

}  // namespace velmaro
