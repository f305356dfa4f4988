#pragma once

// Publishing a promotion: the plain source becomes the scrambled settings
// file that the program downloads, next to the files the source names.

#include <filesystem>
#include <string_view>
#include <vector>

namespace promotool {

struct PublishedFolder {
    std::filesystem::path settingsFile;
    std::vector<std::filesystem::path> copiedFiles;
};

// Reads the source file (see PromoSource.h), replaces "{base}" in every value
// with the normalised baseUrl and writes every entry through the program's
// own settings writer into outDir/<source name without extension>.rar, so
// that kv64.ini gives kv64.rar. The server files that the values name are
// copied from the source's folder into outDir first, and the settings file
// replaces an earlier one only once it is complete. Throws PromoError for a
// bad source or base URL, a named file that is missing, or a file that cannot
// be written; an earlier settings file is then left as it was.
PublishedFolder buildPromoFolder(const std::filesystem::path& source,
                                 const std::filesystem::path& outDir, std::string_view baseUrl);

} // namespace promotool
