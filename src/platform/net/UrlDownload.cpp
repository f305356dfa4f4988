#include "net/UrlDownload.h"

#include "system/ReplacementFile.h"

#include <algorithm>
#include <cstdio>
#include <curl/curl.h>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <system_error>

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr const char* AllowedProtocols = "http,https";

// libcurl's global state must be set up once before the first handle, and
// not concurrently with anything else: a function-local static does both.
bool curlReady() {
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

struct CurlCleanup {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct UrlCleanup {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using CurlHandle = std::unique_ptr<CURL, CurlCleanup>;
using UrlHandle = std::unique_ptr<CURLU, UrlCleanup>;

// Where the write callback puts the body, and how much it may put there.
struct BodySink {
    std::FILE* file;
    std::uint64_t maxBytes;
    std::uint64_t written = 0;
    bool overLimit = false;
    bool writeFailed = false;
};

// Called by libcurl with each piece of the body. Answering with anything
// but the piece's size stops the transfer: that is how a body that grows
// past the limit (one without a Content-Length) is cut off.
std::size_t writeBody(char* data, std::size_t size, std::size_t count, void* sinkPtr) {
    auto& sink = *static_cast<BodySink*>(sinkPtr);
    const std::size_t bytes = size * count;
    if (bytes > sink.maxBytes - sink.written) {
        sink.overLimit = true;
        return 0;
    }
    if (std::fwrite(data, 1, bytes, sink.file) != bytes) {
        sink.writeFailed = true;
        return 0;
    }
    sink.written += bytes;
    return bytes;
}

// Every option must take: a limit that libcurl refused would leave the
// transfer unbounded, so any refusal fails the download.
class Options {
public:
    explicit Options(CURL* curl)
        : curl_(curl) {}
    template <typename Value> Options& set(CURLoption option, Value value) {
        ok_ = ok_ && curl_easy_setopt(curl_, option, value) == CURLE_OK;
        return *this;
    }
    bool ok() const { return ok_; }

private:
    CURL* curl_;
    bool ok_ = true;
};

// Parses address strictly: the scheme must be named (libcurl would guess
// one otherwise) and the text must hold no zero byte (libcurl would read
// only up to it and fetch another address).
UrlHandle parseAddress(std::string_view address) {
    if (address.empty() || address.find('\0') != std::string_view::npos)
        return nullptr;
    UrlHandle url(curl_url());
    if (!url)
        return nullptr;
    const std::string text(address);
    if (curl_url_set(url.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK)
        return nullptr;
    return url;
}

long milliseconds(std::chrono::milliseconds time) {
    return static_cast<long>(std::clamp<std::chrono::milliseconds::rep>(
        time.count(), 1, std::numeric_limits<long>::max()));
}

bool setLimits(Options& options, const DownloadLimits& limits) {
    const auto maxBody = static_cast<curl_off_t>(
        std::min<std::uint64_t>(limits.maxBodyBytes, std::numeric_limits<curl_off_t>::max()));
    options.set(CURLOPT_PROTOCOLS_STR, AllowedProtocols)
        .set(CURLOPT_REDIR_PROTOCOLS_STR, AllowedProtocols)
        .set(CURLOPT_FOLLOWLOCATION, 1L)
        .set(CURLOPT_MAXREDIRS, limits.maxRedirects)
        .set(CURLOPT_CONNECTTIMEOUT_MS, milliseconds(limits.connectTimeout))
        .set(CURLOPT_TIMEOUT_MS, milliseconds(limits.totalTimeout))
        .set(CURLOPT_LOW_SPEED_LIMIT, limits.stallBytesPerSecond)
        .set(CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits.stallTime.count()))
        .set(CURLOPT_MAXFILESIZE_LARGE, maxBody);
    return options.ok();
}

// Why a transfer that libcurl ended with code failed.
DownloadResult failureOf(CURLcode code, const BodySink& sink) {
    switch (code) {
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
        return DownloadResult::BadAddress;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
        return DownloadResult::CannotConnect;
    case CURLE_OPERATION_TIMEDOUT:
        return DownloadResult::TimedOut;
    case CURLE_HTTP_RETURNED_ERROR:
        return DownloadResult::HttpError;
    case CURLE_FILESIZE_EXCEEDED:
        return DownloadResult::TooLarge;
    case CURLE_TOO_MANY_REDIRECTS:
        return DownloadResult::TooManyRedirects;
    case CURLE_WRITE_ERROR:
        if (sink.overLimit)
            return DownloadResult::TooLarge;
        return sink.writeFailed ? DownloadResult::CannotWrite : DownloadResult::TransferFailed;
    default:
        return DownloadResult::TransferFailed;
    }
}

DownloadResult download(std::string_view address, std::string_view fileName,
                        const DownloadLimits& limits) {
    const fs::path target{std::string(fileName)};
    if (fileName.empty() || !target.has_filename())
        return DownloadResult::CannotWrite;
    if (!curlReady())
        return DownloadResult::TransferFailed;
    const UrlHandle url = parseAddress(address);
    if (!url)
        return DownloadResult::BadAddress;
    const CurlHandle curl(curl_easy_init());
    if (!curl)
        return DownloadResult::TransferFailed;
    // The body arrives in a file of its own, which replaces the target only
    // when the whole of it has come.
    ReplacementFile body(target);
    if (!body.file())
        return DownloadResult::CannotWrite;

    BodySink sink{body.file(), limits.maxBodyBytes};
    Options options(curl.get());
    options.set(CURLOPT_CURLU, url.get())
        .set(CURLOPT_NOSIGNAL, 1L)
        // An error page must never stand in for the file: stop at the
        // status line, before any of its body is written.
        .set(CURLOPT_FAILONERROR, 1L)
        .set(CURLOPT_WRITEFUNCTION, writeBody)
        .set(CURLOPT_WRITEDATA, &sink);
    if (!setLimits(options, limits))
        return DownloadResult::TransferFailed;
    if (const CURLcode code = curl_easy_perform(curl.get()); code != CURLE_OK)
        return failureOf(code, sink);

    // Only a 2xx answer carries the file; a 3xx that could not be followed
    // carries at most a note about where the file went.
    long status = 0;
    if (curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status) != CURLE_OK)
        return DownloadResult::TransferFailed;
    if (status < 200 || status > 299)
        return DownloadResult::HttpError;
    return body.commit() ? DownloadResult::Ok : DownloadResult::CannotWrite;
}

} // namespace

DownloadResult URLDownloadToFile(std::string_view address, std::string_view fileName,
                                 const DownloadLimits& limits) noexcept {
    try {
        return download(address, fileName, limits);
    } catch (...) {
        return DownloadResult::TransferFailed;
    }
}

} // namespace platform
