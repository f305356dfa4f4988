// Draws the promotion server's pictures into a folder:
//   make-promo-art <folder>
// writes top.jpg (the top slot's banner) and side.gif (the side slot's
// looping animation).

#include "GifEncoder.h"
#include "PromoArt.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>
#include <exception>

namespace {

constexpr std::uint16_t SweepDelayCentiseconds = 8;
constexpr std::uint16_t RestCentiseconds = 180;

bool writeFile(const QString& path, const std::string& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
               static_cast<qint64>(bytes.size()) &&
           file.flush();
}

} // namespace

int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-promo-art <folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists()) {
        std::fprintf(stderr, "make-promo-art: no folder %s\n", argv[1]);
        return 1;
    }

    const QString topPath = folder.filePath("top.jpg");
    if (!promoart::drawTopBanner().save(topPath, "JPEG", 92)) {
        std::fprintf(stderr, "make-promo-art: cannot write %s\n", qPrintable(topPath));
        return 1;
    }

    const QString sidePath = folder.filePath("side.gif");
    try {
        const auto animation = promoart::makeAnimation(
            promoart::drawSideFrames(), promoart::promoPalette(), promoart::TransparentIndex,
            SweepDelayCentiseconds, RestCentiseconds);
        if (!writeFile(sidePath, promoart::encodeGif(animation))) {
            std::fprintf(stderr, "make-promo-art: cannot write %s\n", qPrintable(sidePath));
            return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make-promo-art: %s\n", error.what());
        return 1;
    }
    return 0;
}
