#include "system/CodePage.h"

#include <QTest>

using platform::CodePage;

class TestCodePage : public QObject {
    Q_OBJECT

private slots:
    void gbk_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << QStringLiteral("abc\r\n") << QByteArray("abc\r\n");
        QTest::newRow("zhong") << QStringLiteral("中") << QByteArray("\xD6\xD0");
        QTest::newRow("caption") << QStringLiteral("加密解密")
                                 << QByteArray("\xBC\xD3\xC3\xDC\xBD\xE2\xC3\xDC");
        QTest::newRow("placeholder is 18 bytes")
            << QStringLiteral("点击领取神秘大奖！")
            << QByteArray(
                   "\xB5\xE3\xBB\xF7\xC1\xEC\xC8\xA1\xC9\xF1\xC3\xD8\xB4\xF3\xBD\xB1\xA3\xA1");
    }
    void gbk() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        const auto gbk = CodePage::named("GBK");
        const std::string encoded = gbk.fromUnicode(text);
        QCOMPARE(QByteArray(encoded.data(), qsizetype(encoded.size())), bytes);
        QCOMPARE(gbk.toUnicode(std::string(bytes.constData(), std::size_t(bytes.size()))), text);
    }

    void unmappableBecomesQuestionMark_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("korean") << QStringLiteral("a\uD55Cb") << QByteArray("a?b");
        QTest::newRow("emoji, two units")
            << QString::fromUtf8("x\xF0\x9F\x98\x80y") << QByteArray("x??y");
        QTest::newRow("lone surrogate")
            << QString(QChar(0xD800)) + QStringLiteral("z") << QByteArray("?z");
    }
    void unmappableBecomesQuestionMark() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        const std::string encoded = CodePage::named("GBK").fromUnicode(text);
        QCOMPARE(QByteArray(encoded.data(), qsizetype(encoded.size())), bytes);
    }

    void invalidBytesBecomeReplacementCharacters() {
        // A lead byte without its trail byte, at the end and in the middle.
        const auto gbk = CodePage::named("GBK");
        QCOMPARE(gbk.toUnicode("a\xD6"), QStringLiteral("a\uFFFD"));
        QCOMPARE(CodePage::named("UTF-8").toUnicode("a\xFF"
                                                    "b"),
                 QStringLiteral("a\uFFFDb"));
    }

    void utf8KeepsEveryCharacter() {
        const auto utf8 = CodePage::named("utf8");
        QVERIFY(utf8.isUtf8());
        const QString text = QStringLiteral("原文 明文 \U0001F600");
        QCOMPARE(utf8.toUnicode(utf8.fromUnicode(text)), text);
    }

    void zeroBytesAreData() {
        const std::string withZero("a\0b", 3);
        const auto gbk = CodePage::named("GBK");
        QCOMPARE(gbk.fromUnicode(gbk.toUnicode(withZero)), withZero);
    }

    void unknownNameThrows() {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, CodePage::named("no-such-code-page"));
    }

    void bareCLocaleCountsAsUtf8() {
        qputenv("LC_ALL", "C");
        CodePage::useLocaleFromEnvironment();
        QVERIFY(CodePage::system().isUtf8());
        QCOMPARE(CodePage::system().fromUnicode(u"中"), std::string("\xE4\xB8\xAD"));
    }
};

QTEST_APPLESS_MAIN(TestCodePage)
#include "test_codepage.moc"
