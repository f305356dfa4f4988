#include "PromoPublisher.h"

#include "PromoSource.h"
#include "communal/Settings.h"
#include "system/Exception.h"

#include <algorithm>
#include <system_error>

namespace promotool {

namespace {

namespace fs = std::filesystem;

std::string where(const fs::path& source, const PromoEntry& entry) {
    return source.filename().string() + ":" + std::to_string(entry.line) + ": ";
}

// The distinct server files named by the entries, checked to exist next to
// the source.
std::vector<std::string> namedServerFiles(const fs::path& source,
                                          const std::vector<PromoEntry>& entries) {
    std::vector<std::string> files;
    for (const PromoEntry& entry : entries) {
        std::string file;
        try {
            file = serverFileOf(entry.value);
        } catch (const PromoError& error) {
            throw PromoError(where(source, entry) + error.what());
        }
        if (file.empty() || std::find(files.begin(), files.end(), file) != files.end()) {
            continue;
        }
        std::error_code error;
        if (!fs::is_regular_file(source.parent_path() / file, error)) {
            throw PromoError(where(source, entry) + file + " is not in " +
                             fs::absolute(source.parent_path()).string());
        }
        files.push_back(file);
    }
    return files;
}

std::vector<fs::path> copyServerFiles(const fs::path& fromDir,
                                      const std::vector<std::string>& files,
                                      const fs::path& outDir) {
    std::vector<fs::path> copied;
    for (const std::string& file : files) {
        const fs::path from = fromDir / file;
        const fs::path to = outDir / file;
        std::error_code error;
        if (fs::exists(to, error) && fs::equivalent(from, to, error)) {
            copied.push_back(to);
            continue;
        }
        fs::create_directories(to.parent_path(), error);
        if (!fs::copy_file(from, to, fs::copy_options::overwrite_existing, error)) {
            throw PromoError("cannot copy " + from.string() + " to " + to.string() + ": " +
                             error.message());
        }
        copied.push_back(to);
    }
    return copied;
}

void writeSettings(const fs::path& target, const std::vector<PromoEntry>& entries,
                   const std::string& baseUrl) {
    std::error_code ignored;
    fs::remove(target, ignored);
    try {
        for (const PromoEntry& entry : entries) {
            std::string unused;
            communal::AccessSetting(target.string(), communal::WriteMode, entry.section,
                                    entry.ident, substituteBase(entry.value, baseUrl), unused);
        }
    } catch (const platform::Exception& error) {
        fs::remove(target, ignored);
        throw PromoError(error.what());
    }
}

} // namespace

PublishedFolder buildPromoFolder(const fs::path& source, const fs::path& outDir,
                                 std::string_view baseUrl) {
    const std::string base = normaliseBaseUrl(baseUrl);
    const std::vector<PromoEntry> entries = readPromoSource(source);
    if (entries.empty()) {
        throw PromoError(source.filename().string() + " holds no entries");
    }
    const std::vector<std::string> files = namedServerFiles(source, entries);

    std::error_code error;
    fs::create_directories(outDir, error);
    if (!fs::is_directory(outDir, error)) {
        throw PromoError("cannot create the folder " + outDir.string());
    }

    PublishedFolder published;
    // Files first: the settings file must never name a picture that the
    // server does not have yet.
    published.copiedFiles = copyServerFiles(source.parent_path(), files, outDir);

    published.settingsFile = outDir / source.stem();
    published.settingsFile += ".rar";
    fs::path partial = published.settingsFile;
    partial += ".partial";
    writeSettings(partial, entries, base);
    fs::rename(partial, published.settingsFile, error);
    if (error) {
        fs::remove(partial, error);
        throw PromoError("cannot write " + published.settingsFile.string());
    }
    return published;
}

} // namespace promotool
