#pragma once

// Downloads of the promotion panel: a web address fetched into a file of the
// program folder, synchronously, with success reported as a boolean.

#include "net/UrlDownload.h"

#include <string_view>

namespace communal {

// Fetches address into fileName, replacing an earlier file of that name.
// True when the file now holds the downloaded body; false on any failure,
// with an earlier file left as it was. Every transfer ends within the
// limits (by default ten seconds at the most); nothing is thrown.
bool DownloadFile(std::string_view address, std::string_view fileName,
                  const platform::DownloadLimits& limits = {});

} // namespace communal
