// One picture format's reader on any bytes: the input is read as a file of
// the format that FUZZ_PICTURE_FORMAT names (its extension), and what it
// gives is drawn as the slot draws it, at 1:1, then scaled down to fit a
// small device and scaled up, and again for every later frame of an
// animation. A reader may refuse the input with platform::Exception; nothing
// else may escape, crash or trip a sanitizer.

#include "picture/Graphic.h"
#include "system/Exception.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#ifndef FUZZ_PICTURE_FORMAT
#error "FUZZ_PICTURE_FORMAT names the format: bmp, ico, gif, jpg, wmf or emf"
#endif

namespace {

using Reader = std::unique_ptr<platform::TGraphic> (*)(const QByteArray&);

Reader readerOf(const std::string& format) {
    static const std::map<std::string, Reader> readers{
        {"bmp", platform::readBitmap},
        {"ico", platform::readIcon},
        {"gif", platform::readGif},
        {"jpg", platform::readJpeg},
        {"wmf", platform::readWindowsMetafile},
        {"emf", platform::readEnhancedMetafile},
    };
    return readers.at(format);
}

// The device of a draw stays small, so that a large picture costs the
// fuzzer no more than the slot: what falls outside is clipped.
constexpr int MaxDeviceSide = 512;
constexpr int SmallDeviceSide = 48;
// Frames of an animation drawn after the first.
constexpr int MaxLaterFrames = 32;

void drawOnce(const platform::TGraphic& graphic, QSize device, const QTransform& transform) {
    QImage image(device, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setTransform(transform);
    graphic.draw(painter, QPoint(0, 0));
}

void drawAllWays(const platform::TGraphic& graphic) {
    const QSize size = graphic.size();
    if (size.isEmpty())
        return;
    drawOnce(graphic, size.boundedTo(QSize(MaxDeviceSide, MaxDeviceSide)), QTransform());
    const double fit = double(SmallDeviceSide) / std::max(size.width(), size.height());
    drawOnce(graphic, QSize(SmallDeviceSide, SmallDeviceSide), QTransform::fromScale(fit, fit));
    drawOnce(graphic, QSize(SmallDeviceSide, SmallDeviceSide), QTransform::fromScale(3, 2.5));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's readers warn about every broken file; a fuzzer makes millions.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static int qtArgc = 1;
    static char* qtArgv[] = {(*argv)[0], nullptr};
    static QGuiApplication application(qtArgc, qtArgv);
    (void)argc;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Reader read = readerOf(FUZZ_PICTURE_FORMAT);
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    std::unique_ptr<platform::TGraphic> graphic;
    try {
        graphic = read(bytes);
    } catch (const platform::Exception&) {
        return 0; // not a valid picture of the format: refused, as it should be
    }
    drawAllWays(*graphic);
    for (int frame = 0; frame < MaxLaterFrames && graphic->advanceFrame(); ++frame)
        drawAllWays(*graphic);
    return 0;
}
