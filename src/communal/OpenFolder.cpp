#include "OpenFolder.h"

#include "Shell.h"

namespace communal {

void OpenFolder(std::string_view path) {
    platform::ShellOpenFolder(path);
}

} // namespace communal
