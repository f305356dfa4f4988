#pragma once

// Hands addresses and folders to the desktop shell. Neither call waits for
// what it starts, and neither reports anything: when the desktop cannot open
// the address, nothing happens.

#include <string_view>

namespace platform {

// Opens a document or web address as the desktop sees fit (a web address in
// the user's browser).
void ShellOpen(std::string_view address);

// Shows a folder in the desktop's file manager.
void ShellOpenFolder(std::string_view path);

} // namespace platform
