// The Debian package as a user gets it: unpacked into a temporary root, its
// folders made read-only as an installed system's are, its files looked up
// where the desktop looks for them (XDG_DATA_DIRS pointing into the root),
// and the program run from there offscreen, with a temporary home.

#include "Files.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString PackageDir = QStringLiteral(KALVOR_PACKAGE_DIR);
const QString ProbePluginDir = QStringLiteral(KALVOR_PROBE_PLUGIN_DIR);
const QString SourceDir = QStringLiteral(KALVOR_SOURCE_DIR);
const QString AppId = QStringLiteral(KALVOR_APP_ID);
const QString ProgramName = QStringLiteral(KALVOR_PROGRAM_NAME);
const QString Version = QStringLiteral(KALVOR_VERSION);

struct Run {
    int exitCode = -1;
    QByteArray output;
};

// Runs a command to its end; a command that cannot start or takes longer
// than the limit fails the test.
Run run(const QString& program, const QStringList& arguments,
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
        int limitMilliseconds = 120000) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted() || !process.waitForFinished(limitMilliseconds)) {
        process.kill();
        process.waitForFinished();
        return {-1, program.toUtf8() + " did not run to its end: " + process.readAll()};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAll()};
}

// Read and search permissions for all, and write permission for no one,
// or the owner's write permission back.
void setFoldersWritable(const QString& root, bool writable) {
    const QFile::Permissions readable = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                        QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    QStringList folders{root};
    QDirIterator it(root, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        folders.append(it.next());
    for (const QString& folder : folders)
        QFile::setPermissions(folder, writable ? readable | QFile::WriteOwner : readable);
}

} // namespace

class TestPackage : public QObject {
    Q_OBJECT

    QString package_;
    QTemporaryDir root_;
    QString dataDirs_; // XDG_DATA_DIRS of the unpacked system

    // Where the desktop finds a data file: the first folder of
    // XDG_DATA_DIRS that holds it.
    QString findDataFile(const QString& relativePath) const {
        for (const QString& folder : dataDirs_.split(u':', Qt::SkipEmptyParts)) {
            QString path = QDir(folder).filePath(relativePath);
            if (QFileInfo::exists(path))
                return path;
        }
        return {};
    }

private slots:
    void initTestCase() {
        const QStringList debs = QDir(PackageDir).entryList({"*.deb"}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        const Run arch = run("dpkg", {"--print-architecture"});
        QCOMPARE(arch.exitCode, 0);
        const QString name =
            QStringLiteral("%1_%2_%3.deb").arg(ProgramName, Version, arch.output.trimmed());
        QCOMPARE(debs.first(), name);
        package_ = QDir(PackageDir).filePath(name);

        QVERIFY(root_.isValid());
        const Run unpack = run("dpkg-deb", {"-x", package_, root_.path()});
        QVERIFY2(unpack.exitCode == 0, unpack.output.constData());
        setFoldersWritable(root_.path(), false);
        dataDirs_ = root_.filePath("usr/share");
    }
    void cleanupTestCase() { setFoldersWritable(root_.path(), true); }

    void controlFields_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("Package") << "Package"
                                 << "^" + ProgramName + "$";
        QTest::newRow("Version") << "Version"
                                 << "^" + QRegularExpression::escape(Version) + "$";
        QTest::newRow("Maintainer") << "Maintainer"
                                    << "^[^<]+ <[^@>]+@[^>]+>$";
        QTest::newRow("Section") << "Section"
                                 << "^utils$";
        // Worked out from the binary, and the run-time plugins beside.
        for (const char* library : {"libqt6widgets6", "libqt6gui6", "libqt6core6", "libcurl4",
                                    "libjpeg62-turbo", "libc6", "qt6-qpa-plugins"})
            QTest::addRow("Depends on %s", library)
                << "Depends" << QStringLiteral("(^|, )%1( \\(|,|$)").arg(library);
    }
    void controlFields() {
        QFETCH(QString, field);
        QFETCH(QString, pattern);
        const Run value = run("dpkg-deb", {"-f", package_, field});
        QCOMPARE(value.exitCode, 0);
        const QString text = QString::fromUtf8(value.output.trimmed());
        QVERIFY2(QRegularExpression(pattern).match(text).hasMatch(), qPrintable(text));
    }

    void lintianFindsNoError() {
        const Run lintian = run("lintian", {"--fail-on", "error", package_});
        QVERIFY2(lintian.exitCode == 0, lintian.output.constData());
    }

