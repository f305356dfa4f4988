#include "widgets/VisualLines.h"

#include <algorithm>

namespace platform {

CharMetrics::CharMetrics(std::function<qint32(char32_t)> advanceOf)
    : advanceOf_(std::move(advanceOf))
    , bmp_(0x10000)
    , plain_(0x10000, NotPlain) {}

void CharMetrics::reset(std::function<qint32(char32_t)> advanceOf) {
    advanceOf_ = std::move(advanceOf);
    std::fill(bmp_.begin(), bmp_.end(), CharInfo{});
    std::fill(plain_.begin(), plain_.end(), NotPlain);
    astral_.clear();
}

CharInfo CharMetrics::learn(char32_t c) {
    CharInfo info;
    const BreakProperties properties = breakPropertiesOf(c);
    info.role = quint32(properties.role);
    info.cjk = properties.cjk;
    info.advance = properties.zeroWidth ? 0 : quint32(std::clamp(advanceOf_(c), 0, (1 << 20) - 1));
    info.known = 1;
    if (c < 0x10000) {
        bmp_[c] = info;
        if (info.breakRole() == BreakRole::Ordinary && info.cjk == 0 && !QChar::isSurrogate(c))
            plain_[c] = info.advance;
    } else
        astral_[c] = info;
    return info;
}

VisualLines::VisualLines(const TextBuffer& text, CharMetrics& metrics)
    : text_(text)
    , metrics_(metrics) {}

void VisualLines::setWidths(Advance lineWidth, Advance tabWidth) {
    lineWidth = std::max<Advance>(lineWidth, 1);
    tabWidth = std::max<Advance>(tabWidth, 1);
    if (lineWidth == lineWidth_ && tabWidth == tabWidth_)
        return;
    lineWidth_ = lineWidth;
    tabWidth_ = tabWidth;
    invalidate();
}

void VisualLines::invalidate() {
    invalid_ = true;
}

// The one loop every wrapping runs: from a line's start, adds advances until
// a character does not fit, remembering the last place a break is allowed.
VisualLines::LineEnd VisualLines::endOfLine(qsizetype start) const {
    const qsizetype size = text_.size();
    const TextBuffer::Pieces pieces = text_.pieces();
    const auto unitAt = [&pieces](qsizetype i) {
        return pieces.data[i < pieces.gapStart ? i : i + pieces.gapLength];
    };
    const Advance width = lineWidth_;
    Advance x = 0;
    qsizetype breakAt = start; // the latest place after start where the line may end
    CjkClass previousCjk = 0;
    const quint32* plain = metrics_.plainAdvances();
    qsizetype i = start;
    while (i < size) {
        // Plain characters, the bulk of most texts: one look-up each, in the
        // piece of the buffer before or after the gap.
        const bool beforeGap = i < pieces.gapStart;
        const qsizetype pieceEnd = beforeGap ? std::min(size, pieces.gapStart) : size;
        const char16_t* piece = beforeGap ? pieces.data : pieces.data + pieces.gapLength;
        while (i < pieceEnd) {
            const quint32 advance = plain[piece[i]];
            if (advance == CharMetrics::NotPlain)
                break;
            if (x + advance > width && i > start)
                return {breakAt > start ? breakAt : i, true};
            x += advance;
            previousCjk = 0;
            ++i;
        }
        if (i == pieceEnd)
            continue;
        char32_t c = unitAt(i);
        qsizetype units = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(unitAt(i + 1))) {
            c = QChar::surrogateToUcs4(char16_t(c), unitAt(i + 1));
            units = 2;
        }
        const CharInfo info = metrics_.info(c);
        switch (info.breakRole()) {
        case BreakRole::CarriageReturn:
            if (i + 1 < size && unitAt(i + 1) == u'\n')
                return {i + 2, true};
            break; // a lone CR is a character of its line
        case BreakRole::Space:
            x += info.advance;
            i += units;
            breakAt = i;
            previousCjk = 0;
            continue;
        case BreakRole::Tab:
            x = (x / tabWidth_ + 1) * tabWidth_;
            i += units;
            breakAt = i;
            previousCjk = 0;
            continue;
        case BreakRole::Extender:
            x += info.advance;
            i += units;
            continue;
        case BreakRole::Joiner:
            x += info.advance;
            i += units;
            previousCjk = 0;
            continue;
        case BreakRole::Ordinary:
            break;
        }
        if (info.cjk != 0 && cjkBreakBetween(previousCjk, CjkClass(info.cjk)))
            breakAt = i;
        if (x + info.advance > width && i > start)
            return {breakAt > start ? breakAt : i, true};
        x += info.advance;
        previousCjk = CjkClass(info.cjk);
        i += units;
    }
    return {size, false};
}

void VisualLines::wrapAll() {
    if (!invalid_) {
        if (!complete())
            wrapPending(qsizetype(starts_.size()) + text_.size(), 0);
        return;
    }
    starts_.clear();
    starts_.push_back(0);
    for (LineEnd end = endOfLine(0); end.hasNext; end = endOfLine(end.next))
        starts_.push_back(end.next);
    // Lines of an earlier, longer text give their memory back.
    if (starts_.capacity() > 2 * starts_.size() + 4096)
        starts_.shrink_to_fit();
    exact_ = qsizetype(starts_.size());
    invalid_ = false;
    pending_ = false;
}

