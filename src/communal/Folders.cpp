#include "communal/Folders.h"

#include "system/CodePage.h"
#include "system/ProgramPath.h"
#include "system/UserFolder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <QDesktopServices>
#include <QUrl>
#endif

namespace communal {

std::string folderOfPath(std::string_view path, bool windowsRules,
                         const LeadBytePredicate& isLeadByte) {
    std::size_t cut = 0; // length of the folder part
    for (std::size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (windowsRules) {
            // In a double-byte code page such as GBK the second byte of a
            // character may be 0x5C, the code of the backslash.
            if (isLeadByte && isLeadByte(static_cast<unsigned char>(c))) {
                ++i;
                continue;
            }
            if (c == '\\' || c == ':')
                cut = i + 1;
        } else if (c == '/') {
            cut = i + 1;
        }
    }
    return std::string(path.substr(0, cut));
}

namespace {

std::string executableFolder() {
#ifdef _WIN32
    return folderOfPath(platform::ExeName(), true, [](unsigned char byte) {
        return platform::isLeadByte(byte, platform::CodePage::system());
    });
#else
    return folderOfPath(platform::ExeName(), false);
#endif
}

} // namespace

std::string GetAppPath() {
    std::string folder = executableFolder();
    if (platform::canWriteIn(folder))
        return folder;
    std::string own = platform::userDataFolder(UserFolderName);
    if (!own.empty() && platform::makeFolder(own))
        return own;
    return folder;
}

void OpenFolder(std::string_view path) {
#ifdef _WIN32
    const std::string folder(path);
    ShellExecuteA(nullptr, "open", "explorer.exe", folder.c_str(), nullptr, SW_SHOW);
#else
    // The desktop's standard way to show a folder: open its file URL.
    QDesktopServices::openUrl(QUrl::fromLocalFile(platform::CodePage::system().toUnicode(path)));
#endif
}

} // namespace communal
