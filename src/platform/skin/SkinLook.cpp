#include "skin/SkinLook.h"

namespace platform {

QFont toQFont(const palette::Font& font) {
    QFont qfont(QString::fromLatin1(font.family.data(), qsizetype(font.family.size())));
    qfont.setPixelSize(font.pixelSize);
    qfont.setBold(font.bold);
    return qfont;
}

} // namespace platform
