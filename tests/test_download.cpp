#include "LoopbackServer.h"
#include "UrlCatcher.h"
#include "communal/Download.h"
#include "communal/Folders.h"
#include "system/CodePage.h"

#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <memory>

using platform::CodePage;
using platform::DownloadLimits;
using platform::DownloadResult;

Q_DECLARE_METATYPE(platform::DownloadResult)

namespace platform {
// How QCOMPARE prints a result.
char* toString(const DownloadResult& result) {
    return QTest::toString(static_cast<int>(result));
}
} // namespace platform

namespace {

constexpr std::uint64_t SmallCap = std::uint64_t{64} * 1024;
const QByteArray FreshContent = "fresh content";
const QByteArray EarlierContent = "earlier content";
constexpr std::uint64_t EightMebibytes = std::uint64_t{8} * 1024 * 1024;
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
    res.set_chunked_content_provider("application/octet-stream", [total](std::size_t offset,
                                                                         httplib::DataSink& sink) {
        if (offset >= total) {
            sink.done();
            return true;
        }
        const std::string piece(std::min<std::size_t>(std::size_t{64} * 1024, total - offset), 'c');
        return sink.write(piece.data(), piece.size());
    });
}

// One route per way a download can go. Routes that stall hold their
// connection until the server is stopped.
void addRoutes(testsupport::LoopbackServer& server) {
    using httplib::Request;
    using httplib::Response;
    httplib::Server& routes = server.routes();
    const std::string base = server.baseUrl();
    routes.Get("/ok", [](const Request&, Response& res) {
        res.set_content(FreshContent.toStdString(), "text/plain");
    });
    routes.Get(R"(/status/(\d+))", [](const Request& req, Response& res) {
        res.status = std::stoi(req.matches[1]);
        res.set_content("error page", "text/html");
    });
    routes.Get("/dropped", [](const Request&, Response& res) {
        res.set_content_provider(1000, "text/plain",
                                 [](std::size_t, std::size_t, httplib::DataSink& sink) {
                                     sink.write("0123456789", 10);
                                     return false;
                                 });
    });
    routes.Get("/declared-over-cap", [](const Request&, Response& res) {
        res.set_content(std::string(SmallCap + 1, 'd'), "application/octet-stream");
    });
    routes.Get("/declared-at-cap", [](const Request&, Response& res) {
        res.set_content(std::string(SmallCap, 'd'), "application/octet-stream");
    });
    routes.Get(R"(/chunked/(\d+))", [](const Request& req, Response& res) {
        sendChunked(res, std::stoull(req.matches[1]));
    });
    routes.Get("/stall-body", [&server](const Request&, Response& res) {
        res.set_content_provider(
            1000, "text/plain",
            [&server](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                if (offset == 0)
                    return sink.write("0123456789", 10);
                server.holdUntilStopped();
                return false;
            });
    });
    routes.Get("/silent", [&server](const Request&, Response&) { server.holdUntilStopped(); });
    routes.Get("/redirect-ok",
               [base](const Request&, Response& res) { res.set_redirect(base + "ok"); });
    routes.Get("/redirect-file",
               [](const Request&, Response& res) { res.set_redirect("file:///etc/passwd"); });
    routes.Get("/redirect-ftp", [&server](const Request&, Response& res) {
        res.set_redirect("ftp://127.0.0.1:" + std::to_string(server.port()) + "/ok");
    });
    // /hop/n redirects n times before it reaches the content.
    routes.Get(R"(/hop/(\d+))", [](const Request& req, Response& res) {
        const int left = std::stoi(req.matches[1]);
        if (left == 0)
            res.set_content(FreshContent.toStdString(), "text/plain");
        else
            res.set_redirect("/hop/" + std::to_string(left - 1));
    });
}

} // namespace

class TestDownload : public QObject {
    Q_OBJECT

