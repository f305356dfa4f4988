// Where the text box ends its visual lines: the breaking rule on its own,
// and the wrapping after edits against a wrapping from scratch.

#include "widgets/LineBreaking.h"
#include "widgets/VisualLines.h"

#include <QTest>
#include <random>

using platform::Advance;
using platform::CharMetrics;
using platform::TextBuffer;
using platform::VisualLines;

namespace {

// Every character one pixel wide (1/64 pixel units), so widths count characters.
constexpr Advance Pixel = 64;

CharMetrics onePixelEach() {
    return CharMetrics([](char32_t) { return qint32(Pixel); });
}

QString fromUcs4(const std::u32string& s) {
    return QString::fromUcs4(s.data(), qsizetype(s.size()));
}

// A text wrapped from scratch at a width: its lines joined with "|".
QString wrapped(const QString& text, int width, int tab = 8) {
    TextBuffer buffer;
    buffer.assign(text);
    CharMetrics metrics = onePixelEach();
    VisualLines lines(buffer, metrics);
    lines.setWidths(width * Pixel, tab * Pixel);
    lines.wrapAll();
    QStringList shown;
    for (qsizetype line = 0; line < lines.count(); ++line)
        shown << buffer.mid(lines.start(line), lines.end(line) - lines.start(line));
    return shown.join(u'|');
}

std::vector<qsizetype> startsOf(VisualLines& lines) {
    lines.wrapAll();
    std::vector<qsizetype> starts;
    for (qsizetype line = 0; line < lines.count(); ++line)
        starts.push_back(lines.start(line));
    return starts;
}

} // namespace

