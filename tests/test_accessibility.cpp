// The window as a screen reader reads it, through Qt's accessibility
// interfaces: the real window offscreen, every control with its role, name,
// states and actions; and the window menu and closing from the keyboard.

#include "LoopbackServer.h"
#include "OfflinePromotion.h"
#include "PictureFixtures.h"
#include "ProgramFolder.h"
#include "PromoFixtures.h"
#include "UrlCatcher.h"
#include "frame/FrameGeometry.h"
#include "window/UnitMain.h"

#include <QAccessible>
#include <QMenu>
#include <QTest>
#include <memory>
#include <optional>

namespace {

QAccessibleInterface* accessibleOf(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

// The window's part of that name; the window itself for an empty name.
QObject* partOf(TfrmAd& window, const QString& name) {
    if (name.isEmpty())
        return &window;
    return window.findChild<QObject*>(name);
}

// Every interface under the root, depth first, the root included.
QList<QAccessibleInterface*> treeOf(QAccessibleInterface* root) {
    QList<QAccessibleInterface*> all{root};
    for (int i = 0; i < root->childCount(); ++i)
        if (QAccessibleInterface* child = root->child(i))
            all += treeOf(child);
    return all;
}

QString describe(QAccessibleInterface* iface) {
    const QObject* object = iface->object();
    return QStringLiteral("%1 (%2) role %3 name \"%4\"")
        .arg(object ? object->objectName() : QString(),
             object ? QString::fromLatin1(object->metaObject()->className()) : QString())
        .arg(int(iface->role()))
        .arg(iface->text(QAccessible::Name));
}

QStringList actionsOf(QAccessibleInterface* iface) {
    QAccessibleActionInterface* actions = iface->actionInterface();
    return actions ? actions->actionNames() : QStringList();
}

enum Toggle { NoToggle, Unchecked, Checked };

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

    std::optional<testsupport::TemporaryProgramFolder> programFolder_;
    std::optional<testsupport::OfflinePromotion> promotion_;

private slots:
    void init() {
        programFolder_.emplace();
        promotion_.emplace();
        PromoShowCount = 0;
    }
    void cleanup() {
        promotion_.reset();
        programFolder_.reset();
    }

    // What each control of the window says of itself. Offline, both slots
    // show the placeholder, which links to the promotion server.
    void controls_data() {
        QTest::addColumn<QString>("part");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("toggle");
        QTest::addColumn<bool>("editable");
        QTest::addColumn<bool>("pressable");
        const QString placeholder = QStringLiteral("点击领取神秘大奖！");
        auto row = [](const char* part, QAccessible::Role role, const QString& name,
                      Toggle toggle = NoToggle, bool editable = false, bool pressable = false) {
            QTest::newRow(*part ? part : "window") << QString::fromLatin1(part) << int(role) << name
                                                   << int(toggle) << editable << pressable;
        };
        row("", QAccessible::Window, QStringLiteral("Kalvor Base64 加密解密器"));
        row("menuButton", QAccessible::Button, "Window menu", NoToggle, false, true);
        row("trayButton", QAccessible::Button, "Minimize to tray", NoToggle, false, true);
        row("minimizeButton", QAccessible::Button, "Minimize", NoToggle, false, true);
        row("rollUpButton", QAccessible::Button, "Roll up", Unchecked, false, true);
        row("maximizeButton", QAccessible::Button, "Maximize", Unchecked, false, true);
        row("closeButton", QAccessible::Button, "Close", NoToggle, false, true);
        row("bsSkinLinkLabel1", QAccessible::StaticText, QStringLiteral("原文"));
        row("Memo1", QAccessible::EditableText, QStringLiteral("原文"), NoToggle, true);
        row("bsSkinLinkLabel2", QAccessible::StaticText, QStringLiteral("明文"));
        row("Memo2", QAccessible::EditableText, QStringLiteral("明文"), NoToggle, true);
        row("bsSkinButton1", QAccessible::Button, QStringLiteral("加密"), NoToggle, false, true);
        row("bsSkinButton2", QAccessible::Button, QStringLiteral("解密"), NoToggle, false, true);
        row("btn1", QAccessible::Button, QStringLiteral("打开目录"), NoToggle, false, true);
        row("img1", QAccessible::Link, placeholder, NoToggle, false, true);
        row("img2", QAccessible::Link, placeholder, NoToggle, false, true);
        row("TopPnl", QAccessible::Grouping, QString());
        row("bsSkinPanel1", QAccessible::Grouping, QString());
        row("bsSkinPanel2", QAccessible::Grouping, QString());
        row("bsSkinPanel3", QAccessible::Grouping, QString());
        row("clientArea", QAccessible::Grouping, QString());
    }
    void controls() {
        QFETCH(QString, part);
        QFETCH(int, role);
        QFETCH(QString, name);
        QFETCH(int, toggle);
        QFETCH(bool, editable);
        QFETCH(bool, pressable);
        TfrmAd window;
        window.show();
        QObject* object = partOf(window, part);
        QVERIFY2(object, qPrintable(part));
        QAccessibleInterface* iface = accessibleOf(object);
        QVERIFY(iface);
        QCOMPARE(int(iface->role()), role);
        QCOMPARE(iface->text(QAccessible::Name), name);
        const QAccessible::State state = iface->state();
        QCOMPARE(bool(state.checkable), toggle != NoToggle);
        QCOMPARE(bool(state.checked), toggle == Checked);
        QCOMPARE(bool(state.editable), editable);
        QCOMPARE(actionsOf(iface).contains(QAccessibleActionInterface::pressAction()), pressable);
        // Reached from the window, as a screen reader walks it.
        QVERIFY(treeOf(accessibleOf(&window)).contains(iface));
    }

    // Nothing in the window is a nameless filler: every control has a
    // role of its own and a name, and only groupings go without one.
    void everyControlHasARoleAndAName() {
        TfrmAd window;
        window.show();
        for (QAccessibleInterface* iface : treeOf(accessibleOf(&window))) {
            QVERIFY2(iface->role() != QAccessible::Client && iface->role() != QAccessible::NoRole,
                     qPrintable(describe(iface)));
            if (iface->role() != QAccessible::Grouping && iface->role() != QAccessible::ScrollBar)
                QVERIFY2(!iface->text(QAccessible::Name).isEmpty(), qPrintable(describe(iface)));
            else
                QVERIFY2(iface->text(QAccessible::Name).isEmpty(), qPrintable(describe(iface)));
        }
    }

    // A heading labels the box beneath it.
    void headingsLabelTheirBoxes() {
        TfrmAd window;
        window.show();
        const std::pair<QObject*, QObject*> pairs[] = {{window.bsSkinLinkLabel1, window.Memo1},
                                                       {window.bsSkinLinkLabel2, window.Memo2}};
        for (const auto& [heading, box] : pairs) {
            const auto labelled = accessibleOf(heading)->relations(QAccessible::Labelled);
            QCOMPARE(labelled.size(), 1);
            QCOMPARE(labelled.front().first->object(), box);
        }
    }

    // The toggling buttons report their state as it changes, whether by a
    // press through the interface or by the window's own commands; the
    // press does what a click does.
    void togglesReportTheirState() {
        TfrmAd window;
        window.show();
        QAccessibleInterface* rollUp = accessibleOf(partOf(window, "rollUpButton"));
        QAccessibleInterface* maximize = accessibleOf(partOf(window, "maximizeButton"));

        rollUp->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(window.bsfrm->isRolledUp());
        QVERIFY(rollUp->state().checked);
        QCOMPARE(rollUp->text(QAccessible::Name), QStringLiteral("Roll up"));
        window.bsfrm->setRolledUp(false);
        QVERIFY(!rollUp->state().checked);

        maximize->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_VERIFY(window.bsfrm->isMaximized());
        QVERIFY(maximize->state().checked);
        window.bsfrm->restore();
        QTRY_VERIFY(!window.bsfrm->isMaximized());
        QVERIFY(!maximize->state().checked);
    }

    // A slot with a picture is named by its link, and pressing it opens the
    // link as a click does; the placeholder opens the promotion server.
    void slotsAreLinks() {
        testsupport::LoopbackServer server;
        server.start();
        testsupport::SettingsFile settings;
        server.put("/top.jpg", testsupport::jpegPicture());
        settings.set("kv64path", "fname1", server.baseUrl() + "top.jpg");
        settings.set("kv64link", "fname1", "http://promo.example/top");
        server.put("/kv64.rar", settings.content());
        promotion_->serveFrom(server.baseUrl());

        TfrmAd window;
        window.show();
        QCOMPARE(window.img1->Picture().format(), std::string("jpg"));
        QAccessibleInterface* top = accessibleOf(window.img1);
        QCOMPARE(top->text(QAccessible::Name), QStringLiteral("http://promo.example/top"));
        QCOMPARE(top->text(QAccessible::Description), QStringLiteral("http://promo.example/top"));
        QVERIFY(top->state().linked);
        QAccessibleInterface* side = accessibleOf(window.img2);
        QCOMPARE(side->text(QAccessible::Name), QStringLiteral("点击领取神秘大奖！"));
        QCOMPARE(side->text(QAccessible::Description), QString::fromLatin1(server.baseUrl()));

        testsupport::UrlCatcher catcher;
        top->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        side->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(catcher.opened, (QList<QUrl>{QUrl("http://promo.example/top"),
                                              QUrl(QString::fromStdString(server.baseUrl()))}));
    }

    // Alt+Space opens the window menu under the caption's left end with its
    // first item chosen; the arrow keys move in it, Escape closes it, Enter
    // runs the chosen item.
    void windowMenuFromTheKeyboard() {
        TfrmAd window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QMenu* menu = window.bsfrm->findChild<QMenu*>(QStringLiteral("systemMenu"));
        QVERIFY(menu);

        const QString textBefore = window.Memo1->unicodeText();
        QTest::keyClick(window.Memo1, Qt::Key_Space, Qt::AltModifier);
        QTRY_VERIFY(menu->isVisible());
        const QRect band = platform::frame::captionBandRect(window.bsfrm->size());
        QCOMPARE(menu->pos(), window.bsfrm->mapToGlobal(band.bottomLeft() + QPoint(0, 1)));
        QVERIFY(menu->activeAction());
        QCOMPARE(menu->activeAction()->text(), QStringLiteral("Minimize"));
        // The key went to the menu, not into the box.
        QCOMPARE(window.Memo1->unicodeText(), textBefore);
        QTest::keyClick(menu, Qt::Key_Escape);
        QTRY_VERIFY(!menu->isVisible());
        QVERIFY(window.isVisible());

        QTest::keyClick(window.Memo1, Qt::Key_Space, Qt::AltModifier);
        QTRY_VERIFY(menu->isVisible());
        QTest::keyClick(menu, Qt::Key_Down); // Maximize
        QCOMPARE(menu->activeAction()->text(), QStringLiteral("Maximize"));
        QTest::keyClick(menu, Qt::Key_Return);
        QTRY_VERIFY(window.bsfrm->isMaximized());
    }

    // Alt+F4 closes the window, as the window manager's key does for the
    // windows it frames.
    void altF4Closes() {
        TfrmAd window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(window.Memo1, Qt::Key_F4, Qt::AltModifier);
        QTRY_VERIFY(!window.isVisible());
    }
};

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
