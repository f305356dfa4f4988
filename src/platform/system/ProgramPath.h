#pragma once

// What the program knows of itself: the full path of its executable file.

#include <string>

namespace platform {

// The full path of the running program's executable, as bytes in the system
// code page.
std::string ExeName();

// Makes ExeName() give another path, so that tests can run the program's
// file handling in a temporary folder. An empty path restores the real one.
void setExeNameForTesting(std::string path);

} // namespace platform
