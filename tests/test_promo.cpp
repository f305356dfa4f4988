// The promotion slots end to end: the real window offscreen, a promotion
// server on a random loopback port, and a temporary program folder.

#include "Files.h"
#include "LoopbackServer.h"
#include "OfflinePromotion.h"
#include "PictureFixtures.h"
#include "ProgramFolder.h"
#include "PromoFixtures.h"
#include "UrlCatcher.h"
#include "communal/Communal.h"
#include "system/ProgramPath.h"
#include "window/UnitMain.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <map>
#include <optional>

using testsupport::animatedGif;
using testsupport::ErrorBoxWatcher;
using testsupport::jpegPicture;
using testsupport::readFile;
using testsupport::SettingsFile;
using testsupport::UrlCatcher;

namespace {

// The promotion server: files by path, and a record of what was asked for.
struct PromoServer : testsupport::LoopbackServer {
    PromoServer() { start(); }
};

constexpr const char* Offline = testsupport::OfflinePromotion::OfflineServer;

} // namespace

class TestPromo : public QObject {
    Q_OBJECT

    // A fresh program folder for each test: every run starts with nothing kept.
    std::optional<testsupport::TemporaryProgramFolder> programFolder_;
    std::optional<testsupport::OfflinePromotion> promotion_;

    QString inProgram(const char* name) const {
        return programFolder_->filePath(QString::fromUtf8(name));
    }
    QStringList programFiles() const {
        QStringList files = testsupport::entriesOf(programFolder_->path());
        files.sort();
        return files;
    }

    // The server's settings file: top and side pictures and links.
    void publish(PromoServer& server, SettingsFile& settings, const std::string& topPicture,
                 const std::string& sidePicture) {
        settings.set("kv64path", "fname1", server.baseUrl() + topPicture);
        settings.set("kv64path", "fname2", server.baseUrl() + sidePicture);
        settings.set("kv64link", "fname1", "http://promo.example/top");
        settings.set("kv64link", "fname2", "https://promo.example/side");
        server.put("/kv64.rar", settings.content());
    }

    // The program's promotion server, with a JPEG top and a GIF side picture.
    void serveBothPictures(PromoServer& server, SettingsFile& settings) {
        server.put("/top.jpg", jpegPicture());
        server.put("/side.gif", animatedGif());
        publish(server, settings, "top.jpg", "side.gif");
        promotion_->serveFrom(server.baseUrl());
    }

private slots:
    void init() {
        programFolder_.emplace();
        promotion_.emplace();
        PromoShowCount = 0;
    }
    void cleanup() {
        promotion_.reset();
        programFolder_.reset();
    }

