#include "system/UserFolder.h"

#include "system/CodePage.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>
#else
#include <QByteArray>
#include <QtGlobal>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#endif

namespace fs = std::filesystem;

namespace platform {
namespace {

#ifndef _WIN32

// The environment variable's value when it is an absolute path, else "".
std::string absolutePathFromEnvironment(const char* name) {
    const QByteArray value = qgetenv(name);
    if (!value.startsWith('/'))
        return {};
    return value.toStdString();
}

std::string homeFolder() {
    std::string home = absolutePathFromEnvironment("HOME");
    if (!home.empty())
        return home;
    // Without HOME, the home folder of the user's account.
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && found->pw_dir[0] == '/')
        return found->pw_dir;
    return {};
}

// The root folder "/" becomes "", so that "/" and a name can follow.
std::string withoutClosingSlashes(std::string path) {
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    return path;
}

#endif

} // namespace

bool canWriteIn(std::string_view folder) {
    if (folder.empty())
        return false;
#ifdef _WIN32
    // Folder rights on Windows are access lists that only an attempt reads
    // right: make a file there, and remove it again.
    QTemporaryFile probe(QDir(CodePage::system().toUnicode(folder))
                             .filePath(QStringLiteral("kalvor-write-test-XXXXXX")));
    return probe.open();
#else
    const std::string path(folder);
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
        return false;
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return false;
    return access(path.c_str(), W_OK | X_OK) == 0;
#endif
}

std::string userDataFolder(std::string_view programName) {
#ifdef _WIN32
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        return {};
    return CodePage::system().fromUnicode(QDir::toNativeSeparators(base)) + "\\" +
           std::string(programName) + "\\";
#else
    std::string base = absolutePathFromEnvironment("XDG_DATA_HOME");
    if (base.empty()) {
        const std::string home = homeFolder();
        if (home.empty())
            return {};
        base = withoutClosingSlashes(home) + "/.local/share";
    }
    return withoutClosingSlashes(base) + "/" + std::string(programName) + "/";
#endif
}

bool makeFolder(std::string_view folder) {
    std::error_code error;
    const fs::path target = fs::path(std::string(folder)).lexically_normal();
    fs::path made;
    for (const fs::path& part : target) {
        made /= part;
        if (part.empty() || fs::is_directory(made, error))
            continue;
        if (!canWriteIn(made.parent_path().string()))
            return false;
        // Another process may make it at the same moment: that is no failure.
        [[maybe_unused]] const bool created = fs::create_directory(made, error);
        if (error)
            return false;
#ifndef _WIN32
        if (created)
            fs::permissions(made, fs::perms::owner_all, error);
#endif
    }
    return fs::is_directory(target, error);
}

} // namespace platform
