#include "widgets/ControlAccessible.h"

#include "system/CodePage.h"
#include "widgets/LinkImage.h"
#include "widgets/SkinControls.h"

#include <QAccessible>

namespace platform {
namespace {

QAccessibleInterface* controlFactory(const QString& /*key*/, QObject* object) {
    if (auto* image = qobject_cast<TbsSkinLinkImage*>(object))
        return new LinkImageAccessible(image);
    if (auto* panel = qobject_cast<TbsSkinPanel*>(object))
        return new QAccessibleWidget(panel, QAccessible::Grouping);
    return nullptr;
}

} // namespace

void installControlAccessibility() {
    installAccessibleFactory(controlFactory);
}

LinkImageAccessible::LinkImageAccessible(TbsSkinLinkImage* image)
    : PressableAccessible(image, QAccessible::Link) {}

TbsSkinLinkImage* LinkImageAccessible::image() const {
    return static_cast<TbsSkinLinkImage*>(widget());
}

QString LinkImageAccessible::text(QAccessible::Text type) const {
    if (!widget()->accessibleName().isEmpty() && type == QAccessible::Name)
        return widget()->accessibleName();
    switch (type) {
    case QAccessible::Name:
        return image()->drawnText().isEmpty() ? address() : image()->drawnText();
    case QAccessible::Description:
        return address();
    default:
        return QAccessibleWidget::text(type);
    }
}

QString LinkImageAccessible::address() const {
    return CodePage::system().toUnicode(image()->URL());
}

QAccessible::State LinkImageAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.linked = !image()->URL().empty();
    return state;
}

void LinkImageAccessible::press() {
    image()->click();
}

} // namespace platform