    void firstRunOfflineShowsBothPlaceholders() {
        TfrmAd window;
        window.show();
        QCOMPARE(PromoShowCount, 1);
        for (platform::TbsSkinLinkImage* slot : {window.img1, window.img2}) {
            QCOMPARE(slot->URL(), std::string(Offline));
            QCOMPARE(slot->Picture().format(), std::string("bmp"));
        }
        // The side slot is as wide as its panel's inner area and 48 high;
        // the top slot keeps the top strip's inner height.
        QCOMPARE(window.img2->Picture().size(), QSize(157, 48));
        QCOMPARE(window.img2->geometry(), QRect(2, 369 - 2 - 48, 157, 48));
        QCOMPARE(window.img1->Picture().size(), QSize(201, 43));
        QCOMPARE(programFiles(), QStringList{});

        // The placeholder links to the promotion server.
        UrlCatcher catcher;
        QTest::mouseClick(window.img2, Qt::LeftButton);
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl(QString::fromLatin1(Offline))});
    }

    void runWithTheServerThenWithout() {
        PromoServer server;
        SettingsFile settings;
        serveBothPictures(server, settings);
        {
            TfrmAd window;
            window.show();
            QCOMPARE(readFile(inProgram("SetConfig.ini")), settings.content());
            QCOMPARE(readFile(inProgram("fname1.jpg")), jpegPicture());
            QCOMPARE(readFile(inProgram("fname2.gif")), animatedGif());
            QCOMPARE(window.img1->Picture().format(), std::string("jpg"));
            QCOMPARE(window.img2->Picture().format(), std::string("gif"));
            QCOMPARE(window.img1->URL(), std::string("http://promo.example/top"));
            QCOMPARE(window.img2->URL(), std::string("https://promo.example/side"));
            QVERIFY(!window.img1->AutoSize());
            QCOMPARE(window.img2->height(), 48);
        }

        // The next run has no network: kept pictures, kept links.
        promotion_->serveFrom(Offline);
        PromoShowCount = 0;
        TfrmAd window;
        window.show();
        QCOMPARE(window.img1->Picture().format(), std::string("jpg"));
        QCOMPARE(window.img2->Picture().format(), std::string("gif"));
        QCOMPARE(window.img1->URL(), std::string("http://promo.example/top"));
        QCOMPARE(window.img2->URL(), std::string("https://promo.example/side"));
    }

    // An installed program cannot write its own folder: the settings file
    // and the kept pictures go to the user's data folder, and serve the
    // next run from there.
    void installedProgramKeepsItsFilesInTheUserDataFolder() {
        const testsupport::TemporaryHome home;
        programFolder_.reset();
        programFolder_.emplace(testsupport::TemporaryProgramFolder::ReadOnly);
        PromoServer server;
        SettingsFile settings;
        serveBothPictures(server, settings);
        {
            TfrmAd window;
            window.show();
            QCOMPARE(window.img1->Picture().format(), std::string("jpg"));
        }
        QCOMPARE(programFiles(), QStringList());
        QStringList kept = testsupport::entriesOf(home.programFolder());
        kept.sort();
        QCOMPARE(kept, (QStringList{"SetConfig.ini", "fname1.jpg", "fname2.gif"}));
        QCOMPARE(readFile(home.programFolder() + "fname1.jpg"), jpegPicture());

        promotion_->serveFrom(Offline);
        PromoShowCount = 0;
        TfrmAd window;
        window.show();
        QCOMPARE(window.img1->Picture().format(), std::string("jpg"));
        QCOMPARE(window.img2->Picture().format(), std::string("gif"));
        QCOMPARE(window.img2->URL(), std::string("https://promo.example/side"));
    }

    void pictureOfAnUnknownFormatIsReportedAndLeavesBothSlots() {
        PromoServer server;
        SettingsFile settings;
        QImage png(20, 20, QImage::Format_RGB32);
        png.fill(Qt::white);
        server.put("/top.png", fixtures::written(png, "PNG"));
        server.put("/side.gif", animatedGif());
        publish(server, settings, "top.png", "side.gif");
        promotion_->serveFrom(server.baseUrl());

        ErrorBoxWatcher errorBox;
        TfrmAd window;
        window.show();
        QVERIFY(errorBox.seen);
        QCOMPARE(errorBox.text, QStringLiteral("Unknown picture file extension (.png)"));
        QVERIFY(window.isVisible());
        QVERIFY(window.img1->Picture().isEmpty());
        QVERIFY(window.img1->URL().empty());
        QCOMPARE(window.img1->height(), 43);
        // The side slot was never reached.
        QVERIFY(window.img2->Picture().isEmpty());
        QVERIFY(window.img2->URL().empty());
        QCOMPARE(window.img2->height(), 113);
        QCOMPARE(server.requestsFor("/side.gif"), 0);
        QCOMPARE(PromoShowCount, 0);
        QVERIFY(QFile::exists(inProgram("fname1.png")));
    }

    void slotCases_data() {
        QTest::addColumn<QString>("topPicture"); // path on the server, or an address
        QTest::addColumn<bool>("withLink");
        QTest::addColumn<QString>("keptFile"); // empty: no picture kept
        QTest::addColumn<bool>("placeholder");
        QTest::newRow("upper-case extension") << "top.JPG" << true << "fname1.JPG" << false;
        QTest::newRow("query after the extension") << "top.jpg?v=2" << true << QString() << true;
        QTest::newRow("last part without a dot")
            << "http://promo.example.com/pictures/top" << true << QString() << true;
        QTest::newRow("no entries") << QString() << false << QString() << true;
        QTest::newRow("picture without link") << "top.jpg" << false << "fname1.jpg" << false;
    }
    void slotCases() {
        QFETCH(QString, topPicture);
        QFETCH(bool, withLink);
        QFETCH(QString, keptFile);
        QFETCH(bool, placeholder);
        PromoServer server;
        SettingsFile settings;
        server.put("/top.JPG", jpegPicture());
        server.put("/top.jpg", jpegPicture());
        settings.set("other", "x", "y");
        if (!topPicture.isEmpty()) {
            const std::string address = topPicture.startsWith(u"http")
                                            ? topPicture.toStdString()
                                            : server.baseUrl() + topPicture.toStdString();
            settings.set("kv64path", "fname1", address);
        }
        if (withLink)
            settings.set("kv64link", "fname1", "http://promo.example/top");
        server.put("/kv64.rar", settings.content());
        promotion_->serveFrom(server.baseUrl());

        TfrmAd window;
        window.show();
        if (placeholder) {
            QCOMPARE(window.img1->Picture().format(), std::string("bmp"));
            QCOMPARE(window.img1->URL(), server.baseUrl());
        } else {
            QCOMPARE(window.img1->Picture().format(), std::string("jpg"));
            QCOMPARE(window.img1->URL(), std::string(withLink ? "http://promo.example/top" : ""));
        }
        // Only what the slots keep, and the settings file, are left.
        QStringList expected{QStringLiteral("SetConfig.ini")};
        if (!keptFile.isEmpty())
            expected.append(keptFile);
        expected.sort();
        QCOMPARE(programFiles(), expected);
    }

    void secondShowingFetchesTheSettingsAgainButKeepsTheSlots() {
        PromoServer server;
        SettingsFile settings;
        serveBothPictures(server, settings);

        TfrmAd window;
        window.show();
        settings.set("kv64link", "fname1", "http://promo.example/changed");
        server.put("/kv64.rar", settings.content());
        window.hide();
        window.show();
        QCOMPARE(server.requestsFor("/kv64.rar"), 2);
        QCOMPARE(server.requestsFor("/top.jpg"), 1);
        QCOMPARE(readFile(inProgram("SetConfig.ini")), settings.content());
        QCOMPARE(window.img1->URL(), std::string("http://promo.example/top"));
        QCOMPARE(PromoShowCount, 1);
    }

    void linksOtherThanWebAddressesAreNeverOpened() {
        PromoServer server;
        SettingsFile settings;
        server.put("/top.jpg", jpegPicture());
        settings.set("kv64path", "fname1", server.baseUrl() + "top.jpg");
        settings.set("kv64link", "fname1", "file:///etc/passwd");
        server.put("/kv64.rar", settings.content());
        promotion_->serveFrom(server.baseUrl());

        TfrmAd window;
        window.show();
        UrlCatcher catcher;
        QTest::mouseClick(window.img1, Qt::LeftButton);
        QVERIFY(catcher.opened.isEmpty());
    }
};

QTEST_MAIN(TestPromo)
#include "test_promo.moc"
