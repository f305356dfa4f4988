#include "LoopbackServer.h"

#include <algorithm>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {
namespace {

// Asked for by start() to learn that the server answers; never recorded.
constexpr char ReadyPath[] = "/.loopback-server-ready";

} // namespace

LoopbackServer::LoopbackServer() {
    // Listening begins with the bind: connections wait in the backlog until
    // the server's thread takes them.
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0)
        throw std::runtime_error("cannot bind a loopback port");
}

LoopbackServer::~LoopbackServer() {
    // The listening socket closes only when the accept loop ends: a server
    // that never ran is started to be stopped.
    try {
        if (!thread_.joinable())
            start();
    } catch (const std::exception&) {
    }
    stop();
}

std::string LoopbackServer::baseUrl() const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/";
}

std::string LoopbackServer::url(std::string_view path) const {
    if (!path.empty() && path.front() == '/')
        path.remove_prefix(1);
    return baseUrl() + std::string(path);
}

void LoopbackServer::put(const std::string& path, std::string content) {
    const std::lock_guard lock(mutex_);
    files_[path] = std::move(content);
}

int LoopbackServer::requestsFor(const std::string& path) const {
    const std::lock_guard lock(mutex_);
    return int(std::count(requests_.begin(), requests_.end(), path));
}

std::vector<std::string> LoopbackServer::requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

void LoopbackServer::serveFiles() {
    server_.Get(ReadyPath, [](const httplib::Request&, httplib::Response& response) {
        response.status = 204;
    });
    server_.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
        if (request.path != ReadyPath) {
            const std::lock_guard lock(mutex_);
            requests_.push_back(request.path);
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });
    server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        const std::lock_guard lock(mutex_);
        const auto file = files_.find(request.path);
        if (file == files_.end()) {
            response.status = 404;
            return;
        }
        response.set_content(file->second, "application/octet-stream");
    });
}

int unusedLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

std::string unreachableBaseUrl() {
    return "http://127.0.0.1:" + std::to_string(unusedLoopbackPort()) + "/";
}

void LoopbackServer::start() {
    serveFiles();
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // The answer to this request comes from the running accept loop, so
    // once it is in, stop() can end that loop.
    httplib::Client client("127.0.0.1", port_);
    const auto ready = client.Get(ReadyPath);
    if (!ready || ready->status != 204)
        throw std::runtime_error("the loopback server does not answer");
    const std::lock_guard lock(mutex_);
    started_ = true;
}

void LoopbackServer::stop() {
    bool started = false;
    {
        const std::lock_guard lock(mutex_);
        stopRequested_ = true;
        started = started_;
        started_ = false;
    }
    stopping_.notify_all();
    if (started)
        server_.stop();
    if (thread_.joinable())
        thread_.join();
}

void LoopbackServer::holdUntilStopped() {
    std::unique_lock lock(mutex_);
    stopping_.wait(lock, [this] { return stopRequested_; });
}

bool LoopbackServer::waitForStop(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return stopping_.wait_for(lock, timeout, [this] { return stopRequested_; });
}

} // namespace testsupport
