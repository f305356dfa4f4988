#pragma once

// The program folder: where the program keeps every file it downloads or
// reads, and the file manager that shows it.

#include <functional>
#include <string>
#include <string_view>

namespace communal {

// Tells whether a byte starts a two-byte character of the system code page.
using LeadBytePredicate = std::function<bool(unsigned char)>;

// The folder part of a path: everything up to and including its last
// separator, or "" when it has none. Under Windows rules the separators are
// the backslash and the colon, and the second byte of a two-byte character
// (as isLeadByte tells) is never taken for one; otherwise the separator is
// "/".
std::string folderOfPath(std::string_view path, bool windowsRules,
                         const LeadBytePredicate& isLeadByte = {});

// The folder of the running program's executable, ending in the platform's
// separator, so that file names can be appended directly.
std::string GetAppPath();

// Opens path, a folder (bytes in the system code page), in a file manager
// window of its own. Does not wait and reports nothing: when the file
// manager cannot be started, nothing happens.
void OpenFolder(std::string_view path);

} // namespace communal
