#include "widgets/SkinControls.h"

#include "widgets/ControlAccessible.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOption>

namespace platform {

TButton::TButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {
    setAutoDefault(false);
    setFocusPolicy(Qt::StrongFocus);
}

void TButton::keyPressEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat() &&
        (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

TbsSkinButton::TbsSkinButton(const QString& caption, QWidget* parent)
    : TButton(caption, parent) {}

TbsSkinPanel::TbsSkinPanel(const QString& skinEntry, QWidget* parent)
    : QWidget(parent)
    , skinEntry_(skinEntry)
    , layout_(new AlignedLayout(this)) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_StyledBackground);
    installControlAccessibility();
    layout_->setContentsMargins(borderWidth_, borderWidth_, borderWidth_, borderWidth_);
}

void TbsSkinPanel::setBorderWidth(int width) {
    if (width == borderWidth_ || width < 0)
        return;
    borderWidth_ = width;
    layout_->setContentsMargins(width, width, width, width);
    layout_->activate();
}

void TbsSkinPanel::paintEvent(QPaintEvent*) {
    // Lets the skin style sheet draw background and border.
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}

TbsSkinLinkLabel::TbsSkinLinkLabel(const QString& caption, QWidget* parent)
    : QLabel(caption, parent) {
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
}

} // namespace platform
