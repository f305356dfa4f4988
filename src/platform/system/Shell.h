#pragma once

// Hands addresses to the desktop shell. The call does not wait for what it
// starts, and reports nothing: when the desktop cannot open
// the address, nothing happens.

#include <string_view>

namespace platform {

// Opens a document or web address as the desktop sees fit (a web address in
// the user's browser).
void shellOpen(std::string_view address);

} // namespace platform
