#include "frame/FrameAccessible.h"

#include "frame/CaptionButtons.h"
#include "frame/ClientFade.h"
#include "frame/SkinForm.h"

#include <QAccessible>

namespace platform::frame {
namespace {

const TbsBusinessSkinForm* frameOfWindow(QWidget* widget) {
    if (!widget->isWindow())
        return nullptr;
    return widget->findChild<TbsBusinessSkinForm*>(QString(), Qt::FindDirectChildrenOnly);
}

// The client area only holds the window's parts: a grouping without a name
// says nothing of its own.
bool isClientArea(QWidget* widget) {
    const auto* frame = qobject_cast<TbsBusinessSkinForm*>(widget->parentWidget());
    return frame && frame->clientArea() == widget;
}

QAccessibleInterface* frameFactory(const QString& key, QObject* object) {
    if (auto* button = qobject_cast<CaptionButton*>(object))
        return new CaptionButtonAccessible(button);
    if (auto* frame = qobject_cast<TbsBusinessSkinForm*>(object))
        return new FrameSurfaceAccessible(frame);
    // Asked once for each class the object is, most derived first: the
    // form and the client area are plain widgets to it.
    if (key != QLatin1String("QWidget"))
        return nullptr;
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return nullptr;
    if (frameOfWindow(widget))
        return new SkinnedWindowAccessible(widget);
    if (isClientArea(widget))
        return new QAccessibleWidget(widget, QAccessible::Grouping);
    return nullptr;
}

} // namespace

void installFrameAccessibility() {
    installAccessibleFactory(frameFactory);
}

SkinnedWindowAccessible::SkinnedWindowAccessible(QWidget* window)
    : QAccessibleWidget(window, QAccessible::Window) {}

QString SkinnedWindowAccessible::text(QAccessible::Text type) const {
    // Looked up each time: the frame, a child, goes before the window.
    const TbsBusinessSkinForm* frame = frameOfWindow(widget());
    if (type == QAccessible::Name && widget()->accessibleName().isEmpty() && frame)
        return frame->caption();
    return QAccessibleWidget::text(type);
}

FrameSurfaceAccessible::FrameSurfaceAccessible(TbsBusinessSkinForm* frame)
    : PartsAccessible(frame, QAccessible::Grouping) {}

QList<QWidget*> FrameSurfaceAccessible::parts() const {
    QList<QWidget*> parts;
    for (QObject* child : widget()->children()) {
        auto* part = qobject_cast<QWidget*>(child);
        if (part && !part->isWindow() && !qobject_cast<ClientFade*>(part))
            parts << part;
    }
    return parts;
}

CaptionButtonAccessible::CaptionButtonAccessible(CaptionButton* button)
    : PressableAccessible(button, QAccessible::Button) {}

CaptionButton* CaptionButtonAccessible::button() const {
    return static_cast<CaptionButton*>(widget());
}

QString CaptionButtonAccessible::text(QAccessible::Text type) const {
    if (type == QAccessible::Name && widget()->accessibleName().isEmpty())
        return captionButtonName(button()->kind());
    return QAccessibleWidget::text(type);
}

QAccessible::State CaptionButtonAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.pressed = button()->isDown();
    if (captionButtonToggles(button()->kind())) {
        state.checkable = true;
        state.checked = button()->isOn();
    }
    return state;
}

void CaptionButtonAccessible::press() {
    button()->click();
}

} // namespace platform::frame
