// Launch to window visible, against promotion servers that behave and that
// do not. The benchmark starts a copy of itself as the program: a fresh
// process that starts up as the program does, with its program folder in a
// temporary folder and its promotion server on the loopback, and reports
// when its window is first exposed on the screen. Run it under an X server
// (scripts/bench does, on Xvfb).
//
//   bench_startup <case>       prints: case, milliseconds from launch to visible
//
// Cases: offline, good, silent, silent-kept, trickle, trickle-kept.

#include "LoopbackServer.h"
#include "PromoFixtures.h"
#include "communal/Promo.h"
#include "system/AllocatorPolicy.h"
#include "system/ProgramPath.h"
#include "widgets/Application.h"
#include "window/UnitMain.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// The descriptor on which the program tells the benchmark that its window
// is visible.
constexpr int VisibleFd = 3;

// Tells, then quits, when the window's first expose event arrives with it on
// the screen.
class ExposeWatch : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            const char visible = 'v';
            if (write(VisibleFd, &visible, 1) != 1)
                std::perror("bench_startup: tell");
            QCoreApplication::exit(0);
        }
        return false;
    }
};

// The program, as src/window/main.cpp starts it, in the given folder and
// with the given promotion server; exits once the window is visible.
int runProgram(int argc, char* argv[], const char* folder, const char* baseUrl) {
    platform::CodePage::useLocaleFromEnvironment();
    platform::keepLargeAllocations();
    QApplication app(argc, argv);
    platform::setExeNameForTesting(std::string(folder) + "/kalvor-base64");
    communal::setPromoBaseUrlForTesting(baseUrl);
    platform::Application().setTitle(QString::fromUtf16(ApplicationTitle));
    QApplication::setApplicationDisplayName(platform::Application().Title());

    TfrmAd frmAd;
    ExposeWatch watch;
    frmAd.winId(); // the native window exists before the show
    frmAd.windowHandle()->installEventFilter(&watch);
    frmAd.show();
    return app.exec();
}

void keepEarlierRun(const QString& folder, const std::string& baseUrl) {
    testsupport::SettingsFile settings;
    settings.set("kv64path", "fname1", baseUrl + "top.jpg");
    settings.set("kv64path", "fname2", baseUrl + "side.gif");
    testsupport::writeFile(folder + "/SetConfig.ini", settings.content());
    testsupport::writeFile(folder + "/fname1.jpg", testsupport::jpegPicture());
    testsupport::writeFile(folder + "/fname2.gif", testsupport::animatedGif());
}

void addMisbehaviour(testsupport::LoopbackServer& server) {
    server.routes().Get(R"(/silent/.*)", [&server](const httplib::Request&, httplib::Response&) {
        server.holdUntilStopped();
    });
    server.routes().Get(R"(/trickle/.*)", [&server](const httplib::Request&,
                                                    httplib::Response& response) {
        response.set_content_provider(1 << 20, "application/octet-stream",
                                      [&server](std::size_t, std::size_t, httplib::DataSink& sink) {
                                          if (server.waitForStop(std::chrono::milliseconds(1000)))
                                              return false;
                                          return sink.write(std::string(40, ';').data(), 40);
                                      });
    });
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc == 4 && std::strcmp(argv[1], "--program") == 0)
        return runProgram(argc, argv, argv[2], argv[3]);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_startup offline|good|silent|silent-kept|trickle|"
                             "trickle-kept\n");
        return 2;
    }
    const std::string which = argv[1];
    QCoreApplication app(argc, argv); // for the fixtures' files
    QTemporaryDir folder;
    testsupport::LoopbackServer server;
    addMisbehaviour(server);
    server.put("/top.jpg", testsupport::jpegPicture());
    server.put("/side.gif", testsupport::animatedGif());
    testsupport::SettingsFile settings;
    settings.set("kv64path", "fname1", server.baseUrl() + "top.jpg");
    settings.set("kv64path", "fname2", server.baseUrl() + "side.gif");
    server.put("/kv64.rar", settings.content());
    server.start();

    std::string baseUrl = server.baseUrl();
    if (which == "offline") {
        baseUrl = testsupport::unreachableBaseUrl();
    } else if (which.rfind("silent", 0) == 0) {
        baseUrl = server.url("silent/");
    } else if (which.rfind("trickle", 0) == 0) {
        baseUrl = server.url("trickle/");
    } else if (which != "good") {
        std::fprintf(stderr, "bench_startup: unknown case %s\n", which.c_str());
        return 2;
    }
    // An earlier run left pictures whose addresses are at the same server.
    if (which.size() > 5 && which.compare(which.size() - 5, 5, "-kept") == 0)
        keepEarlierRun(folder.path(), baseUrl);

    std::string folderArg = folder.path().toStdString();
    std::string name = "kalvor-base64";
    std::string programArg = "--program";
    char* childArgs[] = {name.data(), programArg.data(), folderArg.data(), baseUrl.data(), nullptr};
    int visiblePipe[2];
    if (pipe(visiblePipe) != 0) {
        std::perror("bench_startup: pipe");
        return 1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, visiblePipe[1], VisibleFd);

    const auto launched = Clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, "/proc/self/exe", &actions, nullptr, childArgs, environ) != 0) {
        std::perror("bench_startup: spawn");
        return 1;
    }
    close(visiblePipe[1]);
    char visibleByte = 0;
    const bool told = read(visiblePipe[0], &visibleByte, 1) == 1;
    const auto visible = Clock::now();
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    waitpid(child, &status, 0);
    if (!told || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench_startup: the program failed\n");
        return 1;
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(visible - launched);
    std::printf("%s %lld\n", which.c_str(), static_cast<long long>(ms.count()));
    return 0;
}
