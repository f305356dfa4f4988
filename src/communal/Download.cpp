#include "Download.h"

namespace communal {

bool DownloadFile(std::string_view address, std::string_view fileName) {
    return DownloadFile(address, fileName, platform::DownloadLimits{});
}

bool DownloadFile(std::string_view address, std::string_view fileName,
                  const platform::DownloadLimits& limits) {
    // The platform call catches everything already; this guard keeps the
    // promise of this function whatever the layer below does.
    try {
        return platform::URLDownloadToFile(address, fileName, limits);
    } catch (...) {
        return false;
    }
}

} // namespace communal
