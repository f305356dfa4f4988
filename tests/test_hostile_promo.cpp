// The promotion slots against a hostile promotion server, end to end: the
// real window offscreen, a real loopback server that misbehaves, and a
// program folder inside a sandbox folder. Whatever the server sends, the
// window appears, no file lands outside the program folder, a picture kept
// from an earlier run is never damaged, and the error box appears only
// where the picture loader's rules say.

#include "Bytes.h"
#include "HostilePictures.h"
#include "LoopbackServer.h"
#include "OfflinePromotion.h"
#include "PromoFixtures.h"
#include "UrlCatcher.h"
#include "system/ProgramPath.h"
#include "window/UnitMain.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTest>
#include <QUuid>
#include <QtEndian>
#include <optional>
#include <random>
#include <string_view>

using testsupport::animatedGif;
using testsupport::ErrorBoxWatcher;
using testsupport::jpegPicture;
using testsupport::readFile;
using testsupport::SettingsFile;
using testsupport::writeFile;

namespace {

// A program folder, "program", alone in a sandbox folder, so that a file
// written anywhere else in the sandbox shows.
class Sandbox {
public:
    Sandbox() {
        QDir(dir_.path()).mkdir(QStringLiteral("program"));
        platform::setExeNameForTesting(
            testsupport::local(program(QStringLiteral("kalvor-base64"))));
    }
    ~Sandbox() { platform::setExeNameForTesting({}); }

    QString program(const QString& name = {}) const {
        return dir_.filePath(QStringLiteral("program/") + name);
    }
    QString path() const { return dir_.path(); }
    // Everything in the sandbox, program folder included, as relative paths.
    QStringList everything() const {
        QStringList all;
        QDir root(dir_.path());
        QDirIterator it(dir_.path(),
                        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            all << root.relativeFilePath(it.next());
        all.sort();
        return all;
    }

private:
    QTemporaryDir dir_;
};

// A loopback server with the ways a promotion server can misbehave, beside
// the files it serves.
class HostileServer : public testsupport::LoopbackServer {
public:
    HostileServer() {
        using httplib::Request;
        using httplib::Response;
        // Takes the request and never answers.
        routes().Get(R"(/silent/.*)", [this](const Request&, Response&) { holdUntilStopped(); });
        // Answers 40 bytes a second, of a body that never ends.
        routes().Get(R"(/trickle/.*)", [this](const Request&, Response& response) {
            response.set_content_provider(
                std::size_t{8} * 1024 * 1024, "application/octet-stream",
                [this](std::size_t, std::size_t, httplib::DataSink& sink) {
                    if (waitForStop(std::chrono::milliseconds(1000)))
                        return false;
                    static constexpr std::string_view chunk =
                        "[kv64path]\r\nfname1=0102030405060708091\r\n";
                    static_assert(chunk.size() == 40);
                    return sink.write(chunk.data(), chunk.size());
                });
        });
        // Redirects to itself for ever.
        routes().Get(R"(/loop/(\d+)(\..*)?)", [](const Request& request, Response& response) {
            response.set_redirect("/loop/" + std::to_string(std::stoi(request.matches[1]) + 1) +
                                  std::string(request.matches[2]));
        });
        routes().Get(R"(/to-file/.*)", [](const Request&, Response& response) {
            response.set_redirect("file:///etc/passwd");
        });
        // Announces the whole file and drops the connection halfway.
        routes().Get(R"(/truncated/(.*))", [this](const Request& request, Response& response) {
            const std::string body = truncatedBody_;
            const std::size_t half = body.size() / 2;
            response.set_content_provider(
                body.size(), "application/octet-stream",
                [body, half](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                    if (offset >= half)
                        return false;
                    return sink.write(body.data(), half);
                });
            (void)request;
        });
    }
    void setTruncatedBody(const QByteArray& body) { truncatedBody_ = body.toStdString(); }

private:
    std::string truncatedBody_;
};

QByteArray randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    for (char& byte : bytes)
        byte = static_cast<char>(random());
    return bytes;
}

// A bitmap file whose header declares width × height and holds no pixels.
QByteArray hugeBitmap(qint32 width, qint32 height) {
    QImage small(2, 2, QImage::Format_RGB32);
    small.fill(Qt::white);
    QByteArray file = fixtures::written(small, "BMP");
    qToLittleEndian<qint32>(width, file.data() + 18);
    qToLittleEndian<qint32>(height, file.data() + 22);
    return file;
}

// A JPEG whose frame header declares width × height: the picture of the
// slot with its size fields changed.
QByteArray hugeJpeg(quint16 width, quint16 height) {
    QByteArray file = jpegPicture();
    for (qsizetype i = 0; i + 9 < file.size(); ++i) {
        const auto marker = static_cast<uchar>(file[i + 1]);
        if (static_cast<uchar>(file[i]) == 0xFF && (marker == 0xC0 || marker == 0xC2)) {
            qToBigEndian<quint16>(height, file.data() + i + 5);
            qToBigEndian<quint16>(width, file.data() + i + 7);
            break;
        }
    }
    return file;
}

// The state a showing of the window left behind.
struct Showing {
    QStringList errors;
    std::string topFormat;
    std::string topUrl;
    std::string sideFormat;
    std::string sideUrl;
};

Showing showWindow() {
    ErrorBoxWatcher errorBox;
    TfrmAd window;
    window.show();
    Showing showing{errorBox.texts, window.img1->Picture().format(), window.img1->URL(),
                    window.img2->Picture().format(), window.img2->URL()};
    if (!window.isVisible())
        showing.errors << QStringLiteral("<window not visible>");
    return showing;
}

} // namespace

