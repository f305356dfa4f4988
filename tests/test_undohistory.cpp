// The text box's storage and undo history, against a plain string.

#include "widgets/TextBuffer.h"
#include "widgets/UndoHistory.h"

#include <QTest>
#include <random>

using platform::TextBuffer;
using platform::UndoHistory;
using Joining = UndoHistory::Joining;

namespace {

// A text with its history, edited as the box edits: replace, then record.
struct Edited {
    QString text;
    UndoHistory history;

    explicit Edited(QString start = {}, qsizetype limit = UndoHistory::DefaultUnitLimit)
        : text(std::move(start))
        , history(limit) {}

    UndoHistory::Replace replacer() {
        return [this](qsizetype position, qsizetype length, QStringView with) {
            QString removed = text.mid(position, length);
            text.replace(position, length, with.toString());
            return removed;
        };
    }
    void edit(qsizetype position, qsizetype length, const QString& with, Joining joining) {
        QString removed = replacer()(position, length, with);
        history.record(position, removed, with.size(), joining);
    }
    void undo() { history.undo(replacer()); }
    void redo() { history.redo(replacer()); }
};

} // namespace

class TestUndoHistory : public QObject {
    Q_OBJECT

private slots:
    void bufferEditsAsAString() {
        std::mt19937 random(11);
        TextBuffer buffer;
        QString model = QStringLiteral("start");
        buffer.assign(model);
        for (int step = 0; step < 3000; ++step) {
            std::uniform_int_distribution<qsizetype> at(0, model.size());
            const qsizetype position = at(random);
            if (step % 3 == 0) {
                const qsizetype length = std::min<qsizetype>(model.size() - position, step % 50);
                buffer.remove(position, length);
                model.remove(position, length);
            } else {
                const QString text(step % 700, QChar(u'a' + step % 26));
                buffer.insert(position, text);
                model.insert(position, text);
            }
            QCOMPARE(buffer.size(), model.size());
            if (step % 97 == 0)
                QCOMPARE(buffer.view().toString(), model);
            const qsizetype probe = model.isEmpty() ? 0 : position % model.size();
            if (!model.isEmpty())
                QCOMPARE(buffer.at(probe), model[probe].unicode());
            QCOMPARE(buffer.mid(0, model.size()), model);
        }
    }

    void emptiedBufferGivesItsMemoryBack() {
        TextBuffer buffer;
        buffer.assign(QString(4 << 20, u'x'));
        buffer.insert(10, u"y"); // grows a gap
        buffer.remove(0, buffer.size());
        QCOMPARE(buffer.size(), qsizetype(0));
        QVERIFY(buffer.spareUnits() < qsizetype(1) << 20);
    }

    void typingIsOneStep() {
        Edited e;
        for (int i = 0; i < 5; ++i)
            e.edit(i, 0, QString(QChar(u'a' + i)), Joining::Typing);
        QCOMPARE(e.text, QStringLiteral("abcde"));
        QCOMPARE(e.history.heldUnits(), qsizetype(0)); // an insertion holds nothing
        e.undo();
        QCOMPARE(e.text, QString());
        QVERIFY(!e.history.canUndo());
        e.redo();
        QCOMPARE(e.text, QStringLiteral("abcde"));
    }

    void backspacesAndDeletesAreOneStep() {
        Edited e(QStringLiteral("abcdef"));
        e.edit(3, 1, {}, Joining::Deleting); // Backspace at 4: "abcef"
        e.edit(2, 1, {}, Joining::Deleting); // Backspace at 3: "abef"
        e.edit(2, 1, {}, Joining::Deleting); // Delete at 2: "abf"
        QCOMPARE(e.text, QStringLiteral("abf"));
        e.undo();
        QCOMPARE(e.text, QStringLiteral("abcdef"));
        QVERIFY(!e.history.canUndo());
    }

    void stepsStayApart() {
        Edited e;
        e.edit(0, 0, QStringLiteral("one"), Joining::Typing);
        e.history.closeStep();
        e.edit(3, 0, QStringLiteral(" two"), Joining::Typing);
        e.edit(0, 3, QStringLiteral("1"), Joining::Alone); // a paste over "one"
        QCOMPARE(e.text, QStringLiteral("1 two"));
        e.undo();
        QCOMPARE(e.text, QStringLiteral("one two"));
        e.undo();
        QCOMPARE(e.text, QStringLiteral("one"));
        e.redo();
        e.redo();
        QCOMPARE(e.text, QStringLiteral("1 two"));
        // A new edit ends the redo.
        e.undo();
        e.edit(0, 0, QStringLiteral("x"), Joining::Alone);
        QVERIFY(!e.history.canRedo());
    }

    void aMoveIsOneStep() {
        Edited e(QStringLiteral("abcXYdef"));
        e.edit(3, 2, {}, Joining::Alone);                        // "abcdef"
        e.edit(5, 0, QStringLiteral("XY"), Joining::Continuing); // "abcdeXYf"
        QCOMPARE(e.text, QStringLiteral("abcdeXYf"));
        e.undo();
        QCOMPARE(e.text, QStringLiteral("abcXYdef"));
        e.redo();
        QCOMPARE(e.text, QStringLiteral("abcdeXYf"));
    }

    void historyIsBounded() {
        Edited e(QString(100, u'x'), 30);
        for (int i = 0; i < 5; ++i)
            e.edit(0, 10, {}, Joining::Alone); // each deletion holds 10 units
        QVERIFY(e.history.heldUnits() <= 30);
        e.undo();
        e.undo();
        e.undo();
        QVERIFY(!e.history.canUndo()); // the oldest two went
        QCOMPARE(e.text.size(), qsizetype(80));

        QVERIFY(!e.history.canKeep(31));
        Edited many;
        for (int i = 0; i < UndoHistory::StepLimit + 50; ++i) {
            many.edit(0, 0, QStringLiteral("a"), Joining::Alone);
        }
        int undone = 0;
        while (many.history.canUndo()) {
            many.undo();
            ++undone;
        }
        QCOMPARE(undone, int(UndoHistory::StepLimit));
    }
};

QTEST_MAIN(TestUndoHistory)
#include "test_undohistory.moc"
