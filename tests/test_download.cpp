#include "CodePage.h"
#include "Communal.h"
#include "TestSupport.h"

#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <condition_variable>
#include <httplib.h>
#include <memory>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using platform::CodePage;
using platform::DownloadLimits;

namespace {

constexpr std::uint64_t SmallCap = 64 * 1024;
const QByteArray FreshContent = "fresh content";
const QByteArray EarlierContent = "earlier content";
constexpr std::uint64_t EightMebibytes = 8 * 1024 * 1024;
// Read up to the zero byte, this address would succeed.
constexpr char ZeroInside[] = "http://127.0.0.1:{port}/ok\0/status/404";

// Bounds that keep a failing transfer short.
DownloadLimits smallLimits() {
    DownloadLimits limits;
    limits.connectTimeout = std::chrono::milliseconds(1000);
    limits.totalTimeout = std::chrono::milliseconds(1000);
    limits.stallTime = std::chrono::seconds(1);
    limits.maxBodyBytes = SmallCap;
    return limits;
}

std::string bytesOf(const QString& path) {
    return CodePage::system().fromUnicode(path);
}

// A chunked body of the given size, with no Content-Length.
void sendChunked(httplib::Response& res, std::size_t total) {
    res.set_chunked_content_provider(
        "application/octet-stream", [total](std::size_t offset, httplib::DataSink& sink) {
            if (offset >= total) {
                sink.done();
                return true;
            }
            const std::string piece(std::min<std::size_t>(64 * 1024, total - offset), 'c');
            return sink.write(piece.data(), piece.size());
        });
}

// A port on the loopback on which nothing listens.
int unusedPort() {
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

// An HTTP server on 127.0.0.1 with one route per way a download can go.
// Routes that stall hold their connection until the server is stopped.
class LocalServer {
public:
    LocalServer() {
        addRoutes();
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~LocalServer() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        server_.stop();
        thread_.join();
    }

    int port() const { return port_; }

private:
    void waitForStop() {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return stopping_; });
    }

    void addRoutes() {
        using httplib::Request;
        using httplib::Response;
        server_.Get("/ok", [](const Request&, Response& res) {
            res.set_content(FreshContent.toStdString(), "text/plain");
        });
        server_.Get(R"(/status/(\d+))", [](const Request& req, Response& res) {
            res.status = std::stoi(req.matches[1]);
            res.set_content("error page", "text/html");
        });
        server_.Get("/dropped", [](const Request&, Response& res) {
            res.set_content_provider(1000, "text/plain",
                                     [](std::size_t, std::size_t, httplib::DataSink& sink) {
                                         sink.write("0123456789", 10);
                                         return false;
                                     });
        });
        server_.Get("/declared-over-cap", [](const Request&, Response& res) {
            res.set_content(std::string(SmallCap + 1, 'd'), "application/octet-stream");
        });
        server_.Get("/declared-at-cap", [](const Request&, Response& res) {
            res.set_content(std::string(SmallCap, 'd'), "application/octet-stream");
        });
        server_.Get(R"(/chunked/(\d+))", [](const Request& req, Response& res) {
            sendChunked(res, std::stoull(req.matches[1]));
        });
        server_.Get("/stall-body", [this](const Request&, Response& res) {
            res.set_content_provider(
                1000, "text/plain",
                [this](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                    if (offset == 0)
                        return sink.write("0123456789", 10);
                    waitForStop();
                    return false;
                });
        });
        server_.Get("/silent", [this](const Request&, Response&) { waitForStop(); });
        server_.Get("/redirect-ok", [this](const Request&, Response& res) {
            res.set_redirect("http://127.0.0.1:" + std::to_string(port_) + "/ok");
        });
        server_.Get("/redirect-file",
                    [](const Request&, Response& res) { res.set_redirect("file:///etc/passwd"); });
        server_.Get("/redirect-ftp", [this](const Request&, Response& res) {
            res.set_redirect("ftp://127.0.0.1:" + std::to_string(port_) + "/ok");
        });
        // /hop/n redirects n times before it reaches the content.
        server_.Get(R"(/hop/(\d+))", [](const Request& req, Response& res) {
            const int left = std::stoi(req.matches[1]);
            if (left == 0)
                res.set_content(FreshContent.toStdString(), "text/plain");
            else
                res.set_redirect("/hop/" + std::to_string(left - 1));
        });
    }

    httplib::Server server_;
    int port_ = -1;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
};

} // namespace

class TestDownload : public QObject {
    Q_OBJECT

