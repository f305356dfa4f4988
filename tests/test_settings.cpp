#include "Bytes.h"
#include "Files.h"
#include "ProgramFolder.h"
#include "communal/Folders.h"
#include "communal/Scrambler.h"
#include "communal/Settings.h"
#include "system/Exception.h"
#include "system/ProgramPath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using communal::AccessSetting;

using testsupport::bytes;
using testsupport::local;
using testsupport::readFile;
using testsupport::str;
using testsupport::writeFile;

namespace {

// The text right of "=" on the line of an entry, or "<no entry>".
QByteArray storedText(const QString& path, const QByteArray& ident) {
    for (const QByteArray& line : readFile(path).split('\n')) {
        if (line.startsWith(ident + "="))
            return line.mid(ident.size() + 1).chopped(line.endsWith('\r') ? 1 : 0);
    }
    return "<no entry>";
}

constexpr std::uint8_t Read = communal::ReadMode;
constexpr std::uint8_t Write = communal::WriteMode;

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

private slots:
    void init() { QVERIFY(dir_.isValid()); }
    void cleanup() {
        platform::setExeNameForTesting("");
        for (const QString& name : QDir(dir_.path()).entryList(QDir::Files))
            QFile::remove(path(name));
    }

    void writeThenRead_data() {
        QTest::addColumn<QByteArray>("plain");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("address") << QByteArray("http://kv64.example/pics/top.gif");
        QTest::newRow("GBK text") << QByteArray("\xB5\xE3\xBB\xF7\xC1\xEC\xC8\xA1");
        // 'k' is the key byte of the first position under SettingKey.
        QTest::newRow("first byte is its key byte") << QByteArray("k and more");
        QTest::newRow("blanks and quotes") << QByteArray(" \"quoted\" ");
        QTest::newRow("2000 bytes") << QByteArray(2000, '\xA5');
    }
    void writeThenRead() {
        QFETCH(QByteArray, plain);
        const std::string file = local(path("SetConfig.ini"));
        std::string value = "stale";
        AccessSetting(file, Write, "kv64", "PicUrl1", str(plain), value);
        QCOMPARE(value, std::string());

        const QByteArray stored = storedText(path("SetConfig.ini"), "PicUrl1");
        QCOMPARE(stored.size(), 2 * plain.size());
        for (const char c : stored)
            QVERIFY2(QByteArray("0123456789ABCDEF").contains(c), stored.constData());
        if (!plain.isEmpty())
            QVERIFY(stored != plain.toHex().toUpper()); // scrambled, not just hex

        value = "stale";
        AccessSetting(file, Read, "kv64", "PicUrl1", "", value);
        QCOMPARE(bytes(value), plain);
    }

    void secondWriteReplacesTheFirst() {
        const std::string file = local(path("SetConfig.ini"));
        std::string value;
        AccessSetting(file, Write, "kv64", "Link1", "http://first.example/", value);
        AccessSetting(file, Write, "kv64", "Link2", "http://other.example/", value);
        AccessSetting(file, Write, "kv64", "Link1", "http://second.example/", value);
        AccessSetting(file, Read, "KV64", "link1", "", value);
        QCOMPARE(value, std::string("http://second.example/"));
        AccessSetting(file, Read, "kv64", "Link2", "", value);
        QCOMPARE(value, std::string("http://other.example/"));
        QCOMPARE(readFile(path("SetConfig.ini")).count("Link1="), 1);
    }

