#include "frame/TrayIcon.h"

#include "frame/WindowMenu.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

namespace platform::frame {

TrayIcon::TrayIcon(QWidget* parent)
    : QObject(parent)
    , menuParent_(parent) {}

bool TrayIcon::isShown() const {
    return icon_ && icon_->isVisible();
}

bool TrayIcon::show(const QIcon& icon, const QString& toolTip) {
    if (isShown())
        return true;
    if (!QSystemTrayIcon::isSystemTrayAvailable() || icon.isNull())
        return false;
    if (!icon_)
        create();
    icon_->setIcon(icon);
    icon_->setToolTip(toolTip);
    icon_->show();
    return isShown();
}

void TrayIcon::setToolTip(const QString& toolTip) {
    if (icon_)
        icon_->setToolTip(toolTip);
}

void TrayIcon::create() {
    icon_ = new QSystemTrayIcon(this);
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    emit restoreRequested();
            });
    auto* menu = new QMenu(menuParent_);
    menu->setObjectName(QStringLiteral("trayMenu"));
    menu->addAction(commandText(WindowCommand::Restore), this, &TrayIcon::restoreRequested);
    menu->addSeparator();
    menu->addAction(commandText(WindowCommand::Close), this, &TrayIcon::closeRequested);
    icon_->setContextMenu(menu);
}

} // namespace platform::frame
