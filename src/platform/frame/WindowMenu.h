#pragma once

// The frame's window menu: which commands it offers in each state of the
// window, their texts, and the menu that runs them.

#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <vector>

class QMenu;
class QWidget;

namespace platform::frame {

enum class WindowCommand { Minimize, Restore, Maximize, RollUp, MinimizeToTray, Close };

struct WindowMenuState {
    bool maximized = false;
    bool minimized = false;
    bool rolledUp = false;
};

// Top to bottom: minimize; restore, only while maximized or rolled up;
// maximize, only while not maximized; roll up, only while neither rolled up
// nor minimized; minimize to tray; close.
std::vector<WindowCommand> windowMenuCommands(WindowMenuState state);
QString commandText(WindowCommand command);
QStringList commandTexts(const std::vector<WindowCommand>& commands);

class WindowMenu : public QObject {
    Q_OBJECT

public:
    // The menu is a child of parent, which owns it.
    explicit WindowMenu(QWidget* parent);

    // The menu, filled for the state; its items emit commandChosen once the
    // menu has closed.
    QMenu* menu(WindowMenuState state);
    void popup(QPoint globalPos, WindowMenuState state);

signals:
    void commandChosen(platform::frame::WindowCommand command);

private:
    QMenu* menu_;
};

} // namespace platform::frame