class TestHostilePromo : public QObject {
    Q_OBJECT

    std::optional<Sandbox> sandbox_;
    std::optional<testsupport::OfflinePromotion> promotion_;
    std::optional<HostileServer> server_;

    // The settings file of a well-behaved promotion at the server.
    QByteArray goodSettings(const std::string& top = "top.jpg",
                            const std::string& side = "side.gif") const {
        SettingsFile settings;
        settings.set("kv64path", "fname1", server_->baseUrl() + top);
        settings.set("kv64path", "fname2", server_->baseUrl() + side);
        settings.set("kv64link", "fname1", "http://promo.example/top");
        settings.set("kv64link", "fname2", "https://promo.example/side");
        return settings.content();
    }

    // What an earlier run left in the program folder.
    void keepFromAnEarlierRun() {
        writeFile(sandbox_->program(QStringLiteral("SetConfig.ini")), goodSettings());
        writeFile(sandbox_->program(QStringLiteral("fname1.jpg")), jpegPicture());
        writeFile(sandbox_->program(QStringLiteral("fname2.gif")), animatedGif());
    }
    void verifyKeptFilesUndamaged() {
        QCOMPARE(readFile(sandbox_->program(QStringLiteral("fname1.jpg"))), jpegPicture());
        QCOMPARE(readFile(sandbox_->program(QStringLiteral("fname2.gif"))), animatedGif());
    }
    void verifyOnlyInTheProgramFolder(const QStringList& programFiles) {
        QStringList expected{QStringLiteral("program")};
        for (const QString& file : programFiles)
            expected << QStringLiteral("program/") + file;
        expected.sort();
        QCOMPARE(sandbox_->everything(), expected);
    }

private slots:
    void initTestCase() {
        for (const char* name :
             {"http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY"})
            qunsetenv(name);
    }
    void init() {
        sandbox_.emplace();
        promotion_.emplace();
        server_.emplace();
        PromoShowCount = 0;
    }
    void cleanup() {
        server_.reset();
        promotion_.reset();
        sandbox_.reset();
    }

