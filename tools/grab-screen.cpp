// Saves a picture of what the X screen shows, cropped to the part that is
// not the bare background (on an otherwise empty Xvfb screen: the windows).
//
//   grab-screen <file.png>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

namespace {

QRect nonBackgroundBounds(const QImage& image) {
    const QRgb background = image.pixel(0, 0);
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] == background)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    return right < 0 ? image.rect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <file.png>\n", argv[0]);
        return 2;
    }
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(
        QImage::Format_RGB32);
    const QImage window = screen.copy(nonBackgroundBounds(screen));
    if (!window.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "grab-screen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
