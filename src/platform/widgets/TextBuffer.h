#pragma once

// The characters a text box holds, as UTF-16 units in a gap buffer: the
// free space sits where the last edit was, so that typing in the middle of
// a text of tens of megabytes moves nothing but the gap.

#include <QString>
#include <QStringView>

namespace platform {

class TextBuffer {
public:
    qsizetype size() const { return store_.size() - gapLength(); }
    bool isEmpty() const { return size() == 0; }

    char16_t at(qsizetype position) const {
        return store_.constData()[position < gapStart_ ? position : position + gapLength()]
            .unicode();
    }

    // The whole text, replacing what was held; takes the string's memory.
    void assign(QString text);
    void insert(qsizetype position, QStringView text);
    void remove(qsizetype position, qsizetype length);

    QString mid(qsizetype position, qsizetype length) const;

    // The whole text in one piece. Moves the gap to the end, so the view
    // holds until the next edit.
    QStringView view() const;

    // The raw units for scanning: position p is data[p] before the gap and
    // data[p + gapLength] from gapStart on. Valid until the next edit.
    struct Pieces {
        const char16_t* data;
        qsizetype gapStart;
        qsizetype gapLength;
    };
    Pieces pieces() const {
        return {reinterpret_cast<const char16_t*>(store_.constData()), gapStart_, gapLength()};
    }

    // Memory held beyond the characters, in UTF-16 units.
    qsizetype spareUnits() const { return gapLength(); }

private:
    qsizetype gapLength() const { return gapEnd_ - gapStart_; }
    void moveGapTo(qsizetype position) const;
    void makeRoom(qsizetype units);

    // The characters with the gap inside; its units in the gap are unused.
    mutable QString store_;
    mutable qsizetype gapStart_ = 0;
    mutable qsizetype gapEnd_ = 0;
};

} // namespace platform
