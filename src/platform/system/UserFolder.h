#pragma once

// Where a program may keep its files: whether it can write in a folder, and
// the user's own data folder for it. Folders are bytes in the system code
// page and end in the platform's separator.

#include <string>
#include <string_view>

namespace platform {

// Whether the current user can make files in the folder. A folder whose
// permissions let nobody write counts as read-only for the superuser too,
// who could write there only by overriding them.
bool canWriteIn(std::string_view folder);

// The user's own folder for the files of the program named programName:
// $XDG_DATA_HOME/programName/, or ~/.local/share/programName/ when
// XDG_DATA_HOME is unset, empty or not an absolute path; on Windows the
// user's local application data folder followed by programName. Empty when
// the user has no home folder. The folder is not made here.
std::string userDataFolder(std::string_view programName);

// Makes the folder and any missing folder above it, each for the user
// alone, as the user's data folders are, and only where canWriteIn allows.
// True when the folder is there afterwards.
bool makeFolder(std::string_view folder);

} // namespace platform
