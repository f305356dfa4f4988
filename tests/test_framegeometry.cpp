// The skinned frame's geometry as pure functions: no window is made here.

#include "frame/FrameGeometry.h"

#include <QTest>

using namespace platform::frame;

namespace {

const QSize Frame = frameSizeForClient(QSize(570, 418));
constexpr int Buttons = 6;

} // namespace

class TestFrameGeometry : public QObject {
    Q_OBJECT

private slots:
    void clientAreaLiesInsideBorderAndCaption() {
        QCOMPARE(Frame, QSize(570 + 2 * BorderWidth, 418 + CaptionHeight + BorderWidth));
        QCOMPARE(clientRect(Frame), QRect(BorderWidth, CaptionHeight, 570, 418));
        // Rolled up, nothing of the client area is left.
        QCOMPARE(clientRect(QSize(Frame.width(), RolledUpHeight)).height(), 0);
    }

    void captionButtonsSitRightAlignedInTheBand() {
        const QRect band = captionBandRect(Frame);
        QRect previous;
        for (int i = 0; i < Buttons; ++i) {
            const QRect button = captionButtonRect(Frame, i, Buttons);
            QCOMPARE(button.size(), ButtonSize);
            QVERIFY(band.contains(button));
            QCOMPARE(button.center().y(), band.center().y());
            if (i > 0)
                QCOMPARE(button.left(), previous.right() + 1 + ButtonSpacing);
            previous = button;
        }
        QCOMPARE(previous.right(), Frame.width() - 1 - BorderWidth);
    }

    void captionTextRunsFromTheIconToTheFirstButton_data() {
        QTest::addColumn<bool>("showIcon");
        QTest::newRow("no icon") << false;
        QTest::newRow("icon") << true;
    }
    void captionTextRunsFromTheIconToTheFirstButton() {
        QFETCH(bool, showIcon);
        const QRect icon = captionIconRect(Frame, showIcon);
        const QRect text = captionTextRect(Frame, showIcon, Buttons);
        QCOMPARE(icon.isEmpty(), !showIcon);
        QCOMPARE(text.left(),
                 showIcon ? icon.right() + 1 + CaptionPadding : BorderWidth + CaptionPadding);
        QCOMPARE(text.right(), captionButtonRect(Frame, 0, Buttons).left() - CaptionPadding);
        // Even at the smallest frame the text keeps its place, empty.
        const QRect smallest = captionTextRect(minimumFrameSize(Buttons), showIcon, Buttons);
        QVERIFY(smallest.width() >= 1);
    }

    void resizeEdges_data() {
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<bool>("resizable");
        QTest::addColumn<bool>("rolledUp");
        QTest::addColumn<int>("edges");
        const int w = Frame.width();
        const int h = Frame.height();
        const auto row = [](const char* name, QPoint pos, bool resizable, bool rolledUp,
                            Qt::Edges edges) {
            QTest::newRow(name) << pos << resizable << rolledUp << int(edges);
        };
        row("left", QPoint(0, 200), true, false, Qt::LeftEdge);
        row("right", QPoint(w - 1, 200), true, false, Qt::RightEdge);
        row("top", QPoint(200, 0), true, false, Qt::TopEdge);
        row("bottom", QPoint(200, h - 1), true, false, Qt::BottomEdge);
        row("top left", QPoint(0, 0), true, false, Qt::TopEdge | Qt::LeftEdge);
        row("left near the top", QPoint(0, CornerGrip - 1), true, false,
            Qt::TopEdge | Qt::LeftEdge);
        row("bottom near the right", QPoint(w - CornerGrip, h - 1), true, false,
            Qt::BottomEdge | Qt::RightEdge);
        row("inside", QPoint(BorderWidth, BorderWidth), true, false, {});
        row("outside", QPoint(w, 200), true, false, {});
        row("maximized", QPoint(0, 200), false, false, {});
        row("rolled up, side", QPoint(0, 1), true, true, Qt::LeftEdge);
        row("rolled up, top", QPoint(200, 0), true, true, {});
        row("rolled up, corner", QPoint(w - 1, 0), true, true, Qt::RightEdge);
    }
    void resizeEdges() {
        QFETCH(QPoint, pos);
        QFETCH(bool, resizable);
        QFETCH(bool, rolledUp);
        QFETCH(int, edges);
        const QSize frame = rolledUp ? QSize(Frame.width(), RolledUpHeight) : Frame;
        QCOMPARE(int(resizeEdgesAt(frame, pos, resizable, rolledUp)), edges);
    }