    // Only mode 1 writes; every other mode reads and leaves the file alone.
    void otherModesRead_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("0") << 0;
        QTest::newRow("2") << 2;
        QTest::newRow("255") << 255;
    }
    void otherModesRead() {
        QFETCH(int, mode);
        const std::string file = local(path("modes.ini"));
        std::string value;
        AccessSetting(file, Write, "s", "k", "kept", value);
        const QByteArray before = readFile(path("modes.ini"));
        AccessSetting(file, std::uint8_t(mode), "s", "k", "not written", value);
        QCOMPARE(value, std::string("kept"));
        QCOMPARE(readFile(path("modes.ini")), before);
    }

    void missingReadsEmpty_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("ident");
        QTest::newRow("missing file") << "missing.ini" << QByteArray("s") << QByteArray("k");
        QTest::newRow("missing section") << "there.ini" << QByteArray("t") << QByteArray("k");
        QTest::newRow("missing entry") << "there.ini" << QByteArray("s") << QByteArray("j");
        QTest::newRow("nothing right of =")
            << "there.ini" << QByteArray("s") << QByteArray("empty");
    }
    void missingReadsEmpty() {
        QFETCH(QString, file);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, ident);
        writeFile(path("there.ini"), "[s]\r\nk=0A1B\r\nempty=\r\n");
        std::string value = "stale";
        AccessSetting(local(path(file)), Read, str(section), str(ident), "", value);
        QCOMPARE(value, std::string());
    }

    // A settings file replaced between two reads (a new download) is read
    // anew: nothing is cached.
    void readSeesTheFileAsItIsNow() {
        const std::string file = local(path("fresh.ini"));
        std::string value;
        AccessSetting(file, Write, "s", "k", "old", value);
        AccessSetting(file, Read, "s", "k", "", value);
        QCOMPARE(value, std::string("old"));
        const QByteArray other = communal::EncryptSetting("new", communal::SettingKey).c_str();
        writeFile(path("fresh.ini"), "[s]\r\nk=" + other + "\r\n");
        AccessSetting(file, Read, "s", "k", "", value);
        QCOMPARE(value, std::string("new"));
    }

    void emptyFileNameUsesConfigIniInTheProgramFolder() {
        platform::setExeNameForTesting(local(path("kalvor-base64")));
        std::string value;
        AccessSetting("", Write, "s", "k", "in config", value);
        QVERIFY(QFileInfo::exists(path("config.ini")));
        AccessSetting(local(path("config.ini")), Read, "s", "k", "", value);
        QCOMPARE(value, std::string("in config"));
        AccessSetting(local(path("config.ini")), Write, "s", "k", "changed", value);
        AccessSetting("", Read, "s", "k", "", value);
        QCOMPARE(value, std::string("changed"));
    }

    void failedWriteRaisesAndKeepsValue() {
        const std::string file = local(path("no-such-folder/config.ini"));
        std::string value = "held";
        try {
            AccessSetting(file, Write, "s", "k", "v", value);
            QFAIL("no exception");
        } catch (const platform::Exception& error) {
            QCOMPARE(QByteArray(error.what()), bytes("Unable to write to " + file));
        }
        QCOMPARE(value, std::string("held"));
    }

    void folderOfPath_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QByteArray>("folder");
        QTest::newRow("C:\\Tools\\enc.exe")
            << QByteArray("C:\\Tools\\enc.exe") << true << QByteArray("C:\\Tools\\");
        QTest::newRow("drive root") << QByteArray("C:\\enc.exe") << true << QByteArray("C:\\");
        QTest::newRow("colon only") << QByteArray("C:enc.exe") << true << QByteArray("C:");
        QTest::newRow("colon after backslash")
            << QByteArray("C:\\Tools\\enc.exe:x") << true << QByteArray("C:\\Tools\\enc.exe:");
        QTest::newRow("network share")
            << QByteArray("\\\\srv\\share\\enc.exe") << true << QByteArray("\\\\srv\\share\\");
        QTest::newRow("slash is no Windows separator")
            << QByteArray("C:\\Tools/enc.exe") << true << QByteArray("C:\\");
        QTest::newRow("Windows, no folder") << QByteArray("enc.exe") << true << QByteArray();
        QTest::newRow("POSIX") << QByteArray("/usr/lib/kalvor/kalvor-base64") << false
                               << QByteArray("/usr/lib/kalvor/");
        QTest::newRow("POSIX root") << QByteArray("/kalvor-base64") << false << QByteArray("/");
        QTest::newRow("backslash is a POSIX name byte")
            << QByteArray("/opt/a\\b/enc") << false << QByteArray("/opt/a\\b/");
        QTest::newRow("POSIX, no folder") << QByteArray("enc") << false << QByteArray();
        QTest::newRow("empty") << QByteArray() << false << QByteArray();
    }
    void folderOfPath() {
        QFETCH(QByteArray, path);
        QFETCH(bool, windows);
        QFETCH(QByteArray, folder);
        QCOMPARE(bytes(communal::folderOfPath(str(path), windows)), folder);
    }

    // In GBK the second byte of a character may be 0x5C, the backslash.
    void folderOfPathSkipsDoubleByteTrails() {
        const auto gbkLead = [](unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; };
        QCOMPARE(bytes(communal::folderOfPath("C:\\\xD6\xD0\x81\x5C.exe", true, gbkLead)),
                 QByteArray("C:\\"));
        QCOMPARE(bytes(communal::folderOfPath("C:\\\x81\x5C\\enc.exe", true, gbkLead)),
                 QByteArray("C:\\\x81\x5C\\"));
    }

    void appPathOfTheRunningProgram() {
        const std::string folder = communal::GetAppPath();
        QCOMPARE(bytes(folder), QFile::encodeName(QCoreApplication::applicationDirPath() + "/"));
        platform::setExeNameForTesting(local(path("kalvor-base64")));
        QCOMPARE(bytes(communal::GetAppPath()), QFile::encodeName(dir_.path() + "/"));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
