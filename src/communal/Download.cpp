#include "communal/Download.h"

namespace communal {

bool DownloadFile(std::string_view address, std::string_view fileName,
                  const platform::DownloadLimits& limits) {
    return platform::URLDownloadToFile(address, fileName, limits) == platform::DownloadResult::Ok;
}

} // namespace communal
