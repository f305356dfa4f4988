#include "PromoPublisher.h"
#include "PromoServer.h"
#include "PromoSource.h"
#include "communal/Settings.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <httplib.h>
#include <sstream>
#include <thread>

using promotool::PromoError;

namespace {

const QString SourceDir = QStringLiteral(KALVOR_SOURCE_DIR);

std::string local(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

void writeAll(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

std::string readSetting(const QString& file, const char* section, const char* ident) {
    std::string value = "<untouched>";
    communal::AccessSetting(local(file), communal::ReadMode, section, ident, "", value);
    return value;
}

// A server on a free loopback port, answering on a thread of its own for
// as long as the fixture lives.
class RunningServer {
public:
    explicit RunningServer(const QString& folder)
        : server_(local(folder), log_)
        , port_(server_.bind("127.0.0.1", 0))
        , thread_([this] { server_.run(); }) {}
    ~RunningServer() { stop(); }
    int port() const { return port_; }

    // The request log, complete once the server has stopped.
    std::string stopAndLog() {
        stop();
        return log_.str();
    }

private:
    void stop() {
        if (thread_.joinable()) {
            server_.stop();
            thread_.join();
        }
    }

    std::ostringstream log_;
    promotool::PromoServer server_;
    int port_;
    std::thread thread_;
};

} // namespace

class TestPromoTool : public QObject {
    Q_OBJECT

private slots:
    void parsesSectionsEntriesAndComments();
    void rejectsMalformedSource_data();
    void rejectsMalformedSource();
    void normalisesBaseUrl_data();
    void normalisesBaseUrl();
    void substitutesEveryPlaceholder();
    void findsServerFile_data();
    void findsServerFile();

    void buildWritesWhatTheProgramReads();
    void rebuildDropsEntriesNoLongerInTheSource();
    void buildWithMissingPictureKeepsEarlierSettings();

    void recognisesLoopbackHosts_data();
    void recognisesLoopbackHosts();
    void servesFolderAndAnswers404();
    void refusesToBindBeyondLoopback();
    void stopBeforeRunEndsRun();
    void servedSettingsReadBack();
};

void TestPromoTool::parsesSectionsEntriesAndComments() {
    const auto entries = promotool::parsePromoSource("; comment\r\n"
                                                     "# another\r\n"
                                                     "\r\n"
                                                     "[ kv64path ]\r\n"
                                                     "  fname1 = {base}top.jpg?a=b  \r\n"
                                                     "fname2=\r\n"
                                                     "[kv64link]\n"
                                                     "fname1=http://example.com/x;y",
                                                     "t.ini");
    QCOMPARE(entries.size(), std::size_t{3});
    QCOMPARE(entries[0].section, std::string("kv64path"));
    QCOMPARE(entries[0].ident, std::string("fname1"));
    QCOMPARE(entries[0].value, std::string("{base}top.jpg?a=b")); // "=" after the first kept
    QCOMPARE(entries[0].line, 5);
    QCOMPARE(entries[1].value, std::string());
    QCOMPARE(entries[2].section, std::string("kv64link"));
    QCOMPARE(entries[2].value, std::string("http://example.com/x;y"));
    QCOMPARE(entries[2].line, 8);
}

void TestPromoTool::rejectsMalformedSource_data() {
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QString>("where");

    QTest::newRow("entry before any section") << QByteArray("fname1=x\n") << "t.ini:1:";
    QTest::newRow("line without =") << QByteArray("[a]\nfname1 x\n") << "t.ini:2:";
    QTest::newRow("unclosed section") << QByteArray("[a]\n[b\n") << "t.ini:2:";
    QTest::newRow("empty section name") << QByteArray("[ ]\n") << "t.ini:1:";
    QTest::newRow("empty entry name") << QByteArray("[a]\n =x\n") << "t.ini:2:";
    QTest::newRow("entry given twice, other case")
        << QByteArray("[a]\nfname1=x\n[A]\nFNAME1=y\n") << "t.ini:4:";
    QTest::newRow("zero byte") << QByteArray("[a]\nf=x\0y\n", 10) << "t.ini:2:";
}

void TestPromoTool::rejectsMalformedSource() {
    QFETCH(QByteArray, source);
    QFETCH(QString, where);
    try {
        promotool::parsePromoSource(source.toStdString(), "t.ini");
        QFAIL("no error");
    } catch (const PromoError& error) {
        QVERIFY2(QString(error.what()).startsWith(where), error.what());
    }
}

void TestPromoTool::normalisesBaseUrl_data() {
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("expected"); // empty: refused

    QTest::newRow("default") << "http://127.0.0.1:8064/"
                             << "http://127.0.0.1:8064/";
    QTest::newRow("final slash added") << "http://127.0.0.1:9000"
                                       << "http://127.0.0.1:9000/";
    QTest::newRow("https with folder") << "HTTPS://promo.example/kv/"
                                       << "HTTPS://promo.example/kv/";
    QTest::newRow("other scheme") << "ftp://promo.example/"
                                  << "";
    QTest::newRow("no scheme") << "127.0.0.1:8064/"
                               << "";
    QTest::newRow("no host") << "http:///x/"
                             << "";
    QTest::newRow("query") << "http://h/?x=1"
                           << "";
    QTest::newRow("blank") << "http://h/a b/"
                           << "";
}

void TestPromoTool::normalisesBaseUrl() {
    QFETCH(QString, given);
    QFETCH(QString, expected);
    if (expected.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(PromoError, promotool::normaliseBaseUrl(given.toStdString()));
    } else {
        QCOMPARE(QString::fromStdString(promotool::normaliseBaseUrl(given.toStdString())),
                 expected);
    }
}

void TestPromoTool::substitutesEveryPlaceholder() {
    QCOMPARE(promotool::substituteBase("{base}a.html?from={base}", "http://h/"),
             std::string("http://h/a.html?from=http://h/"));
    QCOMPARE(promotool::substituteBase("http://other/{bas}", "http://h/"),
             std::string("http://other/{bas}"));
}

void TestPromoTool::findsServerFile_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("refused");

    QTest::newRow("picture") << "{base}top.jpg"
                             << "top.jpg" << false;
    QTest::newRow("query dropped") << "{base}img/side.gif?v=2"
                                   << "img/side.gif" << false;
    QTest::newRow("fragment dropped") << "{base}welcome.html#tools"
                                      << "welcome.html" << false;
    QTest::newRow("escape decoded") << "{base}my%20top.jpg"
                                    << "my top.jpg" << false;
    QTest::newRow("server root") << "{base}"
                                 << "" << false;
    QTest::newRow("folder") << "{base}news/"
                            << "" << false;
    QTest::newRow("another server") << "http://example.com/top.jpg"
                                    << "" << false;
    QTest::newRow("placeholder later") << "http://x/?u={base}a.jpg"
                                       << "" << false;
    QTest::newRow("parent folder") << "{base}../secret.jpg"
                                   << "" << true;
    QTest::newRow("escaped parent") << "{base}a/%2E%2E/%2e%2e/b.jpg"
                                    << "" << true;
    QTest::newRow("absolute") << "{base}/etc/passwd"
                              << "" << true;
    QTest::newRow("backslash") << "{base}a\\b.jpg"
                               << "" << true;
}

void TestPromoTool::findsServerFile() {
    QFETCH(QString, value);
    QFETCH(QString, file);
    QFETCH(bool, refused);
    if (refused) {
        QVERIFY_THROWS_EXCEPTION(PromoError, promotool::serverFileOf(value.toStdString()));
    } else {
        QCOMPARE(QString::fromStdString(promotool::serverFileOf(value.toStdString())), file);
    }
}

void TestPromoTool::buildWritesWhatTheProgramReads() {
    QTemporaryDir out;
    QVERIFY(out.isValid());
    const auto published = promotool::buildPromoFolder(local(SourceDir + "/promo/kv64.ini"),
                                                       local(out.path()), "http://127.0.0.1:9999");
    const QString settings = out.filePath("kv64.rar");
    QCOMPARE(QString::fromStdString(published.settingsFile.string()), settings);

    QCOMPARE(readSetting(settings, "kv64path", "fname1"),
             std::string("http://127.0.0.1:9999/top.jpg"));
    QCOMPARE(readSetting(settings, "kv64path", "fname2"),
             std::string("http://127.0.0.1:9999/side.gif"));
    QCOMPARE(readSetting(settings, "kv64link", "fname1"),
             std::string("http://127.0.0.1:9999/welcome.html"));
    QCOMPARE(readSetting(settings, "kv64link", "fname2"),
             std::string("http://127.0.0.1:9999/welcome.html#tools"));

    // Only scrambled text stands right of "=", and nothing of the source's
    // comments or placeholders reaches the server.
    const QString text = QString::fromLatin1(readAll(settings));
    QVERIFY2(!text.contains("{base}") && !text.contains(";"), qPrintable(text));
    static const QRegularExpression line("^(\\[[a-z0-9]+\\]|fname[12]=[0-9A-F]+)$");
    for (const QString& entry : text.split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts)) {
        QVERIFY2(line.match(entry).hasMatch(), qPrintable(entry));
    }

