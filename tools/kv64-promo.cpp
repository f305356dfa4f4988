// The promotion server's tool:
//   kv64-promo build <source.ini> <outdir> [--base URL]
//       writes the scrambled settings file and the files it names to outdir
//   kv64-promo serve <dir> [--port N] [--host 127.0.0.1]
//       serves dir over HTTP on the loopback interface until Ctrl+C

#include "PromoPublisher.h"
#include "PromoServer.h"
#include "PromoSource.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <optional>
#include <pthread.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int UsageError = 2;

int usage() {
    std::cerr << "usage: kv64-promo build <source.ini> <outdir> [--base URL]\n"
                 "       kv64-promo serve <dir> [--port N] [--host 127.0.0.1]\n";
    return UsageError;
}

// Splits arguments into positional ones and "--name value" options; gives
// nothing when an option lacks its value or is not among `known`.
struct Arguments {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options;

    std::optional<std::string> option(const std::string& name) const {
        for (const auto& [key, value] : options) {
            if (key == name) {
                return value;
            }
        }
        return std::nullopt;
    }
};

std::optional<Arguments> parseArguments(int argc, char* argv[],
                                        const std::vector<std::string>& known) {
    Arguments arguments;
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind("--", 0) != 0) {
            arguments.positional.push_back(argument);
            continue;
        }
        const std::string name = argument.substr(2);
        if (std::find(known.begin(), known.end(), name) == known.end() || i + 1 >= argc) {
            return std::nullopt;
        }
        arguments.options.emplace_back(name, argv[++i]);
    }
    return arguments;
}

int build(const Arguments& arguments) {
    if (arguments.positional.size() != 2) {
        return usage();
    }
    const std::string base =
        arguments.option("base").value_or(std::string(promotool::DefaultBaseUrl));
    const auto published =
        promotool::buildPromoFolder(arguments.positional[0], arguments.positional[1], base);
    std::cout << "wrote " << published.settingsFile.string() << '\n';
    for (const auto& file : published.copiedFiles) {
        std::cout << "copied " << file.string() << '\n';
    }
    return 0;
}

std::optional<int> parsePort(const std::string& text) {
    try {
        std::size_t used = 0;
        const int port = std::stoi(text, &used);
        if (used == text.size() && port > 0 && port <= 65535) {
            return port;
        }
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

int serve(const Arguments& arguments) {
    if (arguments.positional.size() != 1) {
        return usage();
    }
    const auto port =
        parsePort(arguments.option("port").value_or(std::to_string(promotool::DefaultPort)));
    if (!port) {
        std::cerr << "kv64-promo: the port must be a number from 1 to 65535\n";
        return UsageError;
    }
    const std::string host = arguments.option("host").value_or(std::string(promotool::DefaultHost));

    // Ctrl+C and SIGTERM are taken by a thread of their own, which stops the
    // server in an orderly way; blocked here, they stay blocked in every
    // thread the server starts.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    promotool::PromoServer server(arguments.positional[0], std::cout);
    const int boundPort = server.bind(host, *port);
    std::cout << "serving " << arguments.positional[0] << " at http://"
              << (host.find(':') != std::string::npos ? "[" + host + "]" : host) << ':' << boundPort
              << "/ (Ctrl+C stops)" << std::endl;

    std::thread signalWatcher([&server, &stopSignals] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        server.stop();
    });
    server.run();
    // run() also ends when the server fails; the watcher then waits still,
    // and a stop signal to the whole process wakes it.
    kill(getpid(), SIGTERM);
    signalWatcher.join();
    std::cout << "stopped" << std::endl;
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        return usage();
    }
    const std::string command = argv[1];
    try {
        if (command == "build") {
            const auto arguments = parseArguments(argc, argv, {"base"});
            return arguments ? build(*arguments) : usage();
        }
        if (command == "serve") {
            const auto arguments = parseArguments(argc, argv, {"port", "host"});
            return arguments ? serve(*arguments) : usage();
        }
    } catch (const std::exception& error) {
        std::cerr << "kv64-promo: " << error.what() << '\n';
        return 1;
    }
    return usage();
}