    std::unique_ptr<testsupport::LoopbackServer> server;
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
        server = std::make_unique<testsupport::LoopbackServer>();
        addRoutes(*server);
        server->start();
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
        QTest::addColumn<DownloadResult>("reason");
        const auto row = [](const char* name, const QByteArray& address, DownloadResult reason) {
            QTest::newRow(name) << address << reason;
        };
        row("404", "http://127.0.0.1:{port}/status/404", DownloadResult::HttpError);
        row("500", "http://127.0.0.1:{port}/status/500", DownloadResult::HttpError);
        row("300 without a place to go", "http://127.0.0.1:{port}/status/300",
            DownloadResult::HttpError);
        row("connection dropped mid-body", "http://127.0.0.1:{port}/dropped",
            DownloadResult::TransferFailed);
        row("declared body over the cap", "http://127.0.0.1:{port}/declared-over-cap",
            DownloadResult::TooLarge);
        row("chunked body over the cap",
            "http://127.0.0.1:{port}/chunked/" + QByteArray::number(SmallCap + 1),
            DownloadResult::TooLarge);
        row("server stalls mid-body", "http://127.0.0.1:{port}/stall-body",
            DownloadResult::TimedOut);
        row("server never answers", "http://127.0.0.1:{port}/silent", DownloadResult::TimedOut);
        row("redirect to file", "http://127.0.0.1:{port}/redirect-file",
            DownloadResult::BadAddress);
        row("redirect to ftp", "http://127.0.0.1:{port}/redirect-ftp", DownloadResult::BadAddress);
        row("too many redirects", "http://127.0.0.1:{port}/hop/6",
            DownloadResult::TooManyRedirects);
        row("connection refused", "http://127.0.0.1:{closed}/ok", DownloadResult::CannotConnect);
        row("file address", "file:///etc/passwd", DownloadResult::BadAddress);
        row("ftp address", "ftp://127.0.0.1:{port}/ok", DownloadResult::BadAddress);
        row("no scheme", "127.0.0.1:{port}/ok", DownloadResult::BadAddress);
        row("no host", "http://", DownloadResult::BadAddress);
        row("not an address", "not an address", DownloadResult::BadAddress);
        row("empty", QByteArray(), DownloadResult::BadAddress);
        row("zero byte inside", QByteArray(ZeroInside, sizeof ZeroInside - 1),
            DownloadResult::BadAddress);
    }
    void failureKeepsEarlierFile() {
        QFETCH(QByteArray, address);
        QFETCH(DownloadResult, reason);
        address.replace("{port}", QByteArray::number(server->port()));
        address.replace("{closed}", QByteArray::number(testsupport::unusedLoopbackPort()));
        write(target(), EarlierContent);
        const std::string_view view(address.constData(), std::size_t(address.size()));
        QCOMPARE(platform::URLDownloadToFile(view, bytesOf(target()), smallLimits()), reason);
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

    // A spent budget fails a download at once, as any failed download: no
    // request, no file touched.
    void spentBudgetFailsAtOnce() {
        write(target(), EarlierContent);
        const int before = server->requestsFor("/ok");
        const communal::DownloadBudget budget(std::chrono::milliseconds(0));
        QVERIFY(!communal::DownloadFile(bytesOf(url("/ok")), bytesOf(target())));
        QCOMPARE(server->requestsFor("/ok"), before);
        QCOMPARE(contentOf(target()), EarlierContent);
        QCOMPARE(entries(), QStringList{"picture.jpg"});
    }

    // A silent server takes what is left of the budget, never the download's
    // own ten seconds; the downloads after it then fail without a request.
    void downloadsShareTheBudget() {
        const int before = server->requestsFor("/ok");
        const communal::DownloadBudget budget(std::chrono::milliseconds(1500));
        QVERIFY(!communal::DownloadFile(bytesOf(url("/silent")), bytesOf(target())));
        QCOMPARE(budget.remaining(), std::chrono::milliseconds(0));
        QVERIFY(!communal::DownloadFile(bytesOf(url("/ok")), bytesOf(target())));
        QCOMPARE(server->requestsFor("/ok"), before);
        QVERIFY(entries().isEmpty());
    }

    void budgetsNestAndEnd() {
        QVERIFY(!communal::DownloadBudget::current());
        {
            const communal::DownloadBudget outer(std::chrono::milliseconds(1000));
            QCOMPARE(communal::DownloadBudget::current(), &outer);
            {
                const communal::DownloadBudget inner(std::chrono::milliseconds(60000));
                QCOMPARE(communal::DownloadBudget::current(), &inner);
                QVERIFY(inner.remaining() <= outer.remaining());
            }
            QCOMPARE(communal::DownloadBudget::current(), &outer);
            // Within a budget that is not spent, a download works as ever.
            QVERIFY(communal::DownloadFile(bytesOf(url("/ok")), bytesOf(target())));
            QCOMPARE(contentOf(target()), FreshContent);
        }
        QVERIFY(!communal::DownloadBudget::current());
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