    QCOMPARE(published.copiedFiles.size(), std::size_t{3});
    for (const char* file : {"top.jpg", "side.gif", "welcome.html"}) {
        QCOMPARE(readAll(out.filePath(file)), readAll(SourceDir + "/promo/" + file));
    }
    QVERIFY(!QFile::exists(out.filePath("kv64.rar.partial")));
}

void TestPromoTool::rebuildDropsEntriesNoLongerInTheSource() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString source = dir.filePath("kv64.ini");
    const QString out = dir.filePath("site");
    writeAll(source, "[kv64path]\nfname1=http://a/one.jpg\nfname2=http://a/two.gif\n");
    promotool::buildPromoFolder(local(source), local(out), promotool::DefaultBaseUrl);
    QCOMPARE(readSetting(out + "/kv64.rar", "kv64path", "fname2"), std::string("http://a/two.gif"));

    writeAll(source, "[kv64path]\nfname1=http://a/new.jpg\n");
    promotool::buildPromoFolder(local(source), local(out), promotool::DefaultBaseUrl);
    QCOMPARE(readSetting(out + "/kv64.rar", "kv64path", "fname1"), std::string("http://a/new.jpg"));
    QCOMPARE(readSetting(out + "/kv64.rar", "kv64path", "fname2"), std::string());
}

