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

// The name of the program's own folder in the user's data folder.
inline constexpr std::string_view UserFolderName = "kalvor-base64";

// The program folder, ending in the platform's separator, so that file names
// can be appended directly. It is the folder of the running program's
// executable when the user can write there (a copy of the program kept in a
// folder of its own). An installed program's folder is the system's, so its
// files go to the user's data folder for it instead (see
// platform::userDataFolder), made when first needed; should that fail too,
// the executable's folder stays the answer.
std::string GetAppPath();

// Opens path, a folder (bytes in the system code page), in a file manager
// window of its own. Does not wait and reports nothing: when the file
// manager cannot be started, nothing happens.
void OpenFolder(std::string_view path);

} // namespace communal
