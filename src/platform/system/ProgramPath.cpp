#include "system/ProgramPath.h"

#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <climits>
#include <unistd.h>
#endif

namespace platform {
namespace {

std::string& exeNameOverride() {
    static std::string path;
    return path;
}

std::string realExeName() {
#ifdef _WIN32
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), DWORD(buffer.size()));
        if (n < buffer.size())
            return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
#else
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return {};
        if (std::size_t(n) < buffer.size())
            return std::string(buffer.data(), std::size_t(n));
        buffer.resize(buffer.size() * 2);
    }
#endif
}

} // namespace

std::string ExeName() {
    if (!exeNameOverride().empty())
        return exeNameOverride();
    static const std::string real = realExeName();
    return real;
}

void setExeNameForTesting(std::string path) {
    exeNameOverride() = std::move(path);
}

} // namespace platform