    std::unique_ptr<LocalServer> server;
    std::unique_ptr<QTemporaryDir> dir;

    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server->port()).arg(path);
    }
    QString target() const { return dir->filePath("picture.jpg"); }
    QStringList entries() const {
        return QDir(dir->path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    static QByteArray contentOf(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    static void write(const QString& path, const QByteArray& content) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(content), content.size());
    }

private slots:
    void initTestCase() {
        // Every request of this test goes straight to the loopback.
        for (const char* name :
             {"http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY"})
            qunsetenv(name);
        server = std::make_unique<LocalServer>();
        QVERIFY(server->port() > 0);
    }
    void cleanupTestCase() { server.reset(); }
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
    }
    void cleanup() { dir.reset(); }

    void successWritesFile() {
        QVERIFY(communal::DownloadFile(bytesOf(url("/ok")), bytesOf(target()), smallLimits()));
        QCOMPARE(contentOf(target()), FreshContent);
        QCOMPARE(entries(), QStringList{"picture.jpg"});
    }

    void success_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("plain") << "/ok" << FreshContent;
        QTest::newRow("redirect on the same server") << "/redirect-ok" << FreshContent;
        QTest::newRow("as many redirects as allowed") << "/hop/5" << FreshContent;
        QTest::newRow("declared body at the cap")
            << "/declared-at-cap" << QByteArray(SmallCap, 'd');
        QTest::newRow("chunked body at the cap")
            << QString("/chunked/%1").arg(SmallCap) << QByteArray(SmallCap, 'c');
    }
    void success() {
        QFETCH(QString, path);
        QFETCH(QByteArray, expected);
        write(target(), EarlierContent);
        QVERIFY(communal::DownloadFile(bytesOf(url(path)), bytesOf(target()), smallLimits()));
        QCOMPARE(contentOf(target()), expected);
        QCOMPARE(entries(), QStringList{"picture.jpg"});
    }

    // {port} stands for the test server, {closed} for a port nothing listens on.
    void failureKeepsEarlierFile_data() {
        QTest::addColumn<QByteArray>("address");
        QTest::newRow("404") << QByteArray("http://127.0.0.1:{port}/status/404");
        QTest::newRow("500") << QByteArray("http://127.0.0.1:{port}/status/500");
        QTest::newRow("300 without a place to go")
            << QByteArray("http://127.0.0.1:{port}/status/300");
        QTest::newRow("connection dropped mid-body")
            << QByteArray("http://127.0.0.1:{port}/dropped");
        QTest::newRow("declared body over the cap")
            << QByteArray("http://127.0.0.1:{port}/declared-over-cap");
        QTest::newRow("chunked body over the cap")
            << "http://127.0.0.1:{port}/chunked/" + QByteArray::number(SmallCap + 1);
        QTest::newRow("server stalls mid-body") << QByteArray("http://127.0.0.1:{port}/stall-body");
        QTest::newRow("server never answers") << QByteArray("http://127.0.0.1:{port}/silent");
        QTest::newRow("redirect to file") << QByteArray("http://127.0.0.1:{port}/redirect-file");
        QTest::newRow("redirect to ftp") << QByteArray("http://127.0.0.1:{port}/redirect-ftp");
        QTest::newRow("too many redirects") << QByteArray("http://127.0.0.1:{port}/hop/6");
        QTest::newRow("connection refused") << QByteArray("http://127.0.0.1:{closed}/ok");
        QTest::newRow("file address") << QByteArray("file:///etc/passwd");
        QTest::newRow("ftp address") << QByteArray("ftp://127.0.0.1:{port}/ok");
        QTest::newRow("no scheme") << QByteArray("127.0.0.1:{port}/ok");
        QTest::newRow("no host") << QByteArray("http://");
        QTest::newRow("not an address") << QByteArray("not an address");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("zero byte inside") << QByteArray(ZeroInside, sizeof ZeroInside - 1);
    }
    void failureKeepsEarlierFile() {
        QFETCH(QByteArray, address);
        address.replace("{port}", QByteArray::number(server->port()));
        address.replace("{closed}", QByteArray::number(unusedPort()));
        write(target(), EarlierContent);
        const std::string_view view(address.constData(), std::size_t(address.size()));
        QVERIFY(!communal::DownloadFile(view, bytesOf(target()), smallLimits()));
        QCOMPARE(contentOf(target()), EarlierContent);
        QCOMPARE(entries(), QStringList{"picture.jpg"});
    }

    void failureWithoutEarlierFileLeavesNothing() {
        QVERIFY(
            !communal::DownloadFile(bytesOf(url("/dropped")), bytesOf(target()), smallLimits()));
        QVERIFY(entries().isEmpty());
    }

    void targetInMissingFolderFails() {
        const QString inside = dir->filePath("missing/picture.jpg");
        QVERIFY(!communal::DownloadFile(bytesOf(url("/ok")), bytesOf(inside), smallLimits()));
        QVERIFY(entries().isEmpty());
    }

    // A server that takes the request and never answers is given up on by
    // the stall limit, long before the total limit would end the transfer.
    void stallDetectionStopsTransfer() {
        DownloadLimits limits = smallLimits();
        limits.totalTimeout = std::chrono::milliseconds(8000);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!communal::DownloadFile(bytesOf(url("/silent")), bytesOf(target()), limits));
        QVERIFY2(timer.elapsed() < 6000, "the stall limit did not stop the transfer");
        QVERIFY(entries().isEmpty());
    }

    void defaultCapIsEightMebibytes_data() {
        QTest::addColumn<qulonglong>("size");
        QTest::addColumn<bool>("downloaded");
        QTest::newRow("at the cap") << qulonglong(EightMebibytes) << true;
        QTest::newRow("one byte over") << qulonglong(EightMebibytes + 1) << false;
    }
    void defaultCapIsEightMebibytes() {
        QFETCH(qulonglong, size);
        QFETCH(bool, downloaded);
        QCOMPARE(communal::DownloadFile(bytesOf(url(QString("/chunked/%1").arg(size))),
                                        bytesOf(target())),
                 downloaded);
        QCOMPARE(QFileInfo(target()).size(), downloaded ? qint64(size) : 0);
        QCOMPARE(entries(), downloaded ? QStringList{"picture.jpg"} : QStringList{});
    }

    void openFolderShowsThatFolder() {
        testsupport::UrlCatcher catcher;
        const QString folder = dir->filePath(QStringLiteral("程序 目录/"));
        communal::OpenFolder(bytesOf(folder));
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl::fromLocalFile(folder)});
    }
};

QTEST_MAIN(TestDownload)
#include "test_download.moc"