    void desktopEntry() {
        const QString entry = findDataFile("applications/" + AppId + ".desktop");
        QVERIFY2(!entry.isEmpty(), "no desktop entry in XDG_DATA_DIRS");
        const Run validate = run("desktop-file-validate", {entry});
        QVERIFY2(validate.exitCode == 0 && validate.output.isEmpty(), validate.output.constData());

        QSettings settings(entry, QSettings::IniFormat);
        settings.beginGroup("Desktop Entry");
        QCOMPARE(settings.value("Type").toString(), QStringLiteral("Application"));
        QCOMPARE(settings.value("Icon").toString(), AppId);
        // The command it starts is the installed program, found on the PATH.
        const QString exec = settings.value("Exec").toString();
        QCOMPARE(QStandardPaths::findExecutable(exec, {root_.filePath("usr/bin")}),
                 root_.filePath("usr/bin/" + ProgramName));
    }

    void metadata() {
        const QString metainfo = findDataFile("metainfo/" + AppId + ".metainfo.xml");
        QVERIFY2(!metainfo.isEmpty(), "no AppStream metadata in XDG_DATA_DIRS");
        const Run validate = run("appstreamcli", {"validate", "--no-net", metainfo});
        QVERIFY2(validate.exitCode == 0, validate.output.constData());
        const QByteArray xml = testsupport::readFile(metainfo);
        QVERIFY(xml.contains("<id>" + AppId.toUtf8() + "</id>"));
        QVERIFY(xml.contains("<launchable type=\"desktop-id\">" + AppId.toUtf8() + ".desktop<"));
        QVERIFY(xml.contains("<release version=\"" + Version.toUtf8() + "\""));
        QVERIFY(xml.contains("<screenshot type=\"default\">"));
    }

    void iconAtEachSize_data() {
        QTest::addColumn<int>("size");
        for (const int size : {16, 24, 32, 48, 64, 128, 256})
            QTest::addRow("%d", size) << size;
    }
    void iconAtEachSize() {
        QFETCH(int, size);
        const QString path =
            findDataFile(QStringLiteral("icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(AppId));
        QVERIFY2(!path.isEmpty(), "no icon of this size in XDG_DATA_DIRS");
        const QImage icon(path);
        QCOMPARE(icon.size(), QSize(size, size));
        QVERIFY(icon.hasAlphaChannel());
        // The size the program carries itself is the same picture.
        if (size == 128)
            QCOMPARE(icon.convertToFormat(QImage::Format_ARGB32),
                     QImage(SourceDir + "/resources/kalvor-base64.png")
                         .convertToFormat(QImage::Format_ARGB32));
    }

    void papers_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("copyright") << "usr/share/doc/" + ProgramName + "/copyright";
        QTest::newRow("changelog") << "usr/share/doc/" + ProgramName + "/changelog.gz";
        QTest::newRow("manual page") << "usr/share/man/man1/" + ProgramName + ".1.gz";
    }
    void papers() {
        QFETCH(QString, path);
        QVERIFY(QFileInfo(root_.filePath(path)).size() > 0);
    }

    // The installed program in its read-only folder: it starts, encodes its
    // initial text, names its desktop entry, and keeps its files in the
    // user's data folder.
    void installedProgramRuns() {
        QTemporaryDir home;
        const QString report = home.filePath("probe.json");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home.path());
        environment.remove("XDG_DATA_HOME");
        environment.insert("XDG_DATA_DIRS", dataDirs_);
        environment.insert("LC_ALL", "C.UTF-8");
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("QT_PLUGIN_PATH", ProbePluginDir);
        environment.insert("QT_QPA_GENERIC_PLUGINS", "kalvorprobe");
        environment.insert("KALVOR_PROBE_REPORT", report);

        const Run program = run(root_.filePath("usr/bin/" + ProgramName), {}, environment);
        QVERIFY2(program.exitCode == 0, program.output.constData());
        const QJsonObject seen = QJsonDocument::fromJson(testsupport::readFile(report)).object();
        QVERIFY2(!seen.contains("error"), qPrintable(seen["error"].toString()));

        QCOMPARE(seen["windowTitle"].toString(), QStringLiteral("Kalvor base64 加密解密"));
        QVERIFY(seen["hasIcon"].toBool());
        QCOMPARE(seen["desktopFileName"].toString(), AppId);
        const QByteArray initialText = QStringLiteral("使用说明：在上面文本框输入原文或密文，"
                                                      "点击相应按钮在下面生成结\r\n果！\r\n")
                                           .toUtf8();
        QCOMPARE(seen["encoded"].toString(), QString::fromLatin1(initialText.toBase64()));

        const QString ownFolder = home.path() + "/.local/share/" + ProgramName + "/";
        QCOMPARE(seen["openedFolder"].toString(), QUrl::fromLocalFile(ownFolder).toString());
        QVERIFY(QFileInfo(ownFolder).isDir());
        QCOMPARE(testsupport::entriesOf(root_.filePath("usr/bin")), QStringList{ProgramName});
    }
};

QTEST_GUILESS_MAIN(TestPackage)
#include "test_package.moc"
