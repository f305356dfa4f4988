#include "Bytes.h"
#include "Files.h"
#include "system/Exception.h"
#include "system/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

using platform::TIniFile;

using testsupport::bytes;
using testsupport::entriesOf;
using testsupport::local;
using testsupport::readFile;
using testsupport::str;
using testsupport::writeFile;

namespace {

const QByteArray Default = "<default>";

} // namespace

class TestIniFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

private slots:
    void init() { QVERIFY(dir_.isValid()); }
    void cleanup() {
        for (const QString& name : entriesOf(dir_.path())) {
            QFileInfo info(path(name));
            if (info.isDir() && !info.isSymLink())
                QDir(path(name)).removeRecursively();
            else
                QFile::remove(path(name));
        }
    }

    void read_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("ident");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("plain") << QByteArray("[s]\r\nk=v\r\n") << QByteArray("s") << QByteArray("k")
                               << QByteArray("v");
        QTest::newRow("section case") << QByteArray("[Promo]\r\nk=v\r\n") << QByteArray("PROMO")
                                      << QByteArray("k") << QByteArray("v");
        QTest::newRow("entry case") << QByteArray("[s]\nKey=v\n") << QByteArray("s")
                                    << QByteArray("kEY") << QByteArray("v");
        QTest::newRow("non-ASCII names match exactly")
            << QByteArray("[\xD6\xD0]\nk=v\n") << QByteArray("\xD6\xD0") << QByteArray("k")
            << QByteArray("v");
        QTest::newRow("non-ASCII letters are not folded")
            << QByteArray("[\xC4]\nk=v\n") << QByteArray("\xE4") << QByteArray("k") << Default;
        QTest::newRow("blanks around names, = and value")
            << QByteArray("  [ s ]  \n \t k \t=\t v v \t\n") << QByteArray("s") << QByteArray("k")
            << QByteArray("v v");
        QTest::newRow("blanks in the names asked for")
            << QByteArray("[s]\nk=v\n") << QByteArray(" s\t") << QByteArray(" k ")
            << QByteArray("v");
        QTest::newRow("comment line skipped")
            << QByteArray("[s]\n;k=hidden\nk=v\n") << QByteArray("s") << QByteArray("k")
            << QByteArray("v");
        QTest::newRow("indented comment is no entry")
            << QByteArray("[s]\n  ; k=hidden\n") << QByteArray("s") << QByteArray("k") << Default;
        QTest::newRow("semicolon after a value belongs to it")
            << QByteArray("[s]\nk=v ; note\n") << QByteArray("s") << QByteArray("k")
            << QByteArray("v ; note");
        QTest::newRow("= in the value") << QByteArray("[s]\nk=a=b\n") << QByteArray("s")
                                        << QByteArray("k") << QByteArray("a=b");
        QTest::newRow("first of duplicate entries")
            << QByteArray("[s]\nk=1\nK=2\n") << QByteArray("s") << QByteArray("k")
            << QByteArray("1");
        QTest::newRow("first of duplicate sections")
            << QByteArray("[s]\nk=1\n[S]\nk=2\n") << QByteArray("s") << QByteArray("k")
            << QByteArray("1");
        QTest::newRow("later duplicate section not searched")
            << QByteArray("[s]\na=1\n[s]\nk=2\n") << QByteArray("s") << QByteArray("k") << Default;
        QTest::newRow("entry of another section")
            << QByteArray("[a]\nk=1\n[b]\nk=2\n") << QByteArray("b") << QByteArray("k")
            << QByteArray("2");
        QTest::newRow("entry before any section")
            << QByteArray("k=v\n[s]\n") << QByteArray("s") << QByteArray("k") << Default;
        QTest::newRow("missing section")
            << QByteArray("[a]\nk=1\n") << QByteArray("b") << QByteArray("k") << Default;
        QTest::newRow("missing entry")
            << QByteArray("[a]\nk=1\n") << QByteArray("a") << QByteArray("j") << Default;
        QTest::newRow("empty file")
            << QByteArray() << QByteArray("a") << QByteArray("k") << Default;
        QTest::newRow("empty value")
            << QByteArray("[s]\nk=\n") << QByteArray("s") << QByteArray("k") << QByteArray("");
        QTest::newRow("blank value")
            << QByteArray("[s]\nk=  \t\n") << QByteArray("s") << QByteArray("k") << QByteArray("");
        // A line without "=" is an entry with an empty value, and as the first
        // of its name it wins.
        QTest::newRow("line without = is an empty entry")
            << QByteArray("[s]\nKey Two\nKey Two=v\n") << QByteArray("s") << QByteArray("key two")
            << QByteArray("");
        QTest::newRow("line without =, blanks around")
            << QByteArray("[s]\r\n \t k \t\r\n") << QByteArray("s") << QByteArray("k")
            << QByteArray("");
        QTest::newRow("later line without = does not win")
            << QByteArray("[s]\nk=v\nk\n") << QByteArray("s") << QByteArray("k") << QByteArray("v");
        QTest::newRow("line without = before any section")
            << QByteArray("k\n[s]\n") << QByteArray("s") << QByteArray("k") << Default;
        // A line "[name" without "]" opens no section: it belongs to the
        // section before it, and so do the entries after it.
        QTest::newRow("unclosed section head opens nothing")
            << QByteArray("[s]\r\n[other\r\nk=v\r\n") << QByteArray("s") << QByteArray("k")
            << QByteArray("v");
        QTest::newRow("unclosed section head is no section")
            << QByteArray("[s]\n[other\nk=v\n") << QByteArray("other") << QByteArray("k")
            << Default;
        QTest::newRow("unclosed section head is an entry of the one before")
            << QByteArray("[s]\r[other\rk=v\r") << QByteArray("s") << QByteArray("[other")
            << QByteArray("");
        QTest::newRow("unclosed head with = is an entry")
            << QByteArray("[s]\n[a=b\n") << QByteArray("s") << QByteArray("[a") << QByteArray("b");
        QTest::newRow("unclosed head before any section")
            << QByteArray("[other\nk=v\n[s]\n") << QByteArray("other") << QByteArray("k")
            << Default;
        // A section name ends at the last "]" of its line.
        QTest::newRow("name ends at the last ]")
            << QByteArray("[kv64path]]\r\nk=v\r\n") << QByteArray("kv64path]") << QByteArray("k")
            << QByteArray("v");
        QTest::newRow("up to the last ] is no match for the first")
            << QByteArray("[kv64path]]\nk=v\n") << QByteArray("kv64path") << QByteArray("k")
            << Default;
        QTest::newRow("[ inside the name")
            << QByteArray("[[kv64path]\nk=v\n") << QByteArray("[kv64path") << QByteArray("k")
            << QByteArray("v");
        QTest::newRow("text after the last ] ignored")
            << QByteArray("[a]b] junk\nk=v\n") << QByteArray("a]b") << QByteArray("k")
            << QByteArray("v");
        QTest::newRow("text after ]") << QByteArray("[s] junk\nk=v\n") << QByteArray("s")
                                      << QByteArray("k") << QByteArray("v");
        QTest::newRow("double quotes") << QByteArray("[s]\nk=\"v\"\n") << QByteArray("s")
                                       << QByteArray("k") << QByteArray("v");
        QTest::newRow("single quotes")
            << QByteArray("[s]\nk='v'\n") << QByteArray("s") << QByteArray("k") << QByteArray("v");
        QTest::newRow("quotes keep blanks") << QByteArray("[s]\nk=\" v \"\n") << QByteArray("s")
                                            << QByteArray("k") << QByteArray(" v ");
        QTest::newRow("unmatched quotes stay") << QByteArray("[s]\nk=\"v'\n") << QByteArray("s")
                                               << QByteArray("k") << QByteArray("\"v'");
        QTest::newRow("one quote stays")
            << QByteArray("[s]\nk=\"\n") << QByteArray("s") << QByteArray("k") << QByteArray("\"");
        QTest::newRow("empty quotes")
            << QByteArray("[s]\nk=\"\"\n") << QByteArray("s") << QByteArray("k") << QByteArray("");
        QTest::newRow("only one pair removed")
            << QByteArray("[s]\nk=\"\"v\"\"\n") << QByteArray("s") << QByteArray("k")
            << QByteArray("\"v\"");
        QTest::newRow("LF endings") << QByteArray("[a]\nx=1\n[s]\nk=v\n") << QByteArray("s")
                                    << QByteArray("k") << QByteArray("v");
        QTest::newRow("CR endings") << QByteArray("[a]\rx=1\r[s]\rk=v\r") << QByteArray("s")
                                    << QByteArray("k") << QByteArray("v");
        QTest::newRow("no final line ending")
            << QByteArray("[s]\r\nk=v") << QByteArray("s") << QByteArray("k") << QByteArray("v");
        QTest::newRow("UTF-8 byte order mark")
            << QByteArray("\xEF\xBB\xBF[s]\r\nk=v\r\n") << QByteArray("s") << QByteArray("k")
            << QByteArray("v");
        QTest::newRow("long value read whole")
            << QByteArray("[s]\r\nk=" + QByteArray(5000, 'A') + "B\r\n") << QByteArray("s")
            << QByteArray("k") << QByteArray(5000, 'A') + "B";
    }
    void read() {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, ident);
        QFETCH(QByteArray, expected);
        writeFile(path("fixture.ini"), content);
        const TIniFile ini(local(path("fixture.ini")));
        QCOMPARE(bytes(ini.ReadString(str(section), str(ident), str(Default))), expected);
    }

    void readWithoutAFile() {
        const TIniFile missing(local(path("missing.ini")));
        QCOMPARE(missing.ReadString("s", "k", "dflt"), std::string("dflt"));
        QVERIFY(QDir(dir_.path()).mkdir("folder.ini"));
        const TIniFile folder(local(path("folder.ini")));
        QCOMPARE(folder.ReadString("s", "k", "dflt"), std::string("dflt"));
        const TIniFile inFile(local(path("folder.ini/inner/x.ini")));
        QCOMPARE(inFile.ReadString("s", "k", ""), std::string());
    }

    // Nothing is cached: a file replaced between two reads is read anew.
    void everyReadSeesTheFileAsItIs() {
        const TIniFile ini(local(path("fresh.ini")));
        writeFile(path("fresh.ini"), "[s]\r\nk=old\r\n");
        QCOMPARE(ini.ReadString("s", "k", ""), std::string("old"));
        writeFile(path("fresh.ini"), "[s]\r\nk=new\r\n");
        QCOMPARE(ini.ReadString("s", "k", ""), std::string("new"));
    }

    // The whole file after the write: every other byte stays as it was.
    void write_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("ident");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("replace in place")
            << QByteArray("; top \xD6\xD0\r\n[a]\r\n x = 1 \r\ny=2\r\n\r\n[b]\r\nx=3\r\n")
            << QByteArray("a") << QByteArray("x") << QByteArray("9")
            << QByteArray("; top \xD6\xD0\r\n[a]\r\nx=9\r\ny=2\r\n\r\n[b]\r\nx=3\r\n");
        QTest::newRow("replace matched without case")
            << QByteArray("[A]\nX=1\n") << QByteArray("a") << QByteArray("x") << QByteArray("9")
            << QByteArray("[A]\nx=9\n");
        QTest::newRow("replace the first duplicate")
            << QByteArray("[a]\nx=1\nx=2\n[a]\nx=3\n") << QByteArray("a") << QByteArray("x")
            << QByteArray("9") << QByteArray("[a]\nx=9\nx=2\n[a]\nx=3\n");
        QTest::newRow("replace keeps that line's own ending")
            << QByteArray("[a]\r\nx=1\ny=2\r\n") << QByteArray("a") << QByteArray("x")
            << QByteArray("9") << QByteArray("[a]\r\nx=9\ny=2\r\n");
        QTest::newRow("replace on a last line without ending")
            << QByteArray("[a]\r\nx=1") << QByteArray("a") << QByteArray("x") << QByteArray("9")
            << QByteArray("[a]\r\nx=9");
        QTest::newRow("add after the section's last entry")
            << QByteArray("[a]\r\nx=1\r\n\r\n; about b\r\n[b]\r\ny=2\r\n") << QByteArray("a")
            << QByteArray("z") << QByteArray("5")
            << QByteArray("[a]\r\nx=1\r\nz=5\r\n\r\n; about b\r\n[b]\r\ny=2\r\n");
        // A reproducer of the fuzz target: with the file's ending (a lone CR)
        // the new line joined the empty line's LF after it into one CR LF.
        QTest::newRow("add ends as the line before, keeping an empty line")
            << QByteArray("[t]\r[s]\nc=3\n\n;d") << QByteArray("s") << QByteArray("a")
            << QByteArray("1") << QByteArray("[t]\r[s]\nc=3\na=1\n\n;d");
        QTest::newRow("add to a section without entries")
            << QByteArray("[a]\n\n[b]\n") << QByteArray("a") << QByteArray("z") << QByteArray("5")
            << QByteArray("[a]\nz=5\n\n[b]\n");
        QTest::newRow("add to the first of duplicate sections")
            << QByteArray("[a]\nx=1\n[a]\nz=2\n") << QByteArray("A") << QByteArray("z")
            << QByteArray("5") << QByteArray("[a]\nx=1\nz=5\n[a]\nz=2\n");
        QTest::newRow("add after a last line without ending")
            << QByteArray("[a]\nx=1") << QByteArray("a") << QByteArray("z") << QByteArray("5")
            << QByteArray("[a]\nx=1\nz=5");
        QTest::newRow("add to a lone section line")
            << QByteArray("[a]") << QByteArray("a") << QByteArray("z") << QByteArray("5")
            << QByteArray("[a]\r\nz=5");
        QTest::newRow("new section at the end")
            << QByteArray("[a]\nx=1\n\n") << QByteArray("b") << QByteArray("y") << QByteArray("2")
            << QByteArray("[a]\nx=1\n\n[b]\ny=2\n");
        QTest::newRow("new section after a last line without ending")
            << QByteArray("[a]\r\nx=1") << QByteArray("b") << QByteArray("y") << QByteArray("2")
            << QByteArray("[a]\r\nx=1\r\n[b]\r\ny=2\r\n");
        QTest::newRow("CR file stays CR")
            << QByteArray("[a]\rx=1\r") << QByteArray("b") << QByteArray("y") << QByteArray("2")
            << QByteArray("[a]\rx=1\r[b]\ry=2\r");
        QTest::newRow("byte order mark kept")
            << QByteArray("\xEF\xBB\xBF[a]\r\nx=1\r\n") << QByteArray("a") << QByteArray("x")
            << QByteArray("2") << QByteArray("\xEF\xBB\xBF[a]\r\nx=2\r\n");
        QTest::newRow("blanks of names dropped")
            << QByteArray("") << QByteArray(" s ") << QByteArray("\tk ") << QByteArray("v")
            << QByteArray("[s]\r\nk=v\r\n");
        QTest::newRow("empty value")
            << QByteArray("[s]\r\nk=1\r\n") << QByteArray("s") << QByteArray("k") << QByteArray("")
            << QByteArray("[s]\r\nk=\r\n");
        QTest::newRow("blanks at the ends quoted")
            << QByteArray("") << QByteArray("s") << QByteArray("k") << QByteArray(" v ")
            << QByteArray("[s]\r\nk=\" v \"\r\n");
        QTest::newRow("quote pair quoted")
            << QByteArray("") << QByteArray("s") << QByteArray("k") << QByteArray("'v'")
            << QByteArray("[s]\r\nk=\"'v'\"\r\n");
        // An entry that stands as a line without "=" is replaced by the write.
        QTest::newRow("replace a line without =")
            << QByteArray("[s]\r\n; c\r\n Key Two \r\nKey Two=old\r\n") << QByteArray("s")
            << QByteArray("key two") << QByteArray("9")
            << QByteArray("[s]\r\n; c\r\nkey two=9\r\nKey Two=old\r\n");
        QTest::newRow("add after a line without = of the section")
            << QByteArray("[s]\nflag\n\n[t]\n") << QByteArray("s") << QByteArray("k")
            << QByteArray("1") << QByteArray("[s]\nflag\nk=1\n\n[t]\n");
        QTest::newRow("an unclosed head stays in its section")
            << QByteArray("[s]\n[other\nk=1\n") << QByteArray("s") << QByteArray("k")
            << QByteArray("2") << QByteArray("[s]\n[other\nk=2\n");
        QTest::newRow("new section whose name holds ]")
            << QByteArray("") << QByteArray("a]b") << QByteArray("k") << QByteArray("v")
            << QByteArray("[a]b]\r\nk=v\r\n");
        QTest::newRow("inner quotes as they are")
            << QByteArray("") << QByteArray("s") << QByteArray("k") << QByteArray("a\"b'")
            << QByteArray("[s]\r\nk=a\"b'\r\n");
    }
    void write() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, ident);
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, after);
        writeFile(path("settings.ini"), before);
        TIniFile ini(local(path("settings.ini")));
        ini.WriteString(str(section), str(ident), str(value));
        QCOMPARE(readFile(path("settings.ini")), after);
        QCOMPARE(bytes(ini.ReadString(str(section), str(ident), "<none>")), value);
        QCOMPARE(entriesOf(dir_.path()), QStringList{"settings.ini"});
    }

    void writeCreatesTheFile() {
        TIniFile ini(local(path("new.ini")));
        ini.WriteString("Promo", "Pic", "0A1B");
        QCOMPARE(readFile(path("new.ini")), QByteArray("[Promo]\r\nPic=0A1B\r\n"));
        ini.WriteString("Promo", "Url", "FF");
        ini.WriteString("Other", "Pic", "01");
        QCOMPARE(readFile(path("new.ini")),
                 QByteArray("[Promo]\r\nPic=0A1B\r\nUrl=FF\r\n[Other]\r\nPic=01\r\n"));
        QCOMPARE(ini.ReadString("promo", "url", ""), std::string("FF"));
        QCOMPARE(entriesOf(dir_.path()), QStringList{"new.ini"});
    }

    void valuesReadBackAsWritten_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("hex") << QByteArray("030D5A92DF");
        QTest::newRow("blanks") << QByteArray(" \t ");
        QTest::newRow("double quoted") << QByteArray("\"x\"");
        QTest::newRow("lone quote") << QByteArray("\"");
        QTest::newRow("semicolon") << QByteArray(";x");
        QTest::newRow("brackets and =") << QByteArray("[a]=b");
        QTest::newRow("GBK") << QByteArray("\xB5\xE3\xBB\xF7");
        QTest::newRow("long") << QByteArray(10000, 'C');
    }
    void valuesReadBackAsWritten() {
        QFETCH(QByteArray, value);
        TIniFile ini(local(path("round.ini")));
        ini.WriteString("s", "k", "first");
        ini.WriteString("s", "k", str(value));
        ini.WriteString("s", "after", "x");
        QCOMPARE(bytes(ini.ReadString("s", "k", "<none>")), value);
        QCOMPARE(ini.ReadString("s", "after", ""), std::string("x"));
    }

    // Names and values the INI text form cannot hold are refused, not
    // written so that they would read back as something else.
    void unstorableWritesRefused_data() {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("ident");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("line break in section")
            << QByteArray("a\nb") << QByteArray("k") << QByteArray("v");
        QTest::newRow("= in entry") << QByteArray("s") << QByteArray("k=j") << QByteArray("v");
        QTest::newRow("empty entry") << QByteArray("s") << QByteArray(" ") << QByteArray("v");
        QTest::newRow("comment entry") << QByteArray("s") << QByteArray(";k") << QByteArray("v");
        QTest::newRow("section-like entry")
            << QByteArray("s") << QByteArray("[k") << QByteArray("v");
        QTest::newRow("CR in value") << QByteArray("s") << QByteArray("k") << QByteArray("a\rb");
        QTest::newRow("LF in value") << QByteArray("s") << QByteArray("k") << QByteArray("a\nb");
    }
    void unstorableWritesRefused() {
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, ident);
        QFETCH(QByteArray, value);
        const QByteArray before = "[s]\r\nk=1\r\n";
        writeFile(path("keep.ini"), before);
        TIniFile ini(local(path("keep.ini")));
        QVERIFY_THROWS_EXCEPTION(platform::Exception,
                                 ini.WriteString(str(section), str(ident), str(value)));
        QCOMPARE(readFile(path("keep.ini")), before);
        QCOMPARE(entriesOf(dir_.path()), QStringList{"keep.ini"});
    }

    // Root can write anywhere it has a folder, so the targets here fail for
    // every user: no folder at all, or a folder that is a regular file, or a
    // "file" that is a folder.
    void unwritableTargets_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("folder missing") << "missing/config.ini";
        QTest::newRow("folder is a file") << "plain.txt/config.ini";
        QTest::newRow("target is a folder") << "folder.ini";
    }
    void unwritableTargets() {
        QFETCH(QString, target);
        writeFile(path("plain.txt"), "[s]\r\nk=1\r\n");
        QVERIFY(QDir(dir_.path()).mkpath("folder.ini/inside"));
        const std::string name = local(path(target));
        TIniFile ini(name);
        try {
            ini.WriteString("s", "k", "2");
            QFAIL("no exception");
        } catch (const platform::Exception& error) {
            QCOMPARE(QByteArray(error.what()), bytes("Unable to write to " + name));
        }
        QCOMPARE(readFile(path("plain.txt")), QByteArray("[s]\r\nk=1\r\n"));
        QVERIFY(QFileInfo(path("folder.ini/inside")).isDir());
        QCOMPARE(entriesOf(dir_.path()), (QStringList{"folder.ini", "plain.txt"}));
    }

