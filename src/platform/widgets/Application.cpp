#include "widgets/Application.h"

#include "system/CodePage.h"
#include "widgets/ErrorBox.h"

#include <QApplication>

namespace platform {

TApplication& Application() {
    static TApplication application;
    return application;
}

QString errorBoxText(std::string_view message) {
    std::string text(message);
    // In every code page the program meets, the last byte of a text sorts
    // after "." exactly when its last character does: the bytes of a
    // multi-byte character are all above it.
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.')
        text += '.';
    return CodePage::system().toUnicode(text);
}

void TApplication::ShowException(const std::exception& error) const {
    ErrorBox box(title_, errorBoxText(error.what()), QApplication::activeWindow());
    box.exec();
}

} // namespace platform
