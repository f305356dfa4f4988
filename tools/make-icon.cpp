// Draws the program icon and writes it as PNG files:
//   make-icon <output.png> [size]
//       one picture, 128 pixels unless a size is given
//   make-icon --theme <folder> <name>
//       every size of the desktop's icon theme, as
//       <folder>/<size>x<size>/apps/<name>.png

#include "IconArt.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

namespace {

bool write(int size, const QString& target) {
    if (!QDir().mkpath(QFileInfo(target).path()) ||
        !promoart::drawProgramIcon(size).save(target, "PNG")) {
        std::fprintf(stderr, "make-icon: cannot write %s\n", qPrintable(target));
        return false;
    }
    return true;
}

int usage() {
    std::fprintf(stderr, "usage: make-icon <output.png> [size]\n"
                         "       make-icon --theme <folder> <name>\n");
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    // The icon is drawn off screen; a display is never needed.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments().mid(1);

    if (arguments.value(0) == "--theme") {
        if (arguments.size() != 3)
            return usage();
        const QDir folder(arguments[1]);
        for (const int size : promoart::IconThemeSizes) {
            const QString sizeFolder = QStringLiteral("%1x%1/apps/").arg(size);
            if (!write(size, folder.filePath(sizeFolder + arguments[2] + ".png")))
                return 1;
        }
        return 0;
    }

    if (arguments.isEmpty() || arguments.size() > 2)
        return usage();
    bool isNumber = true;
    const int size = arguments.size() == 2 ? arguments[1].toInt(&isNumber) : promoart::IconSize;
    if (!isNumber || size < 1 || size > 1024)
        return usage();
    return write(size, arguments[0]) ? 0 : 1;
}
