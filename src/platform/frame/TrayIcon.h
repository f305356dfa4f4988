#pragma once

// The frame's icon in the desktop's notification area, where the desktop
// has one. A click on it asks for the window back; its menu offers that and
// a way to close the window, without which a window hidden there could not
// be closed.

#include <QIcon>
#include <QObject>
#include <QString>

class QSystemTrayIcon;
class QWidget;

namespace platform::frame {

class TrayIcon : public QObject {
    Q_OBJECT

public:
    // The icon's menu is a child of parent, which owns it.
    explicit TrayIcon(QWidget* parent);

    // Shows the icon, unless the desktop has no notification area or there
    // is no icon to show; true when it is shown.
    bool show(const QIcon& icon, const QString& toolTip);
    bool isShown() const;
    void setToolTip(const QString& toolTip);

signals:
    void restoreRequested();
    void closeRequested();

private:
    void create();

    QWidget* menuParent_;
    QSystemTrayIcon* icon_ = nullptr;
};

} // namespace platform::frame
