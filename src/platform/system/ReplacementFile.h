#pragma once

// A new file that takes the place of a target file only once it is whole.
// It is made beside the target, so that the final rename stays within one
// file system and replaces the target in one step: a crash, a full disk or
// a broken transfer leaves either the old file or the new one, never a torn
// one. Unless committed, it is removed again.

#include <cstdio>
#include <filesystem>
#include <string_view>

namespace platform {

class ReplacementFile {
public:
    // Creates the new file; file() is null when that cannot be done.
    explicit ReplacementFile(std::filesystem::path target);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    std::FILE* file() const { return file_; }
    bool write(std::string_view bytes);

    // Puts every byte on the disk and renames the file over the target; an
    // existing target's access rights pass to the new file. False, with the
    // target as it was, when any step fails.
    bool commit();

private:
    std::filesystem::path target_;
    std::filesystem::path path_;
    std::FILE* file_ = nullptr;
    bool committed_ = false;
};

} // namespace platform
