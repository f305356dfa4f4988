// A probe that the package test loads into the installed program as a Qt
// generic plugin (QT_QPA_GENERIC_PLUGINS=kalvorprobe). The program itself
// takes no command line and has no test hooks, so the probe uses it as a
// person would: it waits for the window, presses "加密" with the mouse,
// copies the lower box's text with the keyboard, opens the program folder
// with four Tabs and Enter, and writes what it saw as JSON to the file
// named by KALVOR_PROBE_REPORT. Then it ends the program.

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QGenericPlugin>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QTimer>
#include <QUrl>

namespace {

constexpr int PollMilliseconds = 50;
constexpr int GiveUpAfterMilliseconds = 30000;

class Probe : public QObject {
    Q_OBJECT

public:
    Probe() {
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openUrl");
        connect(&poll_, &QTimer::timeout, this, &Probe::lookForTheWindow);
        poll_.start(PollMilliseconds);
    }
    ~Probe() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

public slots:
    void openUrl(const QUrl& url) { opened_.append(url.toString()); }

private:
    void lookForTheWindow() {
        waited_ += PollMilliseconds;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && window->findChild<QWidget*>(QStringLiteral("Memo2"))) {
                poll_.stop();
                useTheWindow(window);
                return;
            }
        }
        if (waited_ >= GiveUpAfterMilliseconds) {
            poll_.stop();
            finish({{"error", "no window appeared"}}, 3);
        }
    }

    void useTheWindow(QWidget* window) {
        QJsonObject report;
        report["desktopFileName"] = QGuiApplication::desktopFileName();
        report["windowTitle"] = window->windowTitle();
        report["hasIcon"] = !window->windowIcon().isNull();
        if (!QTest::qWaitForWindowActive(window)) {
            report["error"] = "the window never became active";
            finish(report, 4);
            return;
        }
        auto* encode = window->findChild<QAbstractButton*>(QStringLiteral("bsSkinButton1"));
        auto* lowerBox = window->findChild<QWidget*>(QStringLiteral("Memo2"));
        if (!encode || !lowerBox) {
            report["error"] = "the window lacks its encode button or its lower box";
            finish(report, 5);
            return;
        }
        QTest::mouseClick(encode, Qt::LeftButton);
        report["encoded"] = copiedText(lowerBox);

        // The unseen "打开目录" comes fourth after the upper box.
        window->findChild<QWidget*>(QStringLiteral("Memo1"))->setFocus();
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        report["openedFolder"] = opened_.value(0);
        finish(report, 0);
    }

    static QString copiedText(QWidget* box) {
        QGuiApplication::clipboard()->clear();
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
        return QGuiApplication::clipboard()->text();
    }

    static void finish(const QJsonObject& report, int exitCode) {
        QFile file(qEnvironmentVariable("KALVOR_PROBE_REPORT"));
        if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(report).toJson()) < 0)
            exitCode = 6;
        file.close();
        QCoreApplication::exit(exitCode);
    }

    QTimer poll_;
    int waited_ = 0;
    QStringList opened_;
};

} // namespace

class ProbePlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "PackageProbe.json")

public:
    QObject* create(const QString& key, const QString& /*parameters*/) override {
        return key.compare(QStringLiteral("kalvorprobe"), Qt::CaseInsensitive) == 0 ? new Probe
                                                                                    : nullptr;
    }
};

#include "PackageProbe.moc"
