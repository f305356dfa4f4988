#pragma once

// A small web server for trying the program's promotion slots locally: it
// serves the files of one folder, and only ever on the loopback interface.

#include "PromoServerAddress.h"

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

namespace promotool {

// The port of the program's built-in promotion address, so that a local
// copy of the promotion is where the program looks for it.
constexpr int DefaultPort = promoaddress::Port;
constexpr std::string_view DefaultHost = "127.0.0.1";

// True for a literal loopback address (127.0.0.0/8 or ::1) and for
// "localhost"; every other host, names included, is refused.
bool isLoopbackHost(std::string_view host);

class PromoServer {
public:
    // Serves `folder` at "/", writing one line per request to `log`. Throws
    // PromoError when the folder does not exist.
    PromoServer(const std::filesystem::path& folder, std::ostream& log);
    ~PromoServer();
    PromoServer(const PromoServer&) = delete;
    PromoServer& operator=(const PromoServer&) = delete;

    // Binds to host and port (0 picks a free port) and gives the port.
    // Throws PromoError for a host that is not loopback or a failed bind.
    int bind(std::string_view host, int port);

    // Answers requests until stop(); needs a successful bind() first.
    void run();

    // Ends run(), from any thread; also when run() has not started yet.
    void stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace promotool
