#pragma once

namespace platform {

// Keeps freed large blocks inside the process instead of handing them back
// to the system at once. The text path allocates several buffers of the
// text's size per command; fresh pages from the system cost more than the
// coding itself (a page fault per 4 KiB), so a second command on a large
// text would otherwise pay for every page again. Call once at start-up.
void keepLargeAllocations();

} // namespace platform
