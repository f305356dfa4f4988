#pragma once

// Downloads of the promotion panel: a web address fetched into a file of the
// program folder, synchronously, with success reported as a boolean.

#include "net/UrlDownload.h"

#include <chrono>
#include <string_view>

namespace communal {

// Fetches address into fileName, replacing an earlier file of that name.
// True when the file now holds the downloaded body; false on any failure,
// whatever its cause, with an earlier file left as it was. Every transfer
// ends within the limits (by default ten seconds at the most) and within
// what is left of the current download budget; nothing is thrown.
bool DownloadFile(std::string_view address, std::string_view fileName,
                  const platform::DownloadLimits& limits = {});

// A time that the downloads made while it lives share: each may take at
// most what is left of it, and once it is spent every further download
// fails at once, exactly as a failed download does. The window gives the
// downloads of one showing such a budget, so that a server that is silent
// or trickles cannot keep the window from appearing. Budgets nest: an inner
// one ends no later than the outer one. One thread only, as the program.
class DownloadBudget {
public:
    using Clock = std::chrono::steady_clock;

    explicit DownloadBudget(std::chrono::milliseconds time);
    ~DownloadBudget();
    DownloadBudget(const DownloadBudget&) = delete;
    DownloadBudget& operator=(const DownloadBudget&) = delete;

    // The innermost budget that lives now, or none.
    static const DownloadBudget* current();
    std::chrono::milliseconds remaining() const;

private:
    Clock::time_point deadline_;
    const DownloadBudget* outer_;
};

// The budget of the downloads of one showing of the window: the settings
// file and the two pictures together.
inline constexpr std::chrono::milliseconds ShowingDownloadBudget{4000};

} // namespace communal
