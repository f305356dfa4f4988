#include "widgets/TextBuffer.h"

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

// The gap a grown buffer gets: room for a good deal of typing, and an
// eighth of the text so that long pastes grow it seldom.
qsizetype gapFor(qsizetype size, qsizetype needed) {
    return std::max<qsizetype>(needed, std::max<qsizetype>(4096, size / 8));
}

} // namespace

void TextBuffer::assign(QString text) {
    store_ = std::move(text);
    gapStart_ = gapEnd_ = store_.size();
}

void TextBuffer::moveGapTo(qsizetype position) const {
    if (position == gapStart_)
        return;
    QChar* data = store_.data();
    const qsizetype gap = gapLength();
    if (position < gapStart_) {
        // The units between position and the gap go to the gap's far end.
        std::memmove(data + position + gap, data + position,
                     std::size_t(gapStart_ - position) * sizeof(QChar));
    } else {
        std::memmove(data + gapStart_, data + gapEnd_,
                     std::size_t(position - gapStart_) * sizeof(QChar));
    }
    gapStart_ = position;
    gapEnd_ = position + gap;
}

void TextBuffer::makeRoom(qsizetype units) {
    if (gapLength() >= units)
        return;
    const qsizetype held = size();
    const qsizetype gap = gapFor(held, units);
    QString grown(held + gap, Qt::Uninitialized);
    const QChar* from = store_.constData();
    QChar* to = grown.data();
    std::memcpy(to, from, std::size_t(gapStart_) * sizeof(QChar));
    std::memcpy(to + gapStart_ + gap, from + gapEnd_,
                std::size_t(store_.size() - gapEnd_) * sizeof(QChar));
    store_ = std::move(grown);
    gapEnd_ = gapStart_ + gap;
}

void TextBuffer::insert(qsizetype position, QStringView text) {
    if (text.isEmpty())
        return;
    moveGapTo(position);
    makeRoom(text.size());
    std::memcpy(store_.data() + gapStart_, text.data(), std::size_t(text.size()) * sizeof(QChar));
    gapStart_ += text.size();
}

void TextBuffer::remove(qsizetype position, qsizetype length) {
    if (length <= 0)
        return;
    moveGapTo(position);
    gapEnd_ += length;
    // A buffer left mostly empty gives its memory back.
    const qsizetype held = size();
    if (gapLength() > qsizetype(1) << 20 && gapLength() > 4 * held) {
        QString compact = mid(0, held);
        assign(std::move(compact));
    }
}

QString TextBuffer::mid(qsizetype position, qsizetype length) const {
    QString out(length, Qt::Uninitialized);
    const QChar* data = store_.constData();
    const qsizetype before = std::clamp<qsizetype>(gapStart_ - position, 0, length);
    std::memcpy(out.data(), data + position, std::size_t(before) * sizeof(QChar));
    std::memcpy(out.data() + before, data + position + before + gapLength(),
                std::size_t(length - before) * sizeof(QChar));
    return out;
}

QStringView TextBuffer::view() const {
    moveGapTo(size());
    return QStringView(store_.constData(), size());
}

} // namespace platform
