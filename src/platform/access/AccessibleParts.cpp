#include "access/AccessibleParts.h"

#include <QWidget>
#include <set>

namespace platform {

void installAccessibleFactory(QAccessible::InterfaceFactory factory) {
    static std::set<QAccessible::InterfaceFactory> installed;
    if (installed.insert(factory).second)
        QAccessible::installFactory(factory);
}

QStringList PressableAccessible::actionNames() const {
    return QStringList{pressAction()} + QAccessibleWidget::actionNames();
}

void PressableAccessible::doAction(const QString& actionName) {
    if (actionName == pressAction())
        press();
    else
        QAccessibleWidget::doAction(actionName);
}

int PartsAccessible::childCount() const {
    return int(parts().size());
}

QAccessibleInterface* PartsAccessible::child(int index) const {
    const QList<QWidget*> all = parts();
    if (index < 0 || index >= all.size())
        return nullptr;
    return QAccessible::queryAccessibleInterface(all[index]);
}

int PartsAccessible::indexOfChild(const QAccessibleInterface* child) const {
    if (!child)
        return -1;
    return int(parts().indexOf(qobject_cast<QWidget*>(child->object())));
}

} // namespace platform
