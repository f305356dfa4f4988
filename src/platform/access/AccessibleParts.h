#pragma once

// Building blocks for the accessibility interfaces of widgets that draw
// themselves: installing a factory once, a control that a screen reader
// can press, and a widget whose children to a screen reader are only some
// of its child widgets.

#include <QAccessible>
#include <QAccessibleWidget>
#include <QList>

namespace platform {

// Installs the factory the first time it is asked for; later calls with the
// same factory do nothing.
void installAccessibleFactory(QAccessible::InterfaceFactory factory);

// A control whose press action does what a click does.
class PressableAccessible : public QAccessibleWidget {
public:
    using QAccessibleWidget::QAccessibleWidget;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

protected:
    virtual void press() = 0;
};

// A widget whose children, to a screen reader, are the child widgets that
// parts() names, in its order.
class PartsAccessible : public QAccessibleWidget {
public:
    using QAccessibleWidget::QAccessibleWidget;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

protected:
    virtual QList<QWidget*> parts() const = 0;
};

} // namespace platform
