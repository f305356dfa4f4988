#include "system/Shell.h"

#include "system/CodePage.h"

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <QDesktopServices>
#include <QUrl>
#endif

namespace platform {

void shellOpen(std::string_view address) {
#ifdef _WIN32
    const std::string file(address);
    ShellExecuteA(nullptr, "open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
#else
    const QString text = CodePage::system().toUnicode(address);
    const QUrl url = QUrl::fromUserInput(text);
    if (url.isValid())
        QDesktopServices::openUrl(url);
#endif
}

} // namespace platform