    void resizeDrags_data() {
        QTest::addColumn<int>("edges");
        QTest::addColumn<QPoint>("delta");
        QTest::addColumn<QRect>("expected");
        const auto row = [](const char* name, Qt::Edges edges, QPoint delta, QRect expected) {
            QTest::newRow(name) << int(edges) << delta << expected;
        };
        row("right wider", Qt::RightEdge, {30, 99}, {100, 50, 430, 300});
        row("bottom taller", Qt::BottomEdge, {99, 20}, {100, 50, 400, 320});
        row("left keeps the right edge", Qt::LeftEdge, {-20, 0}, {80, 50, 420, 300});
        row("top keeps the bottom edge", Qt::TopEdge, {0, 10}, {100, 60, 400, 290});
        row("corner both ways", Qt::BottomEdge | Qt::RightEdge, {5, 6}, {100, 50, 405, 306});
        row("left stops at the minimum", Qt::LeftEdge, {380, 0}, {300, 50, 200, 300});
        row("bottom stops at the maximum", Qt::BottomEdge, {0, 500}, {100, 50, 400, 600});
    }
    void resizeDrags() {
        QFETCH(int, edges);
        QFETCH(QPoint, delta);
        QFETCH(QRect, expected);
        const QRect start(100, 50, 400, 300);
        QCOMPARE(resizedGeometry(start, Qt::Edges(edges), delta, QSize(200, 100), QSize(900, 600)),
                 expected);
    }

    void roundedCornersLeaveOutTheirPixels() {
        const QRegion square = windowShape(Frame, false);
        QCOMPARE(square, QRegion(QRect(QPoint(0, 0), Frame)));
        const QRegion rounded = windowShape(Frame, true);
        int cut = 0;
        for (int c : CornerCuts)
            cut += 2 * c;
        qint64 area = 0;
        for (const QRect& r : rounded)
            area += qint64(r.width()) * r.height();
        QCOMPARE(area, qint64(Frame.width()) * Frame.height() - cut);
        QVERIFY(!rounded.contains(QPoint(0, 0)));
        QVERIFY(!rounded.contains(QPoint(Frame.width() - 1, 0)));
        QVERIFY(rounded.contains(QPoint(CornerCuts[0], 0)));
        QVERIFY(rounded.contains(QPoint(0, int(std::size(CornerCuts)))));
    }

    void placesOnWholeDevicePixels_data() {
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QPoint>("placed");
        QTest::newRow("1x keeps every place") << QPoint(137, 116) << 1.0 << QPoint(137, 116);
        QTest::newRow("1.5, odd to the even below") << QPoint(137, 115) << 1.5 << QPoint(136, 114);
        QTest::newRow("1.5, even stays") << QPoint(138, 116) << 1.5 << QPoint(138, 116);
        QTest::newRow("1.25, to the nearest fourth")
            << QPoint(138, 117) << 1.25 << QPoint(136, 116);
        QTest::newRow("2 keeps every place") << QPoint(-3, 7) << 2.0 << QPoint(-3, 7);
        QTest::newRow("1.5, left of the screen") << QPoint(-3, 0) << 1.5 << QPoint(-4, 0);
    }
    void placesOnWholeDevicePixels() {
        QFETCH(QPoint, pos);
        QFETCH(double, ratio);
        QFETCH(QPoint, placed);
        QCOMPARE(onDevicePixels(pos, ratio), placed);
    }
};

QTEST_GUILESS_MAIN(TestFrameGeometry)
#include "test_framegeometry.moc"
