#include "widgets/UndoHistory.h"

#include <algorithm>

namespace platform {

UndoHistory::UndoHistory(qsizetype unitLimit)
    : unitLimit_(unitLimit) {}

qsizetype UndoHistory::unitsOf(const Step& step) {
    qsizetype units = 0;
    for (const Change& change : step)
        units += change.held.size();
    return units;
}

void UndoHistory::clear() {
    undo_.clear();
    redo_.clear();
    held_ = 0;
    open_ = false;
}

bool UndoHistory::joins(qsizetype position, const QString& removed, qsizetype insertedLength,
                        Joining joining) const {
    if (!open_ || joining == Joining::Alone || joining != lastJoining_ || undo_.empty())
        return false;
    const Change& last = undo_.back().back();
    if (joining == Joining::Typing)
        return removed.isEmpty() && position == last.position + last.otherLength;
    // A Backspace removes just before the last removal, a Delete just at it.
    return insertedLength == 0 && last.otherLength == 0 &&
           (position + removed.size() == last.position || position == last.position);
}

void UndoHistory::record(qsizetype position, QString removed, qsizetype insertedLength,
                         Joining joining) {
    if (removed.isEmpty() && insertedLength == 0)
        return;
    for (const Step& step : redo_)
        held_ -= unitsOf(step);
    redo_.clear();
    held_ += removed.size();
    if (joining == Joining::Continuing && !undo_.empty()) {
        undo_.back().push_back(Change{position, std::move(removed), insertedLength});
        joining = lastJoining_;
    } else if (joins(position, removed, insertedLength, joining)) {
        Change& last = undo_.back().back();
        if (joining == Joining::Typing) {
            last.otherLength += insertedLength;
        } else if (position == last.position) {
            last.held += removed;
        } else {
            last.held.prepend(removed);
            last.position = position;
        }
    } else {
        undo_.push_back(Step{Change{position, std::move(removed), insertedLength}});
    }
    open_ = true;
    lastJoining_ = joining;
    keepWithinLimits();
}

// Takes the latest step of one side, plays it back and hands it to the
// other side: each change swaps what it holds with what stands in the text.
UndoHistory::Placed UndoHistory::replay(std::deque<Step>& from, std::deque<Step>& to,
                                        const Replace& replace) {
    open_ = false;
    if (from.empty())
        return {};
    Step step = std::move(from.back());
    from.pop_back();
    Placed placed;
    held_ -= unitsOf(step);
    // Played back the other way, the changes come in the opposite order.
    std::reverse(step.begin(), step.end());
    for (Change& change : step) {
        const qsizetype putIn = change.held.size();
        QString took = replace(change.position, change.otherLength, change.held);
        change.otherLength = putIn;
        change.held = std::move(took);
        placed = {change.position, putIn};
    }
    held_ += unitsOf(step);
    to.push_back(std::move(step));
    keepWithinLimits();
    return placed;
}

UndoHistory::Placed UndoHistory::undo(const Replace& replace) {
    return replay(undo_, redo_, replace);
}

UndoHistory::Placed UndoHistory::redo(const Replace& replace) {
    return replay(redo_, undo_, replace);
}

void UndoHistory::keepWithinLimits() {
    while (held_ > unitLimit_ || qsizetype(undo_.size()) + qsizetype(redo_.size()) > StepLimit) {
        // The oldest undo goes first, then the redo farthest away.
        std::deque<Step>& side = undo_.empty() ? redo_ : undo_;
        if (side.empty())
            break;
        held_ -= unitsOf(side.front());
        side.pop_front();
    }
}

} // namespace platform
