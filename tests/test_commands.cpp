#include "Bytes.h"
#include "OfflinePromotion.h"
#include "ProgramFolder.h"
#include "communal/Communal.h"
#include "system/ProgramPath.h"
#include "window/UnitMain.h"

#include <QTemporaryDir>
#include <QTest>

using platform::CodePage;

using testsupport::bytes;

class TestCommands : public QObject {
    Q_OBJECT

    // The window's promotion files go to a folder of the test's own.
    testsupport::TemporaryProgramFolder programFolder_;
    testsupport::OfflinePromotion promotion_;

private slots:
    void initialTextEncodesBothLineBreaks() {
        TfrmAd window;
        const std::string initial = window.Memo1->text();
        QCOMPARE(initial, initialMemo1Text());
        QVERIFY(initial.size() > 4 && initial.substr(initial.size() - 2) == "\r\n");
        QCOMPARE(std::count(initial.begin(), initial.end(), '\n'), 2);

        window.bsSkinButton1Click(&window);
        QCOMPARE(window.Memo2->text(), communal::Base64Encode(initial));
        QCOMPARE(window.Memo1->text(), initial);
    }

    void commands_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<bool>("encode");
        QTest::addColumn<QByteArray>("shown");
        QTest::newRow("encode two lines")
            << QByteArray("ab\r\nc") << true << QByteArray("YWINCmM=");
        QTest::newRow("encode empty") << QByteArray() << true << QByteArray();
        QTest::newRow("decode empty") << QByteArray() << false << QByteArray();
        QTest::newRow("decode abc") << QByteArray("YWJj") << false << QByteArray("abc");
        QTest::newRow("decode stops at zero") << QByteArray("YQBi") << false << QByteArray("a");
        QTest::newRow("decode line break group")
            << QByteArray("YWJj\r\n") << false << QByteArray("abc");
        QTest::newRow("decode GBK") << QByteArray("1tA=") << false << QByteArray("\xD6\xD0");
        QTest::newRow("encode GBK") << QByteArray("\xD6\xD0") << true << QByteArray("1tA=");
    }
    void commands() {
        QFETCH(QByteArray, input);
        QFETCH(bool, encode);
        QFETCH(QByteArray, shown);
        TfrmAd window;
        const auto gbk = CodePage::named("GBK");
        window.Memo1->setCodePage(gbk);
        window.Memo2->setCodePage(gbk);
        window.Memo1->setText(std::string(input.constData(), std::size_t(input.size())));
        window.Memo2->setText("whatever the user typed");
        if (encode)
            window.bsSkinButton1Click(&window);
        else
            window.bsSkinButton2Click(&window);
        QCOMPARE(bytes(window.Memo2->text()), shown);
        QCOMPARE(bytes(window.Memo1->text()), input);
    }

    void gbkRoundTripThroughBothCommands() {
        TfrmAd window;
        const auto gbk = CodePage::named("GBK");
        window.Memo1->setCodePage(gbk);
        window.Memo2->setCodePage(gbk);
        window.Memo1->setUnicodeText(QStringLiteral("中"));
        window.bsSkinButton1Click(&window);
        QCOMPARE(window.Memo2->unicodeText(), QStringLiteral("1tA="));
        window.Memo1->setUnicodeText(window.Memo2->unicodeText());
        window.bsSkinButton2Click(&window);
        QCOMPARE(window.Memo2->unicodeText(), QStringLiteral("中"));
    }
};

QTEST_MAIN(TestCommands)
#include "test_commands.moc"
