#pragma once

// The extension of a file name or address, found as Windows programs find
// it: after the last ".", "\" or ":" of the name, when that character is a
// ".". A "/" is an ordinary character here, and so are "?" and "#". The name
// is a byte string in a code page, and the trail byte of a double-byte
// character is never taken for one of the three.

#include "system/CodePage.h"

#include <string>
#include <string_view>

namespace platform {

// The extension with its leading dot, or empty; in the system code page.
std::string ExtractFileExt(std::string_view fileName);

// The same for a name in the given code page.
std::string ExtractFileExt(std::string_view fileName, const CodePage& page);

} // namespace platform