#ifndef _WIN32
    // A disk that fills up while the new content is written: the old file
    // stays whole and the half-written temporary goes. A file size limit
    // stands in for the full disk; it binds root as well.
    void fullDiskKeepsTheOldFile() {
        const QByteArray before = "; keep me\r\n[s]\r\nk=1\r\n";
        writeFile(path("full.ini"), before);
        const std::string name = local(path("full.ini"));
        TIniFile ini(name);

        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 4096;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        QByteArray message;
        try {
            ini.WriteString("s", "k", std::string(20000, 'A'));
        } catch (const platform::Exception& error) {
            message = error.what();
        }
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(message, bytes("Unable to write to " + name));
        QCOMPARE(readFile(path("full.ini")), before);
        QCOMPARE(entriesOf(dir_.path()), QStringList{"full.ini"});
    }

    void writeKeepsAccessRights() {
        writeFile(path("rights.ini"), "[s]\nk=1\n");
        const auto rights = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                            QFileDevice::ReadGroup | QFileDevice::ReadUser | QFileDevice::WriteUser;
        QVERIFY(QFile::setPermissions(path("rights.ini"), rights));
        TIniFile(local(path("rights.ini"))).WriteString("s", "k", "2");
        QCOMPARE(QFile::permissions(path("rights.ini")), rights);
    }

    void writeThroughALinkKeepsTheLink() {
        writeFile(path("real.ini"), "[s]\nk=1\n");
        QVERIFY(QFile::link(path("real.ini"), path("link.ini")));
        TIniFile(local(path("link.ini"))).WriteString("s", "k", "2");
        QVERIFY(QFileInfo(path("link.ini")).isSymLink());
        QCOMPARE(readFile(path("real.ini")), QByteArray("[s]\nk=2\n"));
    }
#endif
};

QTEST_APPLESS_MAIN(TestIniFile)
#include "test_inifile.moc"