    // Settings files that are large, garbage, or absurd: read as the INI
    // rules say, without a crash and without an error box.
    void settingsFiles_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("topShown");
        QTest::addColumn<bool>("sideShown");
        QTest::newRow("megabytes before the entries") << 0 << true << true;
        QTest::newRow("binary garbage") << 1 << false << false;
        QTest::newRow("one line of megabytes") << 2 << false << false;
        QTest::newRow("absurd values") << 3 << false << false;
        QTest::newRow("values that unscramble to noise") << 4 << true << false;
    }
    void settingsFiles() {
        QFETCH(int, kind);
        QFETCH(bool, topShown);
        QFETCH(bool, sideShown);
        QByteArray settings;
        switch (kind) {
        case 0:
            for (int i = 0; i < 60000; ++i)
                settings += "junk" + QByteArray::number(i) + "=" + QByteArray(40, 'F') + "\r\n";
            settings += goodSettings();
            break;
        case 1:
            settings = randomBytes(std::size_t{3} * 1024 * 1024, 7);
            break;
        case 2:
            settings = "[kv64path]" + QByteArray(qsizetype{5} * 1024 * 1024, 'A');
            break;
        case 3: {
            SettingsFile absurd;
            absurd.set("kv64path", "fname1", std::string(200000, 'x') + ".jpg");
            absurd.set("kv64path", "fname2", server_->baseUrl() + std::string(5000, '.'));
            absurd.set("kv64link", "fname1", std::string(100000, '/'));
            settings = absurd.content();
            break;
        }
        case 4: {
            SettingsFile absurd;
            absurd.set("kv64path", "fname1", server_->baseUrl() + "top.jpg");
            settings = absurd.content();
            // Hex that unscrambles to zero and control bytes.
            settings.replace("fname1=", "fname2=00000000000000000000\r\nfname1=");
            settings += "[kv64link]\r\nfname1=0000\r\n";
            break;
        }
        }
        server_->put("/kv64.rar", settings);
        server_->put("/top.jpg", jpegPicture());
        server_->put("/side.gif", animatedGif());
        server_->start();
        promotion_->serveFrom(server_->baseUrl());

        const Showing showing = showWindow();
        QCOMPARE(showing.errors, QStringList());
        QCOMPARE(showing.topFormat, std::string(topShown ? "jpg" : "bmp"));
        QCOMPARE(showing.sideFormat, std::string(sideShown ? "gif" : "bmp"));
        QCOMPARE(readFile(sandbox_->program(QStringLiteral("SetConfig.ini"))), settings);
        QStringList files{QStringLiteral("SetConfig.ini")};
        if (topShown)
            files << QStringLiteral("fname1.jpg");
        if (sideShown)
            files << QStringLiteral("fname2.gif");
        verifyOnlyInTheProgramFolder(files);
    }

    // A settings file over the download cap never replaces the kept one.
    void oversizedSettingsKeepTheEarlierOnes() {
        keepFromAnEarlierRun();
        const QByteArray kept = readFile(sandbox_->program(QStringLiteral("SetConfig.ini")));
        server_->put("/kv64.rar", QByteArray(qsizetype{9} * 1024 * 1024, ';'));
        server_->put("/top.jpg", jpegPicture());
        server_->put("/side.gif", animatedGif());
        server_->start();
        promotion_->serveFrom(server_->baseUrl());

        const Showing showing = showWindow();
        QCOMPARE(showing.errors, QStringList());
        QCOMPARE(readFile(sandbox_->program(QStringLiteral("SetConfig.ini"))), kept);
        QCOMPARE(showing.topFormat, std::string("jpg"));
        QCOMPARE(showing.topUrl, std::string("http://promo.example/top"));
        verifyKeptFilesUndamaged();
    }

    // Pictures that are not what their name says, or declare sizes no slot
    // could show: the loader's own message for the format, as for any
    // invalid file; the file stays, as the loader's rules say.
    void picturesThatLie_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("a GIF named .jpg") << "top.jpg" << animatedGif() << "JPEG error #";
        QTest::newRow("text named .bmp")
            << "top.bmp" << QByteArray("BM but not a bitmap") << "Bitmap image is not valid.";
        QTest::newRow("a JPEG named .gif")
            << "top.gif" << jpegPicture() << "Invalid GIF signature.";
        QTest::newRow("garbage named .ico")
            << "top.ico" << randomBytes(300, 3) << "Icon image is not valid.";
        QTest::newRow("garbage named .wmf")
            << "top.wmf" << randomBytes(300, 4) << "Metafile is not valid.";
        QTest::newRow("garbage named .emf")
            << "top.emf" << randomBytes(300, 5) << "Metafile is not valid.";
        QTest::newRow("bitmap of 100000 x 100000")
            << "top.bmp" << hugeBitmap(100000, 100000) << "Bitmap image is not valid.";
        QTest::newRow("JPEG of 65000 x 65000")
            << "top.jpg" << hugeJpeg(65000, 65000) << "JPEG error #";
        // Files that once broke the loaders, as a server would send them.
        QTest::newRow("bitmap naming colours past its table")
            << "top.bmp" << fixtures::rleIndexBeyondColours() << "Bitmap image is not valid.";
        QTest::newRow("bitmap of 1 KB declaring 8192 x 8192")
            << "top.bmp" << fixtures::rleDeclaringHuge() << "Bitmap image is not valid.";
        QTest::newRow("GIF of 95 bytes with a screen of 8192 x 8192")
            << "top.gif" << fixtures::gifWithScreen(8192, 8192) << "GIF image is not valid.";
        QTest::newRow("progressive JPEG of 500 bytes declaring 8192 x 8192")
            << "top.jpg" << fixtures::tinyJpegDeclaringHuge(true) << "JPEG error #";
        QTest::newRow("metafile of 1025 saved states")
            << "top.wmf" << fixtures::wmfManySaves(1025) << "Metafile is not valid.";
        QTest::newRow("enhanced metafile object past its handles")
            << "top.emf" << fixtures::emfObjectBeyondHandles(40000) << "Metafile is not valid.";
    }
    void picturesThatLie() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        server_->put("/kv64.rar", goodSettings(name.toStdString()));
        server_->put("/" + name.toStdString(), content);
        server_->start();
        promotion_->serveFrom(server_->baseUrl());

        const Showing showing = showWindow();
        QCOMPARE(showing.errors.size(), 1);
        QVERIFY2(showing.errors.front().startsWith(message), qPrintable(showing.errors.front()));
        QVERIFY(showing.errors.front().endsWith(QLatin1Char('.')));
        QVERIFY(showing.topFormat.empty());
        // The side slot is not reached after the top slot failed.
        QVERIFY(showing.sideFormat.empty());
        const QString kept = QStringLiteral("fname1.") + name.section(QLatin1Char('.'), -1);
        QCOMPARE(readFile(sandbox_->program(kept)), content);
        verifyOnlyInTheProgramFolder({QStringLiteral("SetConfig.ini"), kept});
    }

    // A server that is silent, trickles, cannot be reached or sends the
    // program round in circles: the kept files stand in, undamaged, and
    // the showing's budget spent on one download fails the rest at once.
    void serversThatMisbehave_data() {
        QTest::addColumn<QString>("settingsPath"); // on the server; empty: unreachable
        QTest::addColumn<QString>("topPath");
        QTest::addColumn<QStringList>("neverAsked");
        QTest::newRow("settings never answered")
            << "/silent/kv64.rar"
            << "/top.jpg" << QStringList{"/top.jpg", "/side.gif"};
        QTest::newRow("settings trickle") << "/trickle/kv64.rar"
                                          << "/top.jpg" << QStringList{"/top.jpg", "/side.gif"};
        QTest::newRow("top picture never answered")
            << "/kv64.rar"
            << "/silent/top.jpg" << QStringList{"/side.gif"};
        QTest::newRow("top picture trickles") << "/kv64.rar"
                                              << "/trickle/top.jpg" << QStringList{"/side.gif"};
        QTest::newRow("top picture redirects for ever") << "/kv64.rar"
                                                        << "/loop/0.jpg" << QStringList{};
        QTest::newRow("top picture redirects to a local file")
            << "/kv64.rar"
            << "/to-file/top.jpg" << QStringList{};
        QTest::newRow("top picture dropped halfway") << "/kv64.rar"
                                                     << "/truncated/top.jpg" << QStringList{};
        QTest::newRow("server unreachable") << QString() << "/top.jpg" << QStringList{};
    }
    void serversThatMisbehave() {
        QFETCH(QString, settingsPath);
        QFETCH(QString, topPath);
        QFETCH(QStringList, neverAsked);
        keepFromAnEarlierRun();
        server_->put("/kv64.rar", goodSettings(topPath.mid(1).toStdString()));
        server_->put("/top.jpg", jpegPicture());
        server_->put("/side.gif", animatedGif());
        server_->setTruncatedBody(jpegPicture() + jpegPicture());
        server_->start();
        const QByteArray keptSettings =
            readFile(sandbox_->program(QStringLiteral("SetConfig.ini")));
        if (settingsPath.isEmpty()) {
            promotion_->serveFrom(testsupport::unreachableBaseUrl());
        } else if (settingsPath != QStringLiteral("/kv64.rar")) {
            // The settings file's address is the base URL and "kv64.rar".
            promotion_->serveFrom(server_->url(settingsPath.chopped(8).toStdString()));
        } else {
            promotion_->serveFrom(server_->baseUrl());
            writeFile(sandbox_->program(QStringLiteral("SetConfig.ini")),
                      goodSettings(topPath.mid(1).toStdString()));
        }

        const Showing showing = showWindow();
        QCOMPARE(showing.errors, QStringList());
        QCOMPARE(showing.topFormat, std::string("jpg"));
        QCOMPARE(showing.sideFormat, std::string("gif"));
        verifyKeptFilesUndamaged();
        for (const QString& path : neverAsked)
            QVERIFY2(server_->requestsFor(path.toStdString()) == 0, qPrintable(path));
        if (settingsPath != QStringLiteral("/kv64.rar"))
            QCOMPARE(readFile(sandbox_->program(QStringLiteral("SetConfig.ini"))), keptSettings);
        verifyOnlyInTheProgramFolder({QStringLiteral("SetConfig.ini"), QStringLiteral("fname1.jpg"),
                                      QStringLiteral("fname2.gif")});
    }

    // Picture addresses whose extension would name a file elsewhere: the
    // slot shows the placeholder, or a download fails; nothing lands outside
    // the program folder.
    void extensionsThatTryToLeave_data() {
        QTest::addColumn<QString>("address"); // {base} for the server, {escape} for a marker
        QTest::newRow("dot dot slash") << "{base}x.jpg/../../{escape}";
        QTest::newRow("absolute path") << "{base}x./tmp/{escape}";
        QTest::newRow("backslashes") << "{base}x.jpg\\..\\..\\{escape}";
        QTest::newRow("drive and colon") << "{base}x.jpg:..\\{escape}";
        QTest::newRow("percent-encoded") << "{base}x.%2e%2e%2f%2e%2e%2f{escape}";
        QTest::newRow("home folder") << "{base}x.~/{escape}";
        QTest::newRow("line break") << "{base}x.jp\ng";
        QTest::newRow("wildcards") << "{base}x.j*?g";
        QTest::newRow("very long") << "{base}x." + QString(400, QLatin1Char('j'));
        QTest::newRow("dot only") << "{base}x.";
        QTest::newRow("no dot after the host") << "http://promo.example/{escape}";
    }
    void extensionsThatTryToLeave() {
        QFETCH(QString, address);
        const QString escape =
            QStringLiteral("escape-") + QUuid::createUuid().toString(QUuid::Id128);
        address.replace(QStringLiteral("{base}"), QString::fromStdString(server_->baseUrl()));
        address.replace(QStringLiteral("{escape}"), escape);
        SettingsFile settings;
        settings.set("kv64path", "fname1", address.toStdString());
        settings.set("kv64path", "fname2", address.toStdString());
        server_->put("/kv64.rar", settings.content());
        server_->start();
        promotion_->serveFrom(server_->baseUrl());

        const Showing showing = showWindow();
        QCOMPARE(showing.errors, QStringList());
        QCOMPARE(showing.topFormat, std::string("bmp"));
        QCOMPARE(showing.sideFormat, std::string("bmp"));
        verifyOnlyInTheProgramFolder({QStringLiteral("SetConfig.ini")});
        for (const QString& folder : {QDir::tempPath(), QDir::homePath(), sandbox_->path()})
            QVERIFY(!QFile::exists(folder + QLatin1Char('/') + escape));
    }

    // Links that are not web addresses are never handed to the desktop.
    void linksThatAreNotWebAddresses_data() {
        QTest::addColumn<QString>("link");
        QTest::newRow("local file") << "file:///etc/passwd";
        QTest::newRow("local path") << "/usr/bin/xterm";
        QTest::newRow("Windows path") << "C:\\Windows\\System32\\cmd.exe";
        QTest::newRow("script") << "javascript:alert(1)";
        QTest::newRow("mail") << "mailto:someone@promo.example";
        QTest::newRow("ftp") << "ftp://promo.example/";
        QTest::newRow("share") << "smb://promo.example/share";
        QTest::newRow("quote in a web address") << "http://promo.example/\" --flag";
        QTest::newRow("line break in a web address") << "http://promo.example/\nx";
    }
    void linksThatAreNotWebAddresses() {
        QFETCH(QString, link);
        SettingsFile settings;
        settings.set("kv64path", "fname1", server_->baseUrl() + "top.jpg");
        settings.set("kv64link", "fname1", link.toStdString());
        server_->put("/kv64.rar", settings.content());
        server_->put("/top.jpg", jpegPicture());
        server_->start();
        promotion_->serveFrom(server_->baseUrl());

        ErrorBoxWatcher errorBox;
        TfrmAd window;
        window.show();
        QVERIFY(!errorBox.seen);
        QCOMPARE(window.img1->Picture().format(), std::string("jpg"));
        testsupport::UrlCatcher catcher({QStringLiteral("http"), QStringLiteral("https"),
                                         QStringLiteral("file"), QStringLiteral("javascript"),
                                         QStringLiteral("mailto"), QStringLiteral("ftp"),
                                         QStringLiteral("smb"), QStringLiteral("c")});
        QTest::mouseClick(window.img1, Qt::LeftButton);
        QCOMPARE(catcher.opened, QList<QUrl>());
    }
};

QTEST_MAIN(TestHostilePromo)
#include "test_hostile_promo.moc"
