#include "PromoServer.h"

#include "PromoSource.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <mutex>
#include <ostream>

namespace promotool {

// Asked for by stop() of its own server, to learn that the accept loop is
// running; answered without a log line.
constexpr char ReadyPath[] = "/.kv64-promo-ready";

struct PromoServer::Impl {
    httplib::Server server;
    std::ostream& log;
    std::mutex mutex; // guards the log and the two flags
    bool bound = false;
    bool stopRequested = false;
    bool running = false;
    std::string address; // as bound
    int port = 0;

    explicit Impl(std::ostream& logStream)
        : log(logStream) {}
};

bool isLoopbackHost(std::string_view host) {
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
    impl_->server.Get(ReadyPath, [](const httplib::Request&, httplib::Response& response) {
        response.status = 204;
    });
    impl_->server.set_logger(
        [impl = impl_.get()](const httplib::Request& request, const httplib::Response& response) {
            if (request.path == ReadyPath)
                return;
            const std::lock_guard lock(impl->mutex);
            impl->log << request.remote_addr << " \"" << request.method << ' ' << request.path
                      << "\" " << response.status << ' ' << response.body.size() << std::endl;
        });
}

PromoServer::~PromoServer() = default;

int PromoServer::bind(std::string_view host, int port) {
    if (!isLoopbackHost(host)) {
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
    impl_->address = address;
    impl_->port = boundPort;
    return boundPort;
}

void PromoServer::run() {
    {
        const std::lock_guard lock(impl_->mutex);
        if (!impl_->bound)
            throw PromoError("the server has not been bound to a port");
        if (impl_->stopRequested)
            return;
        impl_->running = true;
    }
    impl_->server.listen_after_bind();
    const std::lock_guard lock(impl_->mutex);
    impl_->running = false;
}

void PromoServer::stop() {
    bool running = false;
    {
        const std::lock_guard lock(impl_->mutex);
        impl_->stopRequested = true;
        running = impl_->running;
    }
    if (!running)
        return; // run() has not begun, and now never will
    // run() may be on its way into the accept loop, which would miss a stop
    // issued before it starts. The loop's answer to a request of our own
    // says it has started; a server that has already ended refuses it.
    httplib::Client(impl_->address, impl_->port).Get(ReadyPath);
    impl_->server.stop();
}

} // namespace promotool
