#include "system/ReplacementFile.h"

#include <random>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace platform {
namespace fs = std::filesystem;

namespace {

bool flushToDisk(std::FILE* file) {
    if (std::fflush(file) != 0)
        return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return ::fsync(::fileno(file)) == 0;
#endif
}

} // namespace

ReplacementFile::ReplacementFile(fs::path target)
    : target_(std::move(target)) {
    std::random_device entropy;
    std::mt19937_64 random(entropy());
    // "x" refuses a name that exists already, so two writers never share a
    // file; a few attempts make a clash harmless.
    for (int attempt = 0; attempt < 8 && !file_; ++attempt) {
        char name[40];
        std::snprintf(name, sizeof name, "~%016llx.tmp", static_cast<unsigned long long>(random()));
        path_ = target_.parent_path() / name;
        file_ = std::fopen(path_.string().c_str(), "wbx");
    }
}

ReplacementFile::~ReplacementFile() {
    if (file_)
        std::fclose(file_);
    if (!committed_) {
        std::error_code ignored;
        fs::remove(path_, ignored);
    }
}

bool ReplacementFile::write(std::string_view bytes) {
    return file_ && std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
}

bool ReplacementFile::commit() {
    if (!file_)
        return false;
    const bool flushed = flushToDisk(file_);
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed || !closed)
        return false;
    std::error_code error;
    const auto oldStatus = fs::status(target_, error);
    if (fs::exists(oldStatus))
        fs::permissions(path_, oldStatus.permissions(), error);
    error.clear();
    fs::rename(path_, target_, error);
    committed_ = !error;
    return committed_;
}

} // namespace platform
