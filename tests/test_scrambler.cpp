#include "Bytes.h"
#include "communal/Scrambler.h"

#include <QTest>
#include <random>

using communal::DecryptSetting;
using communal::EncryptSetting;
using communal::HexTextToStr;
using communal::StrToHexText;

using testsupport::bytes;
using testsupport::str;

namespace {

// The key byte that a byte appended to prefix meets, found from outside by
// scrambling two probe bytes: the stored byte is probe XOR h, or the probe
// itself when it equals h.
std::uint8_t keyByteAfter(const std::string& prefix, std::uint16_t key) {
    const auto storedWith = [&](char probe) {
        return static_cast<std::uint8_t>(HexTextToStr(EncryptSetting(prefix + probe, key)).back());
    };
    const std::uint8_t one = storedWith('\x01');
    const std::uint8_t two = storedWith('\x02');
    if (one == 1 && two == 2)
        return 0;
    if (one == 1)
        return 1;
    return one ^ 1;
}

// A plain value (no zero byte) in which about every third byte equals the
// key byte at its position.
std::string valueWithCollisions(std::mt19937& random, std::uint16_t key, std::size_t length) {
    std::uniform_int_distribution<int> byte(1, 255);
    std::uniform_int_distribution<int> coin(0, 2);
    std::string value;
    while (value.size() < length) {
        const std::uint8_t h = keyByteAfter(value, key);
        value += static_cast<char>((coin(random) == 0 && h != 0) ? h : byte(random));
    }
    return value;
}

bool isUpperHex(const std::string& text) {
    return text.find_first_not_of("0123456789ABCDEF") == std::string::npos;
}

} // namespace

class TestScrambler : public QObject {
    Q_OBJECT

private slots:
    // Worked out by hand from the running-key rule. "Hi" under 0x1234: h is
    // 0x12, 'H' gives 0x5A; the key becomes 0x8335, h 0x83, 'i' gives 0xEA.
    void knownAnswers_data() {
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<int>("key");
        QTest::addColumn<QByteArray>("scrambled");
        QTest::newRow("empty") << QByteArray() << 0x1234 << QByteArray();
        QTest::newRow("Hi") << QByteArray("Hi") << 0x1234 << QByteArray("5AEA");
        // 0x83 is the key byte of the second position: stored as itself, and
        // the key moves on without it (the third byte proves that).
        QTest::newRow("key byte in the middle")
            << QByteArray("\x48\x83\x69") << 0x1234 << QByteArray("5A83B5");
        // K + c passes 65535 at once; without the 16-bit wrap the key bytes
        // of the later positions go wrong.
        QTest::newRow("wrap abc") << QByteArray("abc") << 0xFFFF << QByteArray("9E936C");
        QTest::newRow("key byte first")
            << QByteArray("\xFF\xFF\xFF") << 0xFFFF << QByteArray("FF756E");
        // Pins the built-in key: files already written depend on it.
        QTest::newRow("SettingKey")
            << QByteArray("http://kv64.example/a.gif") << int(communal::SettingKey)
            << QByteArray("030D5A92DF36FE25DDA52B66A7B3204DF78928FB4653629"
                          "8A0");
    }
    void knownAnswers() {
        QFETCH(QByteArray, plain);
        QFETCH(int, key);
        QFETCH(QByteArray, scrambled);
        const auto k = static_cast<std::uint16_t>(key);
        QCOMPARE(bytes(EncryptSetting(str(plain), k)), scrambled);
        QCOMPARE(bytes(DecryptSetting(str(scrambled), k)), plain);
    }

    void randomRoundTrips() {
        std::mt19937 random(20240611);
        std::uniform_int_distribution<int> anyKey(0, 0xFFFF);
        std::uniform_int_distribution<int> anyLength(0, 80);
        for (int run = 0; run < 300; ++run) {
            const auto key = static_cast<std::uint16_t>(anyKey(random));
            const std::string plain =
                valueWithCollisions(random, key, std::size_t(anyLength(random)));
            const std::string scrambled = EncryptSetting(plain, key);
            QCOMPARE(scrambled.size(), 2 * plain.size());
            QVERIFY2(isUpperHex(scrambled), scrambled.c_str());
            QCOMPARE(bytes(DecryptSetting(scrambled, key)), bytes(plain));
        }
    }

