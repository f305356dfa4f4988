#include "DesktopSession.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>

namespace testsupport {
namespace {

constexpr int StartTimeout = 15000;

void end(QProcess& process) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(2000)) {
        process.kill();
        process.waitForFinished(2000);
    }
}

bool displayInUse(int number) {
    return QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)) ||
           QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number));
}

} // namespace

QRect toRect(const QJsonValue& value) {
    const QJsonArray array = value.toArray();
    if (array.size() != 4)
        return {};
    return {array[0].toInt(), array[1].toInt(), array[2].toInt(), array[3].toInt()};
}

DesktopSession::DesktopSession(QString windowManager)
    : windowManager_(std::move(windowManager)) {}

DesktopSession::~DesktopSession() {
    end(trayHost_);
    end(manager_);
    end(server_);
}

QProcessEnvironment DesktopSession::environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display_);
    // No desktop session of the machine's own may lend the program a bus,
    // a theme or a tray.
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("QT_SCALE_FACTOR"));
    return environment;
}

bool DesktopSession::startProcess(QProcess& process, const QString& program,
                                  const QStringList& arguments) {
    process.setProcessEnvironment(environment());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted(StartTimeout)) {
        error_ = program + QStringLiteral(" does not start: ") + process.errorString();
        return false;
    }
    return true;
}

bool DesktopSession::waitFor(const std::function<bool()>& condition, int milliseconds) const {
    QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    return true;
}

QString DesktopSession::run(const QString& program, const QStringList& arguments) const {
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(program, arguments);
    if (!process.waitForFinished(StartTimeout) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool DesktopSession::start() {
    // A free display number, from :100 to :999; another run may take the
    // same one at the same moment, so a screen that does not come up is
    // tried again on another.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const int number = QRandomGenerator::global()->bounded(100, 1000);
        if (displayInUse(number))
            continue;
        display_ = QStringLiteral(":%1").arg(number);
        if (!startProcess(server_, QStringLiteral("Xvfb"),
                          {display_, QStringLiteral("-screen"), QStringLiteral("0"),
                           QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                           QStringLiteral("tcp")}))
            return false;
        const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
        if (waitFor([&] { return QFile::exists(socket) || server_.state() != QProcess::Running; },
                    StartTimeout) &&
            server_.state() == QProcess::Running)
            break;
        end(server_);
    }
    if (server_.state() != QProcess::Running) {
        error_ = QStringLiteral("Xvfb does not come up");
        return false;
    }
    if (!hasWindowManager())
        return true;

    QStringList arguments;
    if (windowManager_ == u"openbox" || windowManager_ == u"metacity")
        arguments << QStringLiteral("--sm-disable");
    else if (windowManager_ == u"xfwm4")
        arguments << QStringLiteral("--compositor=off") << QStringLiteral("--sm-client-disable");
    // A window manager announces itself with a check window on the root. One
    // that came too early for the screen ends at once and is started again.
    const auto announced = [&] {
        return run(QStringLiteral("xprop"),
                   {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
            .contains(QStringLiteral("window id"));
    };
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!startProcess(manager_, windowManager_, arguments))
            return false;
        if (waitFor([&] { return announced() || manager_.state() != QProcess::Running; },
                    StartTimeout) &&
            manager_.state() == QProcess::Running)
            return true;
        end(manager_);
        QThread::msleep(200);
    }
    error_ = windowManager_ + QStringLiteral(" does not come up");
    return false;
}

bool DesktopSession::startTrayHost() {
    if (!startProcess(trayHost_, QStringLiteral("trayer"),
                      {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                       QStringLiteral("right"), QStringLiteral("--widthtype"),
                       QStringLiteral("pixel"), QStringLiteral("--width"), QStringLiteral("120"),
                       QStringLiteral("--height"), QStringLiteral("28")}))
        return false;
    // The host's panel window shows once it has taken the notification area.
    const bool shown = waitFor(
        [&] {
            return !run(QStringLiteral("xdotool"),
                        {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                         QStringLiteral("--classname"), QStringLiteral("panel")})
                        .trimmed()
                        .isEmpty();
        },
        StartTimeout);
    if (!shown)
        error_ = QStringLiteral("trayer does not come up");
    return shown;
}

void DesktopSession::stopTrayHost() {
    end(trayHost_);
}

bool DesktopSession::xdotool(const QStringList& arguments) const {
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(QStringLiteral("xdotool"), arguments);
    return process.waitForFinished(StartTimeout) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

QRect DesktopSession::windowGeometry(const QString& winId) const {
    const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), winId});
    auto field = [&info](const char* name) {
        const QRegularExpression pattern(QString::fromLatin1(name) +
                                         QStringLiteral(":\\s*(-?\\d+)"));
        const QRegularExpressionMatch match = pattern.match(info);
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    };
    return {field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
            field("Height")};
}

QStringList DesktopSession::visibleWindowsNamed(const QString& name) const {
    return run(QStringLiteral("xdotool"),
               {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                QRegularExpression::escape(name)})
        .split(u'\n', Qt::SkipEmptyParts);
}

DesktopProgram::DesktopProgram(const DesktopSession& session, const QString& scaleFactor)
    : session_(session)
    , scaleFactor_(scaleFactor) {}

DesktopProgram::~DesktopProgram() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.closeWriteChannel();
    end(process_);
}

bool DesktopProgram::start() {
    QProcessEnvironment environment = session_.environment();
    if (!scaleFactor_.isEmpty())
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), scaleFactor_);
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral(KALVOR_DESKTOP_DRIVER), {});
    if (!process_.waitForStarted(StartTimeout)) {
        error_ = QStringLiteral("the driver does not start: ") + process_.errorString();
        return false;
    }
    // Shown, placed, and holding the keyboard where a window manager hands it out.
    QDeadlineTimer deadline(StartTimeout);
    while (!deadline.hasExpired()) {
        const QJsonObject now = state();
        if (now.isEmpty())
            break;
        winId_ = now.value("winId").toString();
        // At another scale the X server counts in device pixels.
        const double scale = now.value("devicePixelRatio").toDouble(1);
        const QRect onScreen = session_.windowGeometry(winId_);
        const QRect logical = toRect(now.value("geometry"));
        const QRect expected(
            QPoint(qRound(logical.x() * scale), qRound(logical.y() * scale)),
            QSize(qRound(logical.width() * scale), qRound(logical.height() * scale)));
        const QPoint offBy = onScreen.topLeft() - expected.topLeft();
        if (now.value("visible").toBool() && offBy.manhattanLength() <= 2 &&
            std::abs(onScreen.width() - expected.width()) <= 1)
            return true;
        QThread::msleep(50);
    }
    error_ = QStringLiteral("the window does not come up");
    return false;
}

QJsonObject DesktopProgram::ask(const QString& command) {
    if (process_.state() != QProcess::Running)
        return {};
    process_.write(command.toUtf8() + '\n');
    QDeadlineTimer deadline(StartTimeout);
    while (!process_.canReadLine()) {
        if (deadline.hasExpired() || !process_.waitForReadyRead(int(deadline.remainingTime())))
            return {};
    }
    return QJsonDocument::fromJson(process_.readLine()).object();
}

QString DesktopProgram::winId() {
    return winId_;
}

bool DesktopProgram::waitForExit(int milliseconds) {
    return process_.state() == QProcess::NotRunning || process_.waitForFinished(milliseconds);
}

} // namespace testsupport
