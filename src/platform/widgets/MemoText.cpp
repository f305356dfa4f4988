#include "widgets/MemoText.h"

#include <algorithm>

namespace platform {
namespace {

// Conversions and comparisons go piece by piece in runs of this many UTF-16
// units, never cutting a surrogate pair.
constexpr qsizetype PieceUnits = qsizetype(64) * 1024;

qsizetype pieceEnd(QStringView text, qsizetype from) {
    qsizetype end = std::min(text.size(), from + PieceUnits);
    if (end < text.size() && QChar::isHighSurrogate(text[end - 1].unicode()))
        --end;
    return end;
}

} // namespace

QString memoTextFromBytes(std::string_view bytes, const CodePage& page) {
    return page.toUnicode(bytes.substr(0, bytes.find('\0')));
}

std::string bytesFromMemoText(QStringView held, const CodePage& page) {
    return page.fromUnicode(held);
}

bool memoTextIsBytes(QStringView held, std::string_view bytes, const CodePage& page) {
    if (held.isEmpty() || bytes.empty())
        return held.isEmpty() && bytes.empty();
    // Every character takes at least one byte and, in every code page we
    // know, at most four for each UTF-16 unit.
    if (qsizetype(bytes.size()) < held.size() / 2 || qsizetype(bytes.size()) > held.size() * 4)
        return false;
    std::size_t compared = 0;
    for (qsizetype from = 0; from < held.size();) {
        const qsizetype end = pieceEnd(held, from);
        const std::string piece = page.fromUnicode(held.sliced(from, end - from));
        if (bytes.substr(compared, piece.size()) != piece)
            return false;
        compared += piece.size();
        from = end;
    }
    return compared == bytes.size();
}

QString clipboardTextFromMemo(QStringView held) {
    QString out;
    out.reserve(held.size());
    for (qsizetype i = 0; i < held.size(); ++i) {
        if (isLineBreakAt(held, i)) {
            out += u'\n';
            ++i;
        } else {
            out += held[i];
        }
    }
    return out;
}

bool clipboardTextKeepsMemoText(QStringView held) {
    for (qsizetype i = 0; i < held.size(); ++i) {
        if (isLineBreakAt(held, i))
            ++i;
        else if (held[i] == u'\r' || held[i] == u'\n')
            return false;
    }
    return true;
}

QString memoTextFromClipboard(QStringView text) {
    // A zero character ends clipboard text, as it ends the system's.
    if (const qsizetype zero = text.indexOf(QChar(0)); zero >= 0)
        text = text.first(zero);
    QString out;
    out.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            out += u"\r\n";
            i += isLineBreakAt(text, i) ? 1 : 0;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace platform
