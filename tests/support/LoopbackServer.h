#pragma once

// An HTTP server on 127.0.0.1, on a port of its own, answering on a thread
// of its own while it lives. Tests add routes before start(); by default it
// serves the files put() into it and records every path asked for.
//
// start() returns once the server answers requests, and stop() (or the
// destructor) first releases every request held by holdUntilStopped() or
// waitForStop(), so that neither ever waits on a timer.

#include <QByteArray>
#include <chrono>
#include <condition_variable>
#include <httplib.h>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace testsupport {

// A loopback port on which nothing listens (free when asked for), and the
// base URL of a server there.
int unusedLoopbackPort();
std::string unreachableBaseUrl();

class LoopbackServer {
public:
    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Routes of the test's own, before start(); they take precedence over
    // the files.
    httplib::Server& routes() { return server_; }

    void start();
    void stop();

    int port() const { return port_; }
    // "http://127.0.0.1:<port>/"
    std::string baseUrl() const;
    // The base URL followed by path, without its leading "/".
    std::string url(std::string_view path) const;

    // A file to serve at path ("/top.jpg"); other paths answer 404.
    void put(const std::string& path, std::string content);
    void put(const std::string& path, const QByteArray& content) {
        put(path, content.toStdString());
    }
    // How often path was asked for, and every path in order.
    int requestsFor(const std::string& path) const;
    std::vector<std::string> requests() const;

    // For handlers: blocks until the server stops.
    void holdUntilStopped();
    // For handlers: waits at most timeout; true once the server is stopping.
    bool waitForStop(std::chrono::milliseconds timeout);

private:
    void serveFiles();

    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable stopping_;
    bool stopRequested_ = false;
    bool started_ = false;
    std::map<std::string, std::string> files_;
    std::vector<std::string> requests_;
};

} // namespace testsupport
