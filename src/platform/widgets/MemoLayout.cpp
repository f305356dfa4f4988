#include "widgets/MemoLayout.h"

#include <QFontMetricsF>
#include <QTextOption>
#include <cmath>

namespace platform {
namespace {

// A layout laid out as one line that never wraps.
void layOutAsOneLine(QTextLayout& layout, qreal tabWidth, qreal baseline) {
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTextDirection(Qt::LeftToRight);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    option.setTabStopDistance(tabWidth);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) {
        line.setLineWidth(1e9);
        line.setPosition(QPointF(0, baseline - line.ascent()));
    }
    layout.endLayout();
}

// Laid-out layouts kept at most; the screen needs a few dozen.
constexpr qsizetype KeptLayouts = 512;

} // namespace

char32_t shownCharacter(char32_t c) {
    if (c < 0x20 && c != u'\t')
        return 0x2400 + c; // the control pictures: ␀ to ␟, ␍ and ␊ among them
    if (c == 0x7F)
        return 0x2421; // ␡
    if (c == 0x2028)
        return 0x2424; // ␤: a line separator would end the drawn line
    if (c == 0x2029)
        return 0x00B6; // ¶
    if (c >= 0xD800 && c <= 0xDFFF)
        return 0xFFFD; // half a surrogate pair
    return c;
}

MemoLayout::MemoLayout(const TextBuffer& text)
    : text_(text)
    , metrics_([](char32_t) { return 64; })
    , lines_(text, metrics_) {
    setFont(QFont());
}

void MemoLayout::setFont(const QFont& font) {
    font_ = font;
    font_.setKerning(false); // advances add up to what is drawn
    const QFontMetricsF fm(font_);
    metrics_.reset([fm](char32_t c) {
        const char32_t shown = shownCharacter(c);
        return qint32(std::lround(fm.horizontalAdvance(QString::fromUcs4(&shown, 1)) * 64));
    });
    // Every line is as high as one that mixes the font with the fonts the
    // system takes for Chinese, Japanese and Korean.
    QTextLayout sample(QStringLiteral("Ag中あ한"), font_);
    layOutAsOneLine(sample, 8, 0);
    const QTextLine line = sample.lineAt(0);
    baseline_ = std::ceil(line.ascent());
    lineHeight_ = baseline_ + std::ceil(line.descent());
    // Tab stops every eight average characters, as the Windows edit control.
    tabWidth_ = fm.averageCharWidth() * 8;
    lines_.setWidths(lines_.lineWidth(), Advance(std::lround(tabWidth_ * 64)));
    lines_.invalidate();
    forgetLayouts();
}

void MemoLayout::setWidth(qreal width) {
    const auto advance = Advance(std::floor(std::max<qreal>(width, 1) * 64));
    if (advance == lines_.lineWidth())
        return;
    lines_.setWidths(advance, Advance(std::lround(tabWidth_ * 64)));
    forgetLayouts();
}

void MemoLayout::replaced() {
    preedit_.clear();
    preeditLine_ = -1;
    lines_.invalidate();
    forgetLayouts();
}

void MemoLayout::edited(qsizetype position, qsizetype removed, qsizetype inserted) {
    lines_.edited(position, removed, inserted);
    forgetLayouts();
}

void MemoLayout::setPreedit(qsizetype line, qsizetype position, const QString& text,
                            const QList<QTextLayout::FormatRange>& formats, int caret) {
    preedit_ = text;
    preeditLine_ = text.isEmpty() ? -1 : line;
    preeditFormats_ = formats;
    preeditPosition_ = position;
    preeditCaret_ = caret;
    forgetLayouts();
}

void MemoLayout::forgetLayouts() {
    layouts_.clear();
}

QString MemoLayout::shownText(qsizetype start, qsizetype end) const {
    QString shown = text_.mid(start, end - start);
    QChar* c = shown.data();
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const char16_t unit = c[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < shown.size() &&
            QChar::isLowSurrogate(c[i + 1].unicode())) {
            ++i; // a whole pair is shown as it is
            continue;
        }
        const char32_t instead = shownCharacter(unit);
        if (instead != unit)
            c[i] = QChar(char16_t(instead));
    }
    return shown;
}

QTextLayout& MemoLayout::layoutOf(qsizetype line) {
    if (auto found = layouts_.find(line); found != layouts_.end())
        return **found;
    if (layouts_.size() >= KeptLayouts)
        forgetLayouts();
    const qsizetype start = lines_.start(line);
    const qsizetype end = lines_.textEnd(line);
    QString shown = shownText(start, end);
    QList<QTextLayout::FormatRange> formats;
    if (line == preeditLine_) {
        const auto at = int(preeditPosition_ - start);
        shown.insert(at, preedit_);
        for (QTextLayout::FormatRange range : preeditFormats_) {
            range.start += at;
            formats.append(range);
        }
    }
    auto layout = std::make_shared<QTextLayout>(shown, font_);
    layout->setFormats(formats);
    layOutAsOneLine(*layout, tabWidth_, baseline_);
    layouts_.insert(line, layout);
    return *layout;
}

int MemoLayout::layoutIndex(qsizetype line, qsizetype position) const {
    const qsizetype start = lines_.start(line);
    qsizetype index = position - start;
    if (line == preeditLine_ && position > preeditPosition_)
        index += preedit_.size();
    return int(index);
}

qreal MemoLayout::xOf(qsizetype line, qsizetype position) {
    QTextLayout& layout = layoutOf(line);
    return layout.lineAt(0).cursorToX(layoutIndex(line, position));
}

qreal MemoLayout::preeditCaretX(qsizetype line) {
    QTextLayout& layout = layoutOf(line);
    return layout.lineAt(0).cursorToX(layoutIndex(line, preeditPosition_) + preeditCaret_);
}

qsizetype MemoLayout::positionAt(qsizetype line, qreal x) {
    QTextLayout& layout = layoutOf(line);
    const qsizetype start = lines_.start(line);
    qsizetype index = layout.lineAt(0).xToCursor(x, QTextLine::CursorBetweenCharacters);
    if (line == preeditLine_) {
        const qsizetype at = preeditPosition_ - start;
        if (index > at)
            index = std::max(at, index - preedit_.size());
    }
    return std::min(start + index, lines_.textEnd(line));
}

} // namespace platform
