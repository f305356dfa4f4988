#pragma once

// Shows a folder in the desktop's file manager.

#include <string_view>

namespace communal {

// Opens path, a folder (bytes in the system code page), in a file manager
// window of its own. Does not wait and reports nothing: when the file
// manager cannot be started, nothing happens.
void OpenFolder(std::string_view path);

} // namespace communal
