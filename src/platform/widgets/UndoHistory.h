#pragma once

// The undo history of a text box. A step is one or more replacements of a
// range of the text; each keeps only the characters that are not in the text
// now (what an edit removed, or what an undo took away for its redo), so an
// insertion costs next to nothing and a deletion what it deleted. Typing
// grows one step, as does a run of Backspace or Delete. The history is
// bounded: it drops its oldest steps to stay within a number of characters
// and of steps, and a single step larger than that is not kept at all.

#include <QString>
#include <deque>
#include <functional>
#include <vector>

namespace platform {

class UndoHistory {
public:
    // Characters the history holds at most, as UTF-16 units, and steps.
    static constexpr qsizetype DefaultUnitLimit = qsizetype(16) << 20;
    static constexpr qsizetype StepLimit = 1000;

    // How an edit joins the step before it.
    enum class Joining {
        Alone,      // a step of its own
        Typing,     // an insertion right after the previous typed text
        Deleting,   // a removal next to the previous Backspace or Delete
        Continuing, // the next part of the edit just recorded (a moving drop)
    };

    // Replaces length units at position with text and gives what it removed.
    using Replace = std::function<QString(qsizetype position, qsizetype length, QStringView text)>;

    // Where an undo or redo left its last change: the text it put in.
    struct Placed {
        qsizetype position = 0;
        qsizetype length = 0;
    };

    explicit UndoHistory(qsizetype unitLimit = DefaultUnitLimit);

    // An edit made: at position, removed went and insertedLength units came.
    // Starts a new step unless it joins the last one; ends every redo.
    void record(qsizetype position, QString removed, qsizetype insertedLength, Joining joining);
    // The next edit starts a step of its own.
    void closeStep() { open_ = false; }
    void clear();

    // Whether a step that holds this many units can be kept; the text box
    // asks before it copies what an edit removes.
    bool canKeep(qsizetype units) const { return units <= unitLimit_; }

    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    Placed undo(const Replace& replace);
    Placed redo(const Replace& replace);

    // What the history holds now, in UTF-16 units.
    qsizetype heldUnits() const { return held_; }

private:
    // One replacement: at position, held is what the text lacks now, and
    // otherLength units stand there instead.
    struct Change {
        qsizetype position;
        QString held;
        qsizetype otherLength;
    };
    using Step = std::vector<Change>;

    static qsizetype unitsOf(const Step& step);
    bool joins(qsizetype position, const QString& removed, qsizetype insertedLength,
               Joining joining) const;
    Placed replay(std::deque<Step>& from, std::deque<Step>& to, const Replace& replace);
    void keepWithinLimits();

    qsizetype unitLimit_;
    std::deque<Step> undo_;
    std::deque<Step> redo_;
    qsizetype held_ = 0;
    bool open_ = false;
    Joining lastJoining_ = Joining::Alone;
};

} // namespace platform