class TestVisualLines : public QObject {
    Q_OBJECT

private slots:
    void breakingRule_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("lines");
        QTest::newRow("after spaces")
            << QStringLiteral("aaaa bbbb cccc") << 10 << QStringLiteral("aaaa bbbb |cccc");
        QTest::newRow("a run fills every line")
            << QStringLiteral("abcdefghij") << 4 << QStringLiteral("abcd|efgh|ij");
        QTest::newRow("no break after slash, hyphen or plus")
            << QStringLiteral("yrnT/w8u-1w+ejut") << 5 << QStringLiteral("yrnT/|w8u-1|w+eju|t");
        QTest::newRow("spaces hang past the edge")
            << QStringLiteral("aaaa      bb") << 5 << QStringLiteral("aaaa      |bb");
        QTest::newRow("a word too long breaks where full")
            << QStringLiteral("ab cdefghijk") << 4 << QStringLiteral("ab |cdef|ghij|k");
        QTest::newRow("no break at a no-break space")
            << QStringLiteral("aa\u00A0bb cc") << 6 << QStringLiteral("aa\u00A0bb |cc");
        QTest::newRow("no break at a zero width space")
            << QStringLiteral("aa\u200Bbbcc") << 4 << QStringLiteral("aa\u200Bbb|cc");
        QTest::newRow("tab") << QStringLiteral("a\tbcd") << 10 << QStringLiteral("a\t|bcd");
        QTest::newRow("between ideographs")
            << QStringLiteral("中文字符") << 3 << QStringLiteral("中文字|符");
        QTest::newRow("not before a closing mark")
            << QStringLiteral("中文。中文") << 2 << QStringLiteral("中|文。|中文");
        QTest::newRow("not after an opening bracket")
            << QStringLiteral("中「文」") << 3 << QStringLiteral("中|「文」");
        QTest::newRow("not before a prolonged sound mark")
            << QStringLiteral("カーカー") << 3 << QStringLiteral("カー|カー");
        QTest::newRow("Hangul syllables")
            << QStringLiteral("한국어") << 2 << QStringLiteral("한국|어");
        QTest::newRow("not between CJK and Latin")
            << QStringLiteral("中abc文") << 3 << QStringLiteral("中ab|c文");
        QTest::newRow("word joiner holds CJK together")
            << QStringLiteral("中文\u2060字") << 2 << QStringLiteral("中|文\u2060字");
        QTest::newRow("emoji are not CJK") << fromUcs4(U"\U0001F600\U0001F600\U0001F600") << 2
                                           << fromUcs4(U"\U0001F600\U0001F600|\U0001F600");
        QTest::newRow("a pair is never split")
            << fromUcs4(U"a\U0001F600b") << 1 << fromUcs4(U"a|\U0001F600|b");
        QTest::newRow("a mark stays with its letter")
            << QStringLiteral("ae\u0301x") << 2 << QStringLiteral("ae\u0301|x");
        QTest::newRow("CR LF ends a line")
            << QStringLiteral("ab\r\ncd") << 10 << QStringLiteral("ab\r\n|cd");
        QTest::newRow("a final CR LF gives an empty line")
            << QStringLiteral("ab\r\n") << 10 << QStringLiteral("ab\r\n|");
        QTest::newRow("lone CR and LF are characters")
            << QStringLiteral("a\rb\nc") << 10 << QStringLiteral("a\rb\nc");
        QTest::newRow("CR LF is never split at the edge")
            << QStringLiteral("abc\r\nd") << 3 << QStringLiteral("abc\r\n|d");
        QTest::newRow("empty") << QString() << 5 << QString();
    }
    void breakingRule() {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(QString, lines);
        QCOMPARE(wrapped(text, width), lines);
    }

    void cjkPairs() {
        using platform::breakPropertiesOf;
        using platform::cjkBreakBetween;
        const auto cjk = [](char32_t c) { return breakPropertiesOf(c).cjk; };
        QVERIFY(cjkBreakBetween(cjk(U'中'), cjk(U'文')));
        QVERIFY(!cjkBreakBetween(cjk(U'中'), cjk(U'。')));
        QVERIFY(!cjkBreakBetween(cjk(U'（'), cjk(U'中')));
        QVERIFY(!cjkBreakBetween(cjk(U'中'), cjk(U'，')));
        QVERIFY(!cjkBreakBetween(cjk(U'中'), cjk(U'！')));
        QVERIFY(cjkBreakBetween(cjk(U'あ'), cjk(U'い')));
        QCOMPARE(cjk(U'a'), platform::CjkClass(0));
        QCOMPARE(cjk(U'/'), platform::CjkClass(0));
        QCOMPARE(breakPropertiesOf(U' ').role, platform::BreakRole::Space);
        QCOMPARE(breakPropertiesOf(0x3000).role, platform::BreakRole::Space);
        QCOMPARE(breakPropertiesOf(0x301).role, platform::BreakRole::Extender);
        QCOMPARE(breakPropertiesOf(0x4).role, platform::BreakRole::Ordinary);
    }

    // After any edit, and whatever was left to wrap in idle time, the lines
    // are those of the same text wrapped from scratch.
    void editsWrapAsFromScratch() {
        std::mt19937 random(7);
        const QString alphabet = QStringLiteral("abcdefgh  中文。「」\r\n\rxyz/+-");
        const auto randomText = [&](int length) {
            QString text;
            std::uniform_int_distribution<qsizetype> pick(0, alphabet.size() - 1);
            for (int i = 0; i < length; ++i)
                text += alphabet[pick(random)];
            return text;
        };
        for (int round = 0; round < 150; ++round) {
            const Advance width = (5 + round % 23) * Pixel;
            TextBuffer buffer;
            // Some texts without any break at all, as Base64 is.
            buffer.assign(round % 3 == 0 ? QString(3000, u'Q') : randomText(3000));
            CharMetrics metrics = onePixelEach();
            VisualLines lines(buffer, metrics);
            lines.setWidths(width, 8 * Pixel);
            lines.wrapAll();
            for (int edit = 0; edit < 30; ++edit) {
                std::uniform_int_distribution<qsizetype> at(0, buffer.size());
                const qsizetype position = at(random);
                const qsizetype wanted = edit % 7 == 0 ? 200 : edit % 4;
                const qsizetype removed = std::min<qsizetype>(buffer.size() - position, wanted);
                const QString inserted = randomText(edit % 11 == 0 ? 300 : edit % 5);
                buffer.remove(position, removed);
                buffer.insert(position, inserted);
                lines.edited(position, removed, inserted.size());
                // Only part of what is pending, some of the time.
                if (edit % 3 == 0)
                    lines.wrapThroughPosition(position);
                if (edit % 3 == 1)
                    lines.wrapSome(5);
            }
            TextBuffer same;
            same.assign(buffer.view().toString());
            CharMetrics fresh = onePixelEach();
            VisualLines scratch(same, fresh);
            scratch.setWidths(width, 8 * Pixel);
            QCOMPARE(startsOf(lines), startsOf(scratch));
        }
    }

    // A line with no break: an edit in its middle wraps the lines up to the
    // screen at once and leaves the rest for later, with old starts standing in.
    void longRunWrapsOnlyWhatIsNeeded() {
        TextBuffer buffer;
        buffer.assign(QString(100000, u'Q'));
        CharMetrics metrics = onePixelEach();
        VisualLines lines(buffer, metrics);
        lines.setWidths(10 * Pixel, 8 * Pixel);
        lines.wrapAll();
        QCOMPARE(lines.count(), qsizetype(10000));
        buffer.insert(50000, u"x");
        lines.edited(50000, 0, 1);
        lines.wrapThrough(5010);
        QVERIFY(!lines.complete());
        QCOMPARE(lines.start(5001), qsizetype(50010));
        while (!lines.wrapSome(100)) {
        }
        QCOMPARE(lines.count(), qsizetype(10001));
        QCOMPARE(lines.start(10000), qsizetype(100000));
    }

    void positionsAndLines() {
        TextBuffer buffer;
        buffer.assign(QStringLiteral("abcdef\r\ngh"));
        CharMetrics metrics = onePixelEach();
        VisualLines lines(buffer, metrics);
        lines.setWidths(3 * Pixel, 8 * Pixel);
        lines.wrapAll();
        QCOMPARE(lines.count(), qsizetype(3)); // "abc" "def\r\n" "gh"
        QCOMPARE(lines.lineAt(3), qsizetype(1));
        QCOMPARE(lines.lineAt(3, true), qsizetype(0)); // the end of a wrapped line
        QCOMPARE(lines.lineAt(8, true), qsizetype(2)); // no wrapped line ends there
        QCOMPARE(lines.textEnd(1), qsizetype(6));
        QVERIFY(lines.endsWithLineBreak(1));
        QVERIFY(!lines.endsWithLineBreak(0));
    }
};

QTEST_MAIN(TestVisualLines)
#include "test_visuallines.moc"
