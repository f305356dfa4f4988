// The skin: its style sheet template filled from the palette, and what the
// stored skin gives the controls and the frame.

#include "skin/SkinData.h"
#include "system/Exception.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTest>

using platform::palette::Rgb;

namespace {

const QString SkinFile = QStringLiteral(KALVOR_SOURCE_DIR "/resources/skin.qss");

QString rgbText(Rgb rgb) {
    return QStringLiteral("rgb(%1, %2, %3)").arg(rgb.red).arg(rgb.green).arg(rgb.blue);
}

} // namespace

class TestSkin : public QObject {
    Q_OBJECT

private slots:
    void templateNamesAreReplacedByTheirValues_data() {
        QTest::addColumn<QString>("styleTemplate");
        QTest::addColumn<QString>("styleSheet");
        QTest::newRow("colour") << "a { color: @Face@; }"
                                << "a { color: " + rgbText(platform::palette::Face) + "; }";
        QTest::newRow("two in a row") << "@Text@@Window@"
                                      << "rgb(0, 0, 0)rgb(255, 255, 255)";
        QTest::newRow("font") << "font-family: @ControlFontFamily@; font-size: @ControlFontSize@;"
                              << "font-family: \"Arial\"; font-size: 14px;";
        QTest::newRow("width") << "border: @PanelBorderWidth@px"
                               << "border: 2px";
        QTest::newRow("nothing to replace") << "a { b: c; } /* x@y */"
                                            << "a { b: c; } /* x@y */";
    }
    void templateNamesAreReplacedByTheirValues() {
        QFETCH(QString, styleTemplate);
        QFETCH(QString, styleSheet);
        QCOMPARE(platform::styleSheetFromTemplate(styleTemplate), styleSheet);
    }

    void unknownNameIsAnError() {
        try {
            platform::styleSheetFromTemplate(QStringLiteral("a { color: @Fcae@; }"));
            QFAIL("no error");
        } catch (const platform::Exception& error) {
            QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("Unknown skin value @Fcae@"));
        }
    }

    // The stored skin names only values the palette has, and every colour it
    // shows comes from there.
    void storedSkinIsFilledFromThePalette() {
        QFile file(SkinFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString styleTemplate = QString::fromUtf8(file.readAll());
        platform::TbsCompressedSkinList list;
        list.addFromFile(QStringLiteral("bsSkin0"), SkinFile);
        QCOMPARE(list.skins().size(), 1);
        const QString sheet = list.skins().front().styleSheet;
        QVERIFY(!sheet.contains(QLatin1Char('@')));
        for (const auto& named : platform::palette::NamedColours) {
            const QString placeholder =
                QLatin1Char('@') +
                QString::fromLatin1(named.name.data(), qsizetype(named.name.size())) +
                QLatin1Char('@');
            if (styleTemplate.contains(placeholder))
                QVERIFY2(sheet.contains(rgbText(named.colour)), named.name.data());
        }
        // The template spells no colour of its own.
        QVERIFY(!styleTemplate.contains(QLatin1String("rgb(")));
    }

    void skinDataAppliesTheSelectedSkin() {
        platform::TbsCompressedSkinList list;
        list.addFromFile(QStringLiteral("bsSkin0"), SkinFile);
        platform::TbsSkinData data;
        QCOMPARE(data.skinName(), QString());
        data.setCompressedStoredSkin(&list, 0);
        QCOMPARE(data.skinName(), QStringLiteral("bsSkin0"));
        QCOMPARE(data.frameLook().captionText, QColor(62, 106, 170));
        QCOMPARE(data.frameLook().captionFont.pixelSize(), 16);

        QWidget form;
        form.setObjectName(QStringLiteral("form"));
        data.apply(&form);
        QCOMPARE(form.styleSheet(), list.skins().front().styleSheet);
    }

    void missingSkinFileIsAnError() {
        platform::TbsCompressedSkinList list;
        QVERIFY_THROWS_EXCEPTION(
            platform::Exception,
            list.addFromFile(QStringLiteral("x"), QStringLiteral("/nonexistent.qss")));
        QVERIFY(list.skins().isEmpty());
    }
};

QTEST_MAIN(TestSkin)
#include "test_skin.moc"