void VisualLines::wrapThrough(qsizetype line) {
    if (invalid_)
        wrapAll();
    else if (line + 1 >= exact_ && !complete())
        wrapPending(line + 1, 0);
}

void VisualLines::wrapThroughPosition(qsizetype position) {
    if (invalid_)
        wrapAll();
    else if (!complete() && start(exact_ - 1) <= position)
        wrapPending(0, 0, position);
}

bool VisualLines::wrapSome(qsizetype lines) {
    if (invalid_)
        wrapAll();
    else if (!complete())
        wrapPending(0, lines);
    return complete();
}

// Wraps from the last exact line on, until the start of throughLine is exact,
// at least atLeast lines are made and a line starts past beyondPosition, or
// until a line starts where an old line started: from there on the old
// starts are exact again.
void VisualLines::wrapPending(qsizetype throughLine, qsizetype atLeast, qsizetype beyondPosition) {
    const auto stale = std::size_t(exact_);
    std::size_t next = stale; // the first old start not yet passed
    std::vector<qsizetype> made;
    bool done = false;
    qsizetype position = starts_[stale - 1];
    while (!done) {
        const LineEnd end = endOfLine(position);
        if (!end.hasNext) {
            next = starts_.size(); // every old start is gone
            done = true;
            break;
        }
        while (next < starts_.size() && starts_[next] < end.next)
            ++next;
        if (next < starts_.size() && starts_[next] == end.next) {
            if (end.next >= trustedFrom_) {
                done = true;
                break;
            }
            ++next; // an untrusted old start is passed like the others
        }
        made.push_back(end.next);
        position = end.next;
        if (exact_ + qsizetype(made.size()) > throughLine && qsizetype(made.size()) >= atLeast &&
            end.next > beyondPosition)
            break;
    }
    starts_.erase(starts_.begin() + std::ptrdiff_t(stale), starts_.begin() + std::ptrdiff_t(next));
    starts_.insert(starts_.begin() + std::ptrdiff_t(stale), made.begin(), made.end());
    exact_ = done ? qsizetype(starts_.size()) : exact_ + qsizetype(made.size());
    pending_ = !done;
    if (done && starts_.capacity() > 4 * starts_.size() + 4096)
        starts_.shrink_to_fit();
}

void VisualLines::edited(qsizetype position, qsizetype removed, qsizetype inserted) {
    if (invalid_)
        return;
    // Lines before the one before the edit keep their starts; the edit may
    // pull the first word of its line up into the line before. An edit past
    // the exact lines may touch the last of them as well.
    const bool wasComplete = complete();
    // While lines are pending, old starts count only past the last exact
    // line: the exact lines before it are followed by the pending ones.
    const qsizetype trusted =
        wasComplete ? 0 : std::max(trustedFrom_, starts_[std::size_t(exact_ - 1)] + 1);
    const qsizetype line = lineAt(position);
    const qsizetype keep = std::max<qsizetype>(1, std::min(exact_ - 1, line));
    // Old starts at or before the edit's end say nothing any more; those
    // after it move with the text.
    auto first = starts_.begin() + std::ptrdiff_t(keep);
    auto after = std::upper_bound(first, starts_.end(), position + removed);
    after = starts_.erase(first, after);
    const qsizetype delta = inserted - removed;
    for (auto it = after; it != starts_.end(); ++it)
        *it += delta;
    exact_ = keep;
    pending_ = true;
    // The old starts after the edit are trusted; so are those of an earlier
    // edit still pending, unless this one reaches past them.
    if (wasComplete || position + removed >= trusted)
        trustedFrom_ = position + inserted + 1;
    else
        trustedFrom_ = trusted + delta;
}

qsizetype VisualLines::count() const {
    return qsizetype(starts_.size());
}

qsizetype VisualLines::end(qsizetype line) const {
    return line + 1 < qsizetype(starts_.size()) ? starts_[std::size_t(line + 1)] : text_.size();
}

bool VisualLines::endsWithLineBreak(qsizetype line) const {
    const qsizetype e = end(line);
    return e - 2 >= start(line) && text_.at(e - 2) == u'\r' && text_.at(e - 1) == u'\n';
}

qsizetype VisualLines::textEnd(qsizetype line) const {
    return endsWithLineBreak(line) ? end(line) - 2 : end(line);
}

qsizetype VisualLines::lineAt(qsizetype position, bool atLineEnd) const {
    const auto it = std::upper_bound(starts_.begin(), starts_.end(), position);
    qsizetype line = qsizetype(it - starts_.begin()) - 1;
    if (atLineEnd && line > 0 && start(line) == position && !endsWithLineBreak(line - 1))
        --line;
    return std::max<qsizetype>(line, 0);
}

} // namespace platform