    // Every byte equal to its key byte: the scrambled bytes are the plain
    // ones, and both directions still agree on the running key.
    void keyBytesStoredAsThemselves_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("SettingKey") << int(communal::SettingKey);
        QTest::newRow("0x0000") << 0;
        QTest::newRow("0xFFFF") << 0xFFFF;
        QTest::newRow("0x8001") << 0x8001;
    }
    void keyBytesStoredAsThemselves() {
        QFETCH(int, key);
        const auto k = static_cast<std::uint16_t>(key);
        std::string plain;
        int collisions = 0;
        while (plain.size() < 40) {
            const std::uint8_t h = keyByteAfter(plain, k);
            plain += static_cast<char>(h != 0 ? h : 'x');
            collisions += h != 0;
        }
        QVERIFY(collisions > 30);
        const std::string stored = HexTextToStr(EncryptSetting(plain, k));
        for (std::size_t i = 0; i < plain.size(); ++i) {
            if (plain[i] != 'x')
                QCOMPARE(int(std::uint8_t(stored[i])), int(std::uint8_t(plain[i])));
        }
        QCOMPARE(bytes(DecryptSetting(EncryptSetting(plain, k), k)), bytes(plain));
    }

    void wrongKeyGivesOtherBytes() {
        const std::string scrambled = EncryptSetting("abcdef", communal::SettingKey);
        QVERIFY(DecryptSetting(scrambled, communal::SettingKey + 1) != "abcdef");
    }

    void strToHexText_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("hex");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("abc") << QByteArray("abc") << QByteArray("616263");
        QTest::newRow("10 171 255") << QByteArray("\x0A\xAB\xFF") << QByteArray("0AABFF");
        QTest::newRow("zero byte") << QByteArray(1, '\0') << QByteArray("00");
    }
    void strToHexText() {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, hex);
        QCOMPARE(bytes(StrToHexText(str(input))), hex);
    }

    // The reader is lenient: characters are not checked, only the pair
    // formula modulo 256 counts.
    void hexTextToStr_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("A: odd last ignored") << QByteArray("A") << QByteArray();
        QTest::newRow("ABC") << QByteArray("ABC") << QByteArray("\xAB");
        QTest::newRow("0AABFF") << QByteArray("0AABFF") << QByteArray("\x0A\xAB\xFF");
        QTest::newRow("00") << QByteArray("00") << QByteArray(1, '\0');
        QTest::newRow("ab: 42 counts as 10, 43 in full") << QByteArray("ab") << QByteArray("\xCB");
        QTest::newRow("ff: 16*47+47 mod 256") << QByteArray("ff") << QByteArray("\x1F");
        QTest::newRow("G0") << QByteArray("G0") << QByteArray(1, '\0');
        QTest::newRow("0G") << QByteArray("0G") << QByteArray("\x10");
        QTest::newRow("blanks: negative digits") << QByteArray("  ") << QByteArray("\x79");
        QTest::newRow("high bytes") << QByteArray("\xFF\xFF") << QByteArray("\x48");
    }
    void hexTextToStr() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, expected);
        QCOMPARE(bytes(HexTextToStr(str(text))), expected);
    }

    void hexDigitValue_data() {
        QTest::addColumn<int>("character");
        QTest::addColumn<int>("value");
        QTest::newRow("0") << int('0') << 0;
        QTest::newRow("9") << int('9') << 9;
        QTest::newRow("A") << int('A') << 10;
        QTest::newRow("F") << int('F') << 15;
        QTest::newRow("G") << int('G') << 16;
        QTest::newRow("a") << int('a') << 42;
        QTest::newRow("f") << int('f') << 47;
        QTest::newRow("space") << int(' ') << -23;
        QTest::newRow("zero byte") << 0 << -55;
        QTest::newRow("255") << 255 << 200;
    }
    void hexDigitValue() {
        QFETCH(int, character);
        QFETCH(int, value);
        QCOMPARE(communal::HexDigitValue(static_cast<char>(character)), value);
    }

    void decryptOfMalformedText() {
        // The odd last character is dropped before unscrambling.
        QCOMPARE(DecryptSetting("5AEA7", 0x1234), std::string("Hi"));
        QCOMPARE(DecryptSetting("", 0x1234), std::string());
        QCOMPARE(DecryptSetting("Z", 0x1234), std::string());
    }
};

QTEST_APPLESS_MAIN(TestScrambler)
#include "test_scrambler.moc"
