#pragma once

namespace platform {

// Keeps freed large blocks inside the process instead of handing them back
// to the system at once. The text path allocates several buffers of the
// text's size per command; fresh pages from the system cost more than the
// coding itself (a page fault per 4 KiB), so a second command on a large
// text would otherwise pay for every page again. Call once at start-up.
void keepLargeAllocations();

// Hands the heap's free pages back to the system.
void releaseFreeMemory();

// Gives the freed memory back once the program has been idle for about a
// second after the user last did something (a key, a click, a drop): a
// command repeated at once still finds its blocks kept, and a program left
// alone after one large text does not go on holding it. Call once, after the
// application object exists.
void releaseFreeMemoryWhenIdle();

} // namespace platform
