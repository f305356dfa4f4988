#pragma once

// What the X display tells the frame that Qt does not: whether a window
// manager runs on it. Without one, nobody acts on a request to maximize a
// window, so the frame does it itself.

#include <optional>

namespace platform::frame {

// Whether a window manager that follows the desktop conventions (EWMH)
// runs on the program's X display; nothing when the program does not run
// on an X display (another platform, offscreen) or the build has no X
// support.
std::optional<bool> windowManagerRunning();

} // namespace platform::frame
