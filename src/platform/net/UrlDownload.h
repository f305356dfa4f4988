#pragma once

// Synchronous download of a web address into a file, on libcurl.
//
// Only http and https are spoken, for the first request and for every
// redirect. Every transfer is bounded: it cannot hang, cannot fill the disk
// and cannot leave a half-written file behind. The body is written to a
// temporary file beside the target and renamed over the target only once it
// has arrived whole, so a failed download leaves an earlier file untouched.

#include <chrono>
#include <cstdint>
#include <string_view>

namespace platform {

// The bounds of one download. The defaults suit small files fetched while a
// window waits to appear; tests pass smaller ones.
struct DownloadLimits {
    // Time to resolve the host and open the connection.
    static constexpr std::chrono::milliseconds DefaultConnectTimeout{5000};
    // Time for the whole transfer, connection and redirects included.
    static constexpr std::chrono::milliseconds DefaultTotalTimeout{10000};
    // A transfer slower than this many bytes per second for stallTime counts
    // as stalled and is stopped. libcurl measures the speed over the last few
    // seconds, so a transfer that stops after data has flowed is caught a few
    // seconds later than one that never starts; the total time bounds both.
    static constexpr long DefaultStallBytesPerSecond = 1;
    static constexpr std::chrono::seconds DefaultStallTime{5};
    // A larger body is a failure, and nothing of it is kept.
    static constexpr std::uint64_t DefaultMaxBodyBytes = std::uint64_t{8} * 1024 * 1024;
    // Redirects followed before the download gives up.
    static constexpr long DefaultMaxRedirects = 5;

    std::chrono::milliseconds connectTimeout = DefaultConnectTimeout;
    std::chrono::milliseconds totalTimeout = DefaultTotalTimeout;
    long stallBytesPerSecond = DefaultStallBytesPerSecond;
    std::chrono::seconds stallTime = DefaultStallTime;
    std::uint64_t maxBodyBytes = DefaultMaxBodyBytes;
    long maxRedirects = DefaultMaxRedirects;
};

// How a download ended.
enum class DownloadResult {
    Ok,               // the whole body arrived with a 2xx status
    BadAddress,       // not an absolute http or https address
    CannotConnect,    // the host was not found or refused the connection
    TimedOut,         // a time limit or the stall limit ended the transfer
    HttpError,        // the server answered with a status other than 2xx
    TooLarge,         // the body was larger than the limit
    TooManyRedirects, // more redirects than the limit
    CannotWrite,      // the file could not be made, written or put in place
    TransferFailed,   // any other fault of the connection or the transfer
};

// Fetches address (an absolute http or https URL, scheme included) into the
// file fileName (bytes in the system code page). Returns once the transfer
// has ended: Ok when the whole body arrived with a 2xx status and now stands
// under fileName, replacing an earlier file of that name; on any failure
// its cause, with an earlier file left exactly as it was and nothing else
// left behind. Never throws.
DownloadResult URLDownloadToFile(std::string_view address, std::string_view fileName,
                                 const DownloadLimits& limits = {}) noexcept;

} // namespace platform
