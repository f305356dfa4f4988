#include "UnitMain.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    platform::CodePage::useLocaleFromEnvironment();
    QApplication app(argc, argv);
    TfrmAd frmAd;
    frmAd.show();
    return app.exec();
}