void TestPromoTool::buildWithMissingPictureKeepsEarlierSettings() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString source = dir.filePath("kv64.ini");
    const QString out = dir.filePath("site");
    writeAll(dir.filePath("top.jpg"), "picture");
    writeAll(source, "[kv64path]\nfname1={base}top.jpg\n");
    promotool::buildPromoFolder(local(source), local(out), promotool::DefaultBaseUrl);
    const QByteArray earlier = readAll(out + "/kv64.rar");

    writeAll(source, "[kv64path]\nfname1={base}top.jpg\n\n[kv64link]\nfname1={base}gone.html\n");
    try {
        promotool::buildPromoFolder(local(source), local(out), promotool::DefaultBaseUrl);
        QFAIL("no error");
    } catch (const PromoError& error) {
        QVERIFY2(QString(error.what()).startsWith("kv64.ini:5: gone.html is not in"), error.what());
    }
    QCOMPARE(readAll(out + "/kv64.rar"), earlier);
    QVERIFY(!QFile::exists(out + "/kv64.rar.partial"));
}

void TestPromoTool::recognisesLoopbackHosts_data() {
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("loopback");

    QTest::newRow("127.0.0.1") << "127.0.0.1" << true;
    QTest::newRow("127.8.9.10") << "127.8.9.10" << true;
    QTest::newRow("::1") << "::1" << true;
    QTest::newRow("localhost") << "localhost" << true;
    QTest::newRow("any address") << "0.0.0.0" << false;
    QTest::newRow("any IPv6") << "::" << false;
    QTest::newRow("private network") << "192.168.1.10" << false;
    QTest::newRow("128.0.0.1") << "128.0.0.1" << false;
    QTest::newRow("host name") << "example.com" << false;
    QTest::newRow("empty") << "" << false;
}

