#include "Bytes.h"
#include "communal/Base64.h"

#include <QTest>
#include <random>

using communal::Base64Decode;
using communal::Base64Encode;

using testsupport::bytes;
using testsupport::str;

class TestBase64 : public QObject {
    Q_OBJECT

private slots:
    void charIndex_data() {
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("index");
        QTest::newRow("A") << int('A') << 0;
        QTest::newRow("Z") << int('Z') << 25;
        QTest::newRow("a") << int('a') << 26;
        QTest::newRow("z") << int('z') << 51;
        QTest::newRow("0") << int('0') << 52;
        QTest::newRow("9") << int('9') << 61;
        QTest::newRow("+") << int('+') << 62;
        QTest::newRow("/") << int('/') << 63;
        QTest::newRow("=") << int('=') << 64;
        QTest::newRow("CR") << 13 << -1;
        QTest::newRow("space") << int(' ') << -1;
        QTest::newRow("-") << int('-') << -1;
        QTest::newRow("_") << int('_') << -1;
        QTest::newRow("zero") << 0 << -1;
        QTest::newRow("128") << 128 << -1;
        QTest::newRow("255") << 255 << -1;
    }
    void charIndex() {
        QFETCH(int, byte);
        QFETCH(int, index);
        QCOMPARE(communal::Base64CharIndex(static_cast<char>(byte)), index);
    }

    void encode_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("a") << QByteArray("a") << QByteArray("YQ==");
        QTest::newRow("ab") << QByteArray("ab") << QByteArray("YWI=");
        QTest::newRow("abc") << QByteArray("abc") << QByteArray("YWJj");
        QTest::newRow("abcd") << QByteArray("abcd") << QByteArray("YWJjZA==");
        QTest::newRow("hello world") << QByteArray("hello world") << QByteArray("aGVsbG8gd29ybGQ=");
        QTest::newRow("two lines") << QByteArray("ab\r\nc") << QByteArray("YWINCmM=");
        QTest::newRow("GBK zhong") << QByteArray("\xD6\xD0") << QByteArray("1tA=");
        QTest::newRow("high bytes") << QByteArray("\xFF\xFE\x80") << QByteArray("//6A");
        QTest::newRow("zero byte") << QByteArray(1, '\0') << QByteArray("AA==");
    }
    void encode() {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        QCOMPARE(bytes(Base64Encode(str(input))), expected);
    }

    void encodeHasNoLineBreaks() {
        const std::string input(100, '\xA5');
        const std::string encoded = Base64Encode(input);
        QCOMPARE(encoded.size(), std::size_t(136));
        QVERIFY(encoded.find_first_of("\r\n") == std::string::npos);
    }

    void decode_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("YWJj") << QByteArray("YWJj") << QByteArray("abc");
        QTest::newRow("YQ==") << QByteArray("YQ==") << QByteArray("a");
        QTest::newRow("YWI=") << QByteArray("YWI=") << QByteArray("ab");
        QTest::newRow("YWJjZA==") << QByteArray("YWJjZA==") << QByteArray("abcd");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("Y") << QByteArray("Y") << QByteArray();
        QTest::newRow("YWJ") << QByteArray("YWJ") << QByteArray();
        QTest::newRow("pads left off") << QByteArray("YWJjZA") << QByteArray("abc");
        QTest::newRow("one pad") << QByteArray("YWJjZA=") << QByteArray("abc");
        QTest::newRow("trailing CR LF") << QByteArray("YWJj\r\n") << QByteArray("abc");
        QTest::newRow("CR LF inside")
            << QByteArray("YWJj\r\nZGVm") << QByteArray("abc\xFF\xF6\x46");
        QTest::newRow("space inside") << QByteArray("YWJj ZGVm") << QByteArray("abc\xFD\x91\x95");
        QTest::newRow("ends in first group") << QByteArray("YQ==YWJj") << QByteArray("a");
        QTest::newRow("YQ=A") << QByteArray("YQ=A") << QByteArray("a");
        QTest::newRow("YWJ=") << QByteArray("YWJ=") << QByteArray("ab");
        QTest::newRow("ignored bits differ") << QByteArray("YR==") << QByteArray("a");
        QTest::newRow("Y===") << QByteArray("Y===") << QByteArray("d");
        QTest::newRow("pads first") << QByteArray("==YQ") << QByteArray("\x04\x06\x10");
        QTest::newRow("all outside") << QByteArray("!!!!") << QByteArray("\xFF\xFF\xFF");
        QTest::newRow("Y!!!") << QByteArray("Y!!!") << QByteArray("\x6F\xFF\xFF");
        QTest::newRow("AAAA") << QByteArray("AAAA") << QByteArray(3, '\0');
        QTest::newRow("=AAA") << QByteArray("=AAA") << QByteArray(3, '\0');
        QTest::newRow("A=AA") << QByteArray("A=AA") << QByteArray("\x04\x00\x00", 3);
        QTest::newRow("YQBi") << QByteArray("YQBi")
                              << QByteArray("a\x00"
                                            "b",
                                            3);
        QTest::newRow("1tA=") << QByteArray("1tA=") << QByteArray("\xD6\xD0");
        QTest::newRow("outside fourth, digit third") << QByteArray("YWJ!") << QByteArray("ab\xFF");
        QTest::newRow("high byte second") << QByteArray("Y\x80==") << QByteArray("\x6F");
    }
    void decode() {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        QCOMPARE(bytes(Base64Decode(str(input))), expected);
    }

    // Checks the table-driven decoder against the group formulas, computed
    // directly, on groups made of every interesting character class.
    void decodeFollowsTheGroupFormulas() {
        const std::string sample = "AQZaz09+/=\r\n \x80\xFF!";
        for (char a : sample)
            for (char b : sample)
                for (char c : sample)
                    for (char d : sample) {
                        const std::string group{a, b, c, d};
                        auto k = [](char ch) {
                            return static_cast<unsigned>(
                                static_cast<std::uint8_t>(communal::Base64CharIndex(ch)));
                        };
                        std::string expected;
                        expected += char(((k(a) * 4) & 0xFF) | (k(b) >> 4));
                        if (k(c) != 64) {
                            expected += char(((k(b) * 16) & 0xFF) | (k(c) >> 2));
                            if (k(d) != 64)
                                expected += char(((k(c) * 64) & 0xFF) | k(d));
                        }
                        QCOMPARE(bytes(Base64Decode(group + "YWJj")),
                                 bytes(expected + (expected.size() == 3 ? "abc" : "")));
                    }
    }

    void roundTripsRandomBytes() {
        std::mt19937 random(20261211);
        for (std::size_t length = 0; length < 300; ++length) {
            std::string input(length, '\0');
            for (auto& c : input)
                c = static_cast<char>(random() & 0xFF);
            const std::string encoded = Base64Encode(input);
            QCOMPARE(encoded.size(), (length + 2) / 3 * 4);
            QCOMPARE(bytes(Base64Decode(encoded)), bytes(input));
        }
        std::string large(1 << 20, '\0');
        for (auto& c : large)
            c = static_cast<char>(random() & 0xFF);
        QVERIFY(Base64Decode(Base64Encode(large)) == large);
    }
};

QTEST_APPLESS_MAIN(TestBase64)
#include "test_base64.moc"
