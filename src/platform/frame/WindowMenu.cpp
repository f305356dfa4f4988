#include "frame/WindowMenu.h"

#include <QMenu>
#include <QWidget>

namespace platform::frame {

std::vector<WindowCommand> windowMenuCommands(WindowMenuState state) {
    std::vector<WindowCommand> commands{WindowCommand::Minimize};
    if (state.maximized || state.rolledUp)
        commands.push_back(WindowCommand::Restore);
    if (!state.maximized)
        commands.push_back(WindowCommand::Maximize);
    if (!state.rolledUp && !state.minimized)
        commands.push_back(WindowCommand::RollUp);
    commands.push_back(WindowCommand::MinimizeToTray);
    commands.push_back(WindowCommand::Close);
    return commands;
}

QString commandText(WindowCommand command) {
    switch (command) {
    case WindowCommand::Minimize:
        return QStringLiteral("Minimize");
    case WindowCommand::Restore:
        return QStringLiteral("Restore");
    case WindowCommand::Maximize:
        return QStringLiteral("Maximize");
    case WindowCommand::RollUp:
        return QStringLiteral("Roll up");
    case WindowCommand::MinimizeToTray:
        return QStringLiteral("Minimize to tray");
    case WindowCommand::Close:
        return QStringLiteral("Close");
    }
    return {};
}

QStringList commandTexts(const std::vector<WindowCommand>& commands) {
    QStringList texts;
    for (WindowCommand command : commands)
        texts << commandText(command);
    return texts;
}

WindowMenu::WindowMenu(QWidget* parent)
    : QObject(parent)
    , menu_(new QMenu(parent)) {
    menu_->setObjectName(QStringLiteral("systemMenu"));
}

QMenu* WindowMenu::menu(WindowMenuState state) {
    menu_->clear();
    for (WindowCommand command : windowMenuCommands(state)) {
        if (command == WindowCommand::Close)
            menu_->addSeparator();
        QAction* action = menu_->addAction(commandText(command));
        // Queued: the menu closes before the window changes under it.
        connect(
            action, &QAction::triggered, this, [this, command] { emit commandChosen(command); },
            Qt::QueuedConnection);
    }
    return menu_;
}

void WindowMenu::popup(QPoint globalPos, WindowMenuState state) {
    menu(state)->popup(globalPos);
}

} // namespace platform::frame