void TestPromoTool::recognisesLoopbackHosts() {
    QFETCH(QString, host);
    QFETCH(bool, loopback);
    QCOMPARE(promotool::isLoopbackHost(host.toStdString()), loopback);
}

void TestPromoTool::servesFolderAndAnswers404() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeAll(dir.filePath("hello.txt"), "hello, slot");
    QDir(dir.path()).mkdir("img");
    writeAll(dir.filePath("img/side.gif"), "GIF89a...");
    QTemporaryDir outside;
    writeAll(outside.filePath("secret.txt"), "secret");

    RunningServer server(dir.path());
    httplib::Client client("127.0.0.1", server.port());
    const auto hello = client.Get("/hello.txt");
    QVERIFY(hello);
    QCOMPARE(hello->status, 200);
    QCOMPARE(hello->body, std::string("hello, slot"));

    const auto nested = client.Get("/img/side.gif");
    QVERIFY(nested);
    QCOMPARE(nested->status, 200);
    QCOMPARE(nested->get_header_value("Content-Type"), std::string("image/gif"));

    const auto missing = client.Get("/missing.jpg");
    QVERIFY(missing);
    QCOMPARE(missing->status, 404);

    const std::string escape =
        "/../" + QDir(outside.path()).dirName().toStdString() + "/secret.txt";
    const auto escaped = client.Get(escape);
    QVERIFY(escaped);
    QVERIFY(escaped->status >= 400);

    const std::string log = server.stopAndLog();
    QVERIFY2(log.find("\"GET /hello.txt\" 200 11\n") != std::string::npos, log.c_str());
    QVERIFY2(log.find("\"GET /missing.jpg\" 404") != std::string::npos, log.c_str());
}

void TestPromoTool::refusesToBindBeyondLoopback() {
    QTemporaryDir dir;
    std::ostringstream log;
    promotool::PromoServer server(local(dir.path()), log);
    QVERIFY_THROWS_EXCEPTION(PromoError, server.bind("0.0.0.0", 0));
    QVERIFY_THROWS_EXCEPTION(PromoError, server.bind("example.com", 0));
    QVERIFY_THROWS_EXCEPTION(PromoError, server.run()); // nothing bound

    QVERIFY_THROWS_EXCEPTION(PromoError, promotool::PromoServer(local(dir.filePath("none")), log));
}

void TestPromoTool::stopBeforeRunEndsRun() {
    QTemporaryDir dir;
    std::ostringstream log;
    promotool::PromoServer server(local(dir.path()), log);
    server.bind("127.0.0.1", 0);
    server.stop();
    server.run(); // returns at once instead of serving for ever
}

void TestPromoTool::servedSettingsReadBack() {
    QTemporaryDir site;
    QVERIFY(site.isValid());
    promotool::buildPromoFolder(local(SourceDir + "/promo/kv64.ini"), local(site.path()),
                                promotool::DefaultBaseUrl);

    RunningServer server(site.path());
    httplib::Client client("127.0.0.1", server.port());
    const auto settings = client.Get("/kv64.rar");
    QVERIFY(settings);
    QCOMPARE(settings->status, 200);

    QTemporaryDir programFolder;
    const QString downloaded = programFolder.filePath("SetConfig.ini");
    writeAll(downloaded, QByteArray::fromStdString(settings->body));
    QCOMPARE(readSetting(downloaded, "kv64path", "fname1"),
             std::string(promotool::DefaultBaseUrl) + "top.jpg");

    const auto picture = client.Get("/top.jpg");
    QVERIFY(picture);
    QCOMPARE(QByteArray::fromStdString(picture->body), readAll(SourceDir + "/promo/top.jpg"));
}

QTEST_MAIN(TestPromoTool)
#include "test_promo_tool.moc"
