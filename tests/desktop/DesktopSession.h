#pragma once

// A desktop of its own for a test: a virtual X screen on a free display
// number, a window manager on it (or none), on request a notification-area
// host, and the program under test, driven by real X input through XTEST
// (xdotool) while it answers questions about its state (desktop-driver).
// Everything it starts it ends again.

#include <QJsonObject>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>

namespace testsupport {

// Where a window is on the screen and how large, as the X server says.
QRect toRect(const QJsonValue& value);

class DesktopProgram;

class DesktopSession {
public:
    // windowManager: "openbox", "xfwm4", "metacity" or "none".
    explicit DesktopSession(QString windowManager);
    ~DesktopSession();
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    // Starts the screen and the window manager; false, with errorString(),
    // when one of them does not come up.
    bool start();
    QString errorString() const { return error_; }
    QString windowManager() const { return windowManager_; }
    bool hasWindowManager() const { return windowManager_ != QStringLiteral("none"); }
    QString display() const { return display_; }
    QSize screenSize() const { return {1280, 1024}; }

    // A notification-area host (trayer) at the top right of the screen.
    bool startTrayHost();
    void stopTrayHost();

    // Runs xdotool with the arguments; true when it succeeded.
    bool xdotool(const QStringList& arguments) const;
    // The window's place and size on the screen, as the X server says.
    QRect windowGeometry(const QString& winId) const;
    // The X windows titled so, that are shown.
    QStringList visibleWindowsNamed(const QString& name) const;

    QProcessEnvironment environment() const;

private:
    bool startProcess(QProcess& process, const QString& program, const QStringList& arguments);
    bool waitFor(const std::function<bool()>& condition, int milliseconds) const;
    QString run(const QString& program, const QStringList& arguments) const;

    QString windowManager_;
    QString display_;
    QString error_;
    QProcess server_;
    QProcess manager_;
    QProcess trayHost_;
};

// The program under test on a session's screen.
class DesktopProgram {
public:
    // scaleFactor: QT_SCALE_FACTOR, when not empty.
    DesktopProgram(const DesktopSession& session, const QString& scaleFactor = {});
    ~DesktopProgram();
    DesktopProgram(const DesktopProgram&) = delete;
    DesktopProgram& operator=(const DesktopProgram&) = delete;

    // Starts it and waits until its window is shown and placed.
    bool start();
    QString errorString() const { return error_; }

    // The driver's answer to a command (see desktop-driver.cpp).
    QJsonObject ask(const QString& command);
    QJsonObject state() { return ask(QStringLiteral("state")); }
    QString winId();

    // Until the program has ended, at most this long; whether it ended.
    bool waitForExit(int milliseconds);
    bool isRunning() const { return process_.state() != QProcess::NotRunning; }

private:
    const DesktopSession& session_;
    QString scaleFactor_;
    QString error_;
    QString winId_;
    QProcess process_;
};

} // namespace testsupport
