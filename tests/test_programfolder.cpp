// The program folder of a copy kept in a folder of its own and of an
// installed program: real temporary folders, one of them read-only, and a
// temporary home.

#include "Bytes.h"
#include "Files.h"
#include "ProgramFolder.h"
#include "communal/Folders.h"
#include "communal/Settings.h"
#include "system/UserFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

using testsupport::bytes;
using testsupport::EnvironmentVariable;
using testsupport::local;
using testsupport::TemporaryHome;
using testsupport::TemporaryProgramFolder;

namespace {

QString appPath() {
    return QFile::decodeName(bytes(communal::GetAppPath()));
}

} // namespace

class TestProgramFolder : public QObject {
    Q_OBJECT

private slots:
    // Where the user's data folder lies, by the environment.
    void userDataFolder_data() {
        QTest::addColumn<QByteArray>("home");
        QTest::addColumn<QByteArray>("dataHome"); // null: unset
        QTest::addColumn<QByteArray>("folder");
        QTest::newRow("XDG_DATA_HOME")
            << QByteArray("/home/ann") << QByteArray("/data/ann") << QByteArray("/data/ann/kv/");
        QTest::newRow("XDG_DATA_HOME with a closing slash")
            << QByteArray("/home/ann") << QByteArray("/data/ann//") << QByteArray("/data/ann/kv/");
        QTest::newRow("XDG_DATA_HOME unset")
            << QByteArray("/home/ann") << QByteArray() << QByteArray("/home/ann/.local/share/kv/");
        QTest::newRow("XDG_DATA_HOME empty") << QByteArray("/home/ann") << QByteArray("")
                                             << QByteArray("/home/ann/.local/share/kv/");
        // A relative path is no valid base folder and is ignored.
        QTest::newRow("XDG_DATA_HOME relative") << QByteArray("/home/ann") << QByteArray("data")
                                                << QByteArray("/home/ann/.local/share/kv/");
        QTest::newRow("home with a closing slash")
            << QByteArray("/home/ann/") << QByteArray() << QByteArray("/home/ann/.local/share/kv/");
        QTest::newRow("home is the root")
            << QByteArray("/") << QByteArray() << QByteArray("/.local/share/kv/");
        QTest::newRow("data folder is the root")
            << QByteArray("/home/ann") << QByteArray("/") << QByteArray("/kv/");
        QTest::newRow("bytes that are no UTF-8") << QByteArray("/home/\xE9t\xE9") << QByteArray()
                                                 << QByteArray("/home/\xE9t\xE9/.local/share/kv/");
    }
    void userDataFolder() {
        QFETCH(QByteArray, home);
        QFETCH(QByteArray, dataHome);
        QFETCH(QByteArray, folder);
        const EnvironmentVariable homeVariable("HOME", home);
        const EnvironmentVariable dataHomeVariable("XDG_DATA_HOME", dataHome);
        QCOMPARE(bytes(platform::userDataFolder("kv")), folder);
    }

    void canWriteIn() {
        QTemporaryDir dir;
        const std::string folder = local(dir.path() + "/");
        QVERIFY(platform::canWriteIn(folder));
        QVERIFY(platform::canWriteIn(local(dir.path())));

        testsupport::writeFile(dir.filePath("file"), "x");
        QVERIFY(!platform::canWriteIn(local(dir.filePath("file"))));
        QVERIFY(!platform::canWriteIn(local(dir.filePath("missing/"))));
        QVERIFY(!platform::canWriteIn(""));

        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner |
                                                      QFile::ReadOther | QFile::ExeOther));
        QVERIFY(!platform::canWriteIn(folder));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void makeFolderMakesTheMissingFoldersForTheUserAlone() {
        QTemporaryDir dir;
        const QString folder = dir.path() + "/a/b/c/";
        QVERIFY(platform::makeFolder(local(folder)));
        QVERIFY(QFileInfo(folder).isDir());
        for (const QString& made : {dir.path() + "/a", dir.path() + "/a/b", dir.path() + "/a/b/c"})
            QVERIFY(std::filesystem::status(local(made)).permissions() ==
                    std::filesystem::perms::owner_all);
        // A folder already there is left as it is.
        QVERIFY(platform::makeFolder(local(folder)));
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(platform::makeFolder(local(folder)));
        QVERIFY(!platform::makeFolder(local(dir.path() + "/d/")));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        testsupport::writeFile(dir.filePath("file"), "x");
        QVERIFY(!platform::makeFolder(local(dir.filePath("file/e/"))));
    }

    // A copy of the program in a folder the user can write keeps its files
    // beside itself, and makes no folder in the user's data folder.
    void writableFolderIsTheProgramFolder() {
        const TemporaryHome home;
        const TemporaryProgramFolder program;
        QCOMPARE(appPath(), program.path() + "/");
        QVERIFY(!QFileInfo::exists(home.programFolder()));
    }

    // An installed program keeps its files in the user's data folder, made
    // when first needed.
    void readOnlyFolderGivesTheUserDataFolder() {
        const TemporaryHome home;
        const TemporaryProgramFolder program(TemporaryProgramFolder::ReadOnly);
        QVERIFY(!QFileInfo::exists(home.path() + "/.local"));
        QCOMPARE(appPath(), home.programFolder());
        QVERIFY(QFileInfo(home.programFolder()).isDir());
        QVERIFY(QFileInfo(home.programFolder()).isWritable());
        // Asked again, with the folder there.
        QCOMPARE(appPath(), home.programFolder());
    }

    void readOnlyFolderFollowsXdgDataHome() {
        const TemporaryHome home;
        QTemporaryDir data;
        const EnvironmentVariable dataHome("XDG_DATA_HOME", QFile::encodeName(data.path()));
        const TemporaryProgramFolder program(TemporaryProgramFolder::ReadOnly);
        QCOMPARE(appPath(), data.path() + "/kalvor-base64/");
        QVERIFY(QFileInfo(data.path() + "/kalvor-base64").isDir());
        QVERIFY(!QFileInfo::exists(home.programFolder()));
    }

    // When the user's data folder cannot be made either, the executable's
    // folder is all there is.
    void unmakeableUserFolderLeavesTheExecutablesFolder() {
        const TemporaryHome home;
        const TemporaryProgramFolder data(TemporaryProgramFolder::ReadOnly);
        const EnvironmentVariable dataHome("XDG_DATA_HOME", QFile::encodeName(data.path()));
        const TemporaryProgramFolder program(TemporaryProgramFolder::ReadOnly);
        QCOMPARE(appPath(), program.path() + "/");
    }

    // The default settings file follows the program folder.
    void defaultSettingsFileIsInTheUserDataFolder() {
        const TemporaryHome home;
        const TemporaryProgramFolder program(TemporaryProgramFolder::ReadOnly);
        std::string value;
        communal::AccessSetting("", communal::WriteMode, "s", "k", "kept", value);
        QVERIFY(QFileInfo::exists(home.programFolder() + "config.ini"));
        QCOMPARE(testsupport::entriesOf(program.path()), QStringList());
        communal::AccessSetting("", communal::ReadMode, "s", "k", "", value);
        QCOMPARE(value, std::string("kept"));
    }
};

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "test_programfolder.moc"
