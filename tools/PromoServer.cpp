#include "PromoServer.h"

#include "PromoSource.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <httplib.h>
#include <mutex>
#include <ostream>
#include <thread>

namespace promotool {

struct PromoServer::Impl {
    httplib::Server server;
    std::ostream& log;
    std::mutex logMutex;
    bool bound = false;
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> running{false};

    explicit Impl(std::ostream& logStream)
        : log(logStream) {}
};

bool IsLoopbackHost(std::string_view host) {
    const std::string text(host);
    if (text == "localhost") {
        return true;
    }
    in_addr v4{};
    if (inet_pton(AF_INET, text.c_str(), &v4) == 1) {
        return (ntohl(v4.s_addr) >> 24) == 127;
    }
    in6_addr v6{};
    return inet_pton(AF_INET6, text.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}

PromoServer::PromoServer(const std::filesystem::path& folder, std::ostream& log)
    : impl_(std::make_unique<Impl>(log)) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error) ||
        !impl_->server.set_mount_point("/", folder.string())) {
        throw PromoError("no folder " + folder.string());
    }
    // The settings file is INI text under an archive's name; say what it is
    // rather than let a browser guess.
    impl_->server.set_file_extension_and_mimetype_mapping("rar", "application/octet-stream");
    impl_->server.set_file_extension_and_mimetype_mapping("ini", "text/plain");
    impl_->server.set_logger(
        [impl = impl_.get()](const httplib::Request& request, const httplib::Response& response) {
            const std::lock_guard lock(impl->logMutex);
            impl->log << request.remote_addr << " \"" << request.method << ' ' << request.path
                      << "\" " << response.status << ' ' << response.body.size() << std::endl;
        });
}

PromoServer::~PromoServer() = default;

int PromoServer::Bind(std::string_view host, int port) {
    if (!IsLoopbackHost(host)) {
        throw PromoError("refusing to serve on " + std::string(host) +
                         ": only loopback addresses such as 127.0.0.1 are allowed");
    }
    if (port < 0 || port > 65535) {
        throw PromoError("port must be 0 to 65535");
    }
    // A name could resolve elsewhere; bind the address it stands for.
    const std::string address = host == "localhost" ? std::string(DefaultHost) : std::string(host);
    const int boundPort = port == 0 ? impl_->server.bind_to_any_port(address)
                                    : (impl_->server.bind_to_port(address, port) ? port : -1);
    if (boundPort <= 0) {
        throw PromoError("cannot listen on " + address + " port " + std::to_string(port));
    }
    impl_->bound = true;
    return boundPort;
}

void PromoServer::Run() {
    if (!impl_->bound) {
        throw PromoError("the server has not been bound to a port");
    }
    // Announce the run before looking at the stop flag; Stop() does the
    // reverse, so one of the two always sees the other.
    impl_->running = true;
    if (!impl_->stopRequested) {
        impl_->server.listen_after_bind();
    }
    impl_->running = false;
}

void PromoServer::Stop() {
    impl_->stopRequested = true;
    // Run() may be on its way into the accept loop, which would not see a
    // stop issued before it starts.
    while (impl_->running && !impl_->server.is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    impl_->server.stop();
}

} // namespace promotool
