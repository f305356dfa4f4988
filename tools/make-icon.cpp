// Draws the program icon and writes it as a PNG file:
//   make-icon <output.png>

#include "IconArt.h"

#include <QGuiApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    // The icon is drawn off screen; a display is never needed.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-icon <output.png>\n");
        return 2;
    }
    const QString target = QString::fromLocal8Bit(argv[1]);
    if (!promoart::drawProgramIcon().save(target, "PNG")) {
        std::fprintf(stderr, "make-icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
