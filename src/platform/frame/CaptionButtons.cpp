#include "frame/CaptionButtons.h"

#include "frame/FrameGeometry.h"

#include <QAccessible>

namespace platform::frame {

QString captionButtonName(CaptionButtonKind kind) {
    switch (kind) {
    case CaptionButtonKind::Menu:
        return QStringLiteral("Window menu");
    case CaptionButtonKind::Tray:
        return commandText(WindowCommand::MinimizeToTray);
    case CaptionButtonKind::Minimize:
        return commandText(WindowCommand::Minimize);
    case CaptionButtonKind::RollUp:
        return commandText(WindowCommand::RollUp);
    case CaptionButtonKind::Maximize:
        return commandText(WindowCommand::Maximize);
    case CaptionButtonKind::Close:
        return commandText(WindowCommand::Close);
    }
    return {};
}

bool captionButtonToggles(CaptionButtonKind kind) {
    return kind == CaptionButtonKind::RollUp || kind == CaptionButtonKind::Maximize;
}

CaptionButton::CaptionButton(const CaptionButtonEntry& entry, const FrameLook& look,
                             QWidget* parent)
    : QAbstractButton(parent)
    , kind_(entry.kind)
    , glyph_(entry.glyph)
    , look_(look) {
    setObjectName(QString::fromLatin1(entry.objectName));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    // Children take their parent's cursor; the frame's shows resize arrows.
    setCursor(Qt::ArrowCursor);
    resize(ButtonSize);
}

void CaptionButton::setOn(bool on) {
    if (on_ == on)
        return;
    on_ = on;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void CaptionButton::setGlyph(Glyph glyph) {
    if (glyph_ != glyph) {
        glyph_ = glyph;
        update();
    }
}

void CaptionButton::setFrameActive(bool active) {
    if (frameActive_ != active) {
        frameActive_ = active;
        update();
    }
}

QSize CaptionButton::sizeHint() const {
    return ButtonSize;
}

void CaptionButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintCaptionButton(painter, look_, rect(), glyph_,
                       ButtonState{underMouse(), isDown(), frameActive_});
}

} // namespace platform::frame
