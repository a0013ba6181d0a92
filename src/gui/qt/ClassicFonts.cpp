// Font families with fallbacks: Liberation Sans and Arimo share Arial's metrics; DejaVu Sans is
// on every Debian desktop.

#include "gui/qt/ClassicFonts.h"

#include <QStringList>

namespace velmaro {

QFont ClassicFont(FontFace face, int pixelSize, FontStyle style) {
    QFont font;
    if (face == FontFace::MsSansSerif) {
        font.setFamilies(
            {"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arimo", "DejaVu Sans"});
    } else {
        font.setFamilies({"Arial", "Liberation Sans", "Arimo", "DejaVu Sans"});
    }
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(style.bold);
    font.setItalic(style.italic);
    font.setUnderline(style.underline);
    return font;
}

}  // namespace velmaro
