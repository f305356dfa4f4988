#include "system/AllocatorPolicy.h"
#include "widgets/Application.h"
#include "window/UnitMain.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    platform::CodePage::useLocaleFromEnvironment();
    platform::keepLargeAllocations();
    QApplication app(argc, argv);
    platform::releaseFreeMemoryWhenIdle();
    platform::Application().setTitle(QString::fromUtf16(ApplicationTitle));
    // The taskbar shows the title alone, with no program name appended.
    QApplication::setApplicationDisplayName(platform::Application().Title());
    // The desktop matches the window with the program's desktop entry by it.
    QGuiApplication::setDesktopFileName(QStringLiteral(KALVOR_APP_ID));

    TfrmAd frmAd;
    frmAd.show();
    return app.exec();
}
