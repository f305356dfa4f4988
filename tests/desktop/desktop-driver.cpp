// The program as the desktop suite runs it: the real window, started as the
// program starts it, with its promotion pointed at a loopback address where
// nothing answers and its program folder in a fresh temporary folder, so
// that a run neither reaches a server nor leaves files behind.
//
// The suite drives the window with real X input only. This driver answers
// the suite's questions about what it cannot see from outside, one line of
// JSON for each line of a command read from standard input:
//
//   state        the window's state, focus, geometry as Qt counts it, and the
//                open menu with the screen rectangles of its items
//   grab <file>  saves a picture of the whole screen, as the X server shows it
//   error <text> shows the error box for an error with that message, as a
//                handler's escaping error would; answers once it is closed

#include "OfflinePromotion.h"
#include "ProgramFolder.h"
#include "system/AllocatorPolicy.h"
#include "widgets/Application.h"
#include "window/UnitMain.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <stdexcept>
#include <unistd.h>

namespace {

QJsonArray rectJson(const QRect& rect) {
    return QJsonArray{rect.x(), rect.y(), rect.width(), rect.height()};
}

QString nameOf(const QObject* object) {
    return object ? object->objectName() : QString();
}

// The open menu, if any: the window menu or the notification icon's.
QJsonObject openMenu() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* menu = qobject_cast<QMenu*>(widget);
        if (!menu || !menu->isVisible())
            continue;
        QJsonArray items;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator())
                continue;
            const QRect rect = menu->actionGeometry(action);
            items.append(QJsonObject{
                {"text", action->text()},
                {"rect", rectJson(QRect(menu->mapToGlobal(rect.topLeft()), rect.size()))}});
        }
        return QJsonObject{
            {"name", menu->objectName()}, {"rect", rectJson(menu->geometry())}, {"items", items}};
    }
    return {};
}

QJsonObject trayIcon(const TfrmAd& window) {
    const auto* icon = window.bsfrm->findChild<QSystemTrayIcon*>();
    if (!icon)
        return {};
    return QJsonObject{{"visible", icon->isVisible()}, {"rect", rectJson(icon->geometry())}};
}

QJsonObject state(TfrmAd& window) {
    QWindow* handle = window.windowHandle();
    const Qt::WindowStates states = window.windowState();
    QJsonObject answer{
        {"winId", QString::number(window.winId())},
        {"visible", window.isVisible()},
        {"maximized", window.bsfrm->isMaximized()},
        {"minimized", bool(states & Qt::WindowMinimized)},
        {"rolledUp", window.bsfrm->isRolledUp()},
        {"active", window.isActiveWindow()},
        {"faded", window.bsfrm->isClientFaded()},
        {"focus", nameOf(QApplication::focusWidget())},
        {"geometry", rectJson(window.geometry())},
        {"windowGeometry", rectJson(handle ? handle->geometry() : QRect())},
        {"available", rectJson(window.screen()->availableGeometry())},
        {"devicePixelRatio", window.devicePixelRatio()},
        {"memo2", QString::fromLatin1(window.Memo2->text())},
        {"clipboard", QGuiApplication::clipboard()->text()},
        {"menu", openMenu()},
        {"tray", trayIcon(window)},
        {"trayAvailable", QSystemTrayIcon::isSystemTrayAvailable()},
    };
    // Places in the window, counted from its top left corner, so that the
    // suite finds them on the screen from where the X server says the
    // window is.
    const auto inWindow = [&window](const QWidget* widget, QRect rect) {
        return rectJson(QRect(widget->mapTo(&window, rect.topLeft()), rect.size()));
    };
    QJsonObject controls;
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (control->objectName().isEmpty() || !control->isVisible())
            continue;
        QJsonObject entry{{"rect", inWindow(control, control->rect())},
                          {"focused", control->hasFocus()}};
        if (auto* memo = qobject_cast<platform::TMemo*>(control))
            entry.insert("caret", inWindow(memo->viewport(), memo->cursorRect()));
        if (auto* image = qobject_cast<platform::TbsSkinLinkImage*>(control)) {
            const QImage* bitmap = image->Picture().bitmap();
            entry.insert("bitmapDevicePixelRatio", bitmap ? bitmap->devicePixelRatio() : 0.0);
        }
        controls.insert(control->objectName(), entry);
    }
    answer.insert("controls", controls);
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        answer.insert("errorBox",
                      QJsonObject{{"winId", QString::number(box->winId())},
                                  {"active", box->isActiveWindow()},
                                  {"text", box->text()},
                                  {"label", label ? rectJson(QRect(label->mapTo(box, QPoint()),
                                                                   label->size()))
                                                  : QJsonArray()},
                                  {"selected", label ? label->selectedText() : QString()}});
    }
    return answer;
}

void answer(const QJsonObject& object) {
    const QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stdout);
    std::fflush(stdout);
}

void runCommand(TfrmAd& window, const QString& line) {
    const QString command = line.section(u' ', 0, 0);
    const QString argument = line.section(u' ', 1);
    if (command == u"state") {
        answer(state(window));
    } else if (command == u"grab") {
        const bool saved =
            QGuiApplication::primaryScreen()->grabWindow(0).toImage().save(argument, "PNG");
        answer({{"saved", saved}});
    } else if (command == u"error") {
        // Answers at once, so that the suite can drive the box while it is open.
        answer({{"showing", true}});
        QTimer::singleShot(0, &window, [argument] {
            platform::Application().guard(
                [&] { throw std::runtime_error(argument.toStdString()); });
        });
    } else {
        answer({{"error", "unknown command " + command}});
    }
}

} // namespace

int main(int argc, char* argv[]) {
    testsupport::TemporaryProgramFolder programFolder;
    testsupport::OfflinePromotion promotion;

    // From here on as the program's own start-up.
    platform::CodePage::useLocaleFromEnvironment();
    platform::keepLargeAllocations();
    QApplication app(argc, argv);
    platform::Application().setTitle(QString::fromUtf16(ApplicationTitle));
    QApplication::setApplicationDisplayName(platform::Application().Title());
    TfrmAd frmAd;
    frmAd.show();

    QByteArray pending;
    QSocketNotifier commands(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&commands, &QSocketNotifier::activated, &frmAd, [&] {
        char buffer[4096];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        // The suite has gone: so does the program.
        if (count <= 0) {
            commands.setEnabled(false);
            QApplication::quit();
            return;
        }
        pending.append(buffer, qsizetype(count));
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const QString line = QString::fromUtf8(pending.left(end)).trimmed();
            pending.remove(0, end + 1);
            if (!line.isEmpty())
                runCommand(frmAd, line);
        }
    });
    return app.exec();
}
