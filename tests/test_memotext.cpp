// The text box's conversions between bytes, what it holds and the
// clipboard, without a widget.

#include "Bytes.h"
#include "widgets/MemoText.h"

#include <QTest>
#include <random>

using platform::CodePage;

using testsupport::bytes;
using testsupport::str;

namespace {

const CodePage& utf8() {
    static const CodePage page = CodePage::named("UTF-8");
    return page;
}

QString fromUcs4(std::initializer_list<char32_t> codePoints) {
    const std::u32string s(codePoints);
    return QString::fromUcs4(s.data(), qsizetype(s.size()));
}

// A code point anywhere in Unicode but the surrogates, which UTF-8 cannot
// carry alone; a third of them from the planes beyond the first.
char32_t randomCodePoint(std::mt19937& random) {
    std::uniform_int_distribution<int> plane(0, 2);
    std::uniform_int_distribution<char32_t> bmp(0, 0xFFFF);
    std::uniform_int_distribution<char32_t> astral(0x10000, 0x10FFFF);
    for (;;) {
        const char32_t c = plane(random) == 0 ? astral(random) : bmp(random);
        if ((c < 0xD800 || c > 0xDFFF) && c != 0)
            return c;
    }
}

} // namespace

class TestMemoText : public QObject {
    Q_OBJECT

private slots:
    // Every character goes in and comes out unchanged; lines stay as the
    // bytes give them.
    void bytesRoundTrip_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("word joiner") << fromUcs4({'a', 0x2060, 'b'});
        QTest::newRow("old lone CR stand-in") << fromUcs4({0xE00D});
        QTest::newRow("old lone LF stand-in") << fromUcs4({'x', 0xE00A, 'y'});
        QTest::newRow("private use") << fromUcs4({0xE000, 0xF8FF, 0xF0000, 0x10FFFD});
        QTest::newRow("noncharacters") << fromUcs4({0xFFFE, 0xFFFF, 0xFDD0, 0x1FFFE, 0x10FFFF});
        QTest::newRow("byte order mark first") << fromUcs4({0xFEFF, 'a'});
        QTest::newRow("pair first") << fromUcs4({0x1F600, 'a', 'b'});
        QTest::newRow("pair last") << fromUcs4({'a', 0x20000});
        QTest::newRow("pairs only") << fromUcs4({0x1D11E, 0x1F4A9, 0x10400});
        QTest::newRow("lone CR and LF") << QStringLiteral("a\rb\nc\n\r");
        QTest::newRow("CR CR LF") << QStringLiteral("a\r\r\nb");
        QTest::newRow("controls") << QStringLiteral("\x01\x04\x1f\x7f");
        QTest::newRow("separators") << fromUcs4({0x2028, 0x2029, 0x85, 0xFFFC});
        QTest::newRow("combining") << fromUcs4({'e', 0x301, 0x200D, 0x1F468, 0x200D, 0x1F467});
    }
    void bytesRoundTrip() {
        QFETCH(QString, text);
        const std::string utf8Bytes = platform::bytesFromMemoText(text, utf8());
        QCOMPARE(bytes(utf8Bytes), text.toUtf8());
        QCOMPARE(platform::memoTextFromBytes(utf8Bytes, utf8()), text);
        QVERIFY(platform::memoTextIsBytes(text, utf8Bytes, utf8()));
    }

    void randomTextsOverAllOfUnicodeRoundTrip() {
        std::mt19937 random(2024);
        std::uniform_int_distribution<int> length(0, 300);
        for (int round = 0; round < 300; ++round) {
            std::u32string codePoints;
            for (int n = length(random); n > 0; --n)
                codePoints += randomCodePoint(random);
            const QString text = QString::fromUcs4(codePoints.data(), qsizetype(codePoints.size()));
            const std::string inBytes = platform::bytesFromMemoText(text, utf8());
            QCOMPARE(platform::memoTextFromBytes(inBytes, utf8()), text);
            QCOMPARE(
                platform::bytesFromMemoText(platform::memoTextFromBytes(inBytes, utf8()), utf8()),
                inBytes);
        }
    }

    void bytesEndAtTheFirstZero() {
        QCOMPARE(platform::memoTextFromBytes(std::string_view("ab\0cd", 5), utf8()),
                 QStringLiteral("ab"));
        QCOMPARE(platform::memoTextFromBytes(std::string_view("\0x", 2), utf8()), QString());
    }

    void gbkBytes() {
        const auto gbk = CodePage::named("GBK");
        QCOMPARE(platform::memoTextFromBytes("\xD6\xD0\r\n", gbk), QStringLiteral("中\r\n"));
        QCOMPARE(bytes(platform::bytesFromMemoText(QStringLiteral("中\r\n"), gbk)),
                 QByteArray("\xD6\xD0\r\n"));
        // A character GBK cannot hold leaves as one "?" per UTF-16 unit.
        QCOMPARE(platform::bytesFromMemoText(fromUcs4({'a', 0x1F600}), gbk), std::string("a??"));
    }

    void comparisonFindsEveryDifference_data() {
        QTest::addColumn<QString>("held");
        QTest::addColumn<QByteArray>("given");
        QTest::addColumn<bool>("same");
        const QString longLine(200000, u'x');
        QTest::newRow("both empty") << QString() << QByteArray() << true;
        QTest::newRow("empty box") << QString() << QByteArray("a") << false;
        QTest::newRow("empty bytes") << QStringLiteral("a") << QByteArray() << false;
        QTest::newRow("equal") << QStringLiteral("中文\r\n") << QByteArray("中文\r\n") << true;
        QTest::newRow("prefix") << QStringLiteral("abc") << QByteArray("ab") << false;
        QTest::newRow("longer") << QStringLiteral("ab") << QByteArray("abc") << false;
        QTest::newRow("long equal") << longLine << longLine.toLatin1() << true;
        QTest::newRow("long, last differs")
            << longLine << (longLine.left(longLine.size() - 1) + u'y').toLatin1() << false;
        QString pairAtPiece = QString(64 * 1024 - 1, u'a') + fromUcs4({0x1F600}) + u'b';
        QTest::newRow("pair across pieces") << pairAtPiece << pairAtPiece.toUtf8() << true;
    }
    void comparisonFindsEveryDifference() {
        QFETCH(QString, held);
        QFETCH(QByteArray, given);
        QFETCH(bool, same);
        QCOMPARE(platform::memoTextIsBytes(held, str(given), utf8()), same);
    }

    void clipboardText_data() {
        QTest::addColumn<QString>("held");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<bool>("keeps");
        QTest::newRow("lines") << QStringLiteral("a\r\nb\r\n") << QStringLiteral("a\nb\n") << true;
        QTest::newRow("lone CR") << QStringLiteral("a\rb") << QStringLiteral("a\rb") << false;
        QTest::newRow("lone LF") << QStringLiteral("a\nb") << QStringLiteral("a\nb") << false;
        QTest::newRow("CR CR LF") << QStringLiteral("\r\r\n") << QStringLiteral("\r\n") << false;
        QTest::newRow("others") << fromUcs4({0x2060, 0xE00D, 0x1F600})
                                << fromUcs4({0x2060, 0xE00D, 0x1F600}) << true;
    }
    void clipboardText() {
        QFETCH(QString, held);
        QFETCH(QString, clipboard);
        QFETCH(bool, keeps);
        QCOMPARE(platform::clipboardTextFromMemo(held), clipboard);
        QCOMPARE(platform::clipboardTextKeepsMemoText(held), keeps);
        if (keeps)
            QCOMPARE(platform::memoTextFromClipboard(clipboard), held);
    }

    void pastedText_data() {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("held");
        QTest::newRow("LF") << QStringLiteral("a\nb") << QStringLiteral("a\r\nb");
        QTest::newRow("CR") << QStringLiteral("a\rb") << QStringLiteral("a\r\nb");
        QTest::newRow("CR LF") << QStringLiteral("a\r\nb") << QStringLiteral("a\r\nb");
        QTest::newRow("LF CR") << QStringLiteral("\n\r") << QStringLiteral("\r\n\r\n");
        QTest::newRow("zero ends") << QString::fromUtf16(u"ab\0cd", 5) << QStringLiteral("ab");
        QTest::newRow("others") << fromUcs4({0x2060, 0xE00A, 0xFFFF, 0x10FFFF})
                                << fromUcs4({0x2060, 0xE00A, 0xFFFF, 0x10FFFF});
    }
    void pastedText() {
        QFETCH(QString, pasted);
        QFETCH(QString, held);
        QCOMPARE(platform::memoTextFromClipboard(pasted), held);
    }
};

QTEST_MAIN(TestMemoText)
#include "test_memotext.moc"
