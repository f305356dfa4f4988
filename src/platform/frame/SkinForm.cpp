#include "frame/SkinForm.h"

#include "frame/ClientFade.h"
#include "frame/FrameAccessible.h"
#include "frame/FrameGeometry.h"
#include "frame/FramePainter.h"
#include "frame/TrayIcon.h"
#include "frame/X11Desktop.h"
#include "skin/SkinData.h"

#include <QAccessible>
#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QWindow>
#include <algorithm>

namespace platform {

using frame::CaptionButton;
using frame::CaptionButtonKind;
using frame::Glyph;

TbsBusinessSkinForm::TbsBusinessSkinForm(QWidget* form)
    : QWidget(form)
    , form_(form) {
    Q_ASSERT(form && form->isWindow());
    form_->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    form_->setMinimumSize(form_->minimumSize().expandedTo(minimumFrameSize()));

    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);

    clientArea_ = new QWidget(this);
    clientArea_->setObjectName(QStringLiteral("clientArea"));
    clientArea_->setCursor(Qt::ArrowCursor);
    fade_ = new frame::ClientFade(look_, this);
    createCaptionButtons();

    menu_ = new frame::WindowMenu(this);
    connect(menu_, &frame::WindowMenu::commandChosen, this, &TbsBusinessSkinForm::execute);
    tray_ = new frame::TrayIcon(this);
    connect(tray_, &frame::TrayIcon::restoreRequested, this, &TbsBusinessSkinForm::restoreFromTray);
    connect(tray_, &frame::TrayIcon::closeRequested, this, &TbsBusinessSkinForm::closeFromTray);
    setUpKeyboard();
    frame::installFrameAccessibility();

    form_->installEventFilter(this);
    lower(); // anything else placed on the form lies above the frame
    layoutFrame();
    show();
}

// --- Caption buttons ------------------------------------------------------

void TbsBusinessSkinForm::createCaptionButtons() {
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        const frame::CaptionButtonEntry& entry = frame::CaptionButtonTable[i];
        buttons_[i] = new CaptionButton(entry, look_, this);
        connect(buttons_[i], &QAbstractButton::clicked, this,
                [this, kind = entry.kind] { pressCaptionButton(kind); });
    }
}

CaptionButton* TbsBusinessSkinForm::button(CaptionButtonKind kind) const {
    const auto found = std::find_if(buttons_.begin(), buttons_.end(),
                                    [kind](const CaptionButton* b) { return b->kind() == kind; });
    return *found;
}

void TbsBusinessSkinForm::pressCaptionButton(CaptionButtonKind kind) {
    switch (kind) {
    case CaptionButtonKind::Menu:
        return openSystemMenu();
    case CaptionButtonKind::Tray:
    case CaptionButtonKind::Minimize:
        return minimize();
    case CaptionButtonKind::RollUp:
        return toggleRolledUp();
    case CaptionButtonKind::Maximize:
        return toggleMaximized();
    case CaptionButtonKind::Close:
        return closeWindow();
    }
}

void TbsBusinessSkinForm::updateGlyphs() {
    button(CaptionButtonKind::Maximize)->setGlyph(isMaximized() ? Glyph::Restore : Glyph::Maximize);
    button(CaptionButtonKind::Maximize)->setOn(isMaximized());
    button(CaptionButtonKind::RollUp)->setGlyph(rolledUp_ ? Glyph::Unroll : Glyph::RollUp);
    button(CaptionButtonKind::RollUp)->setOn(rolledUp_);
}

// --- Look -----------------------------------------------------------------

void TbsBusinessSkinForm::setSkinData(const TbsSkinData* skinData) {
    look_ = skinData ? skinData->frameLook() : FrameLook{};
    repaintFrame();
}

void TbsBusinessSkinForm::repaintFrame() {
    update();
    for (CaptionButton* captionButton : buttons_)
        captionButton->update();
    fade_->update();
}

void TbsBusinessSkinForm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    frame::FrameContent content;
    content.caption = caption_;
    content.active = active_;
    content.roundedCorners = hasRoundedCorners();
    content.icon = form_->windowIcon();
    content.iconRect = captionIconRect();
    content.captionRect = captionTextRect();
    frame::paintFrame(painter, look_, size(), content);
}

// --- Size and placement ---------------------------------------------------

QSize TbsBusinessSkinForm::minimumFrameSize() const {
    return frame::minimumFrameSize(frame::CaptionButtonCount);
}

void TbsBusinessSkinForm::setClientSize(QSize size) {
    const QSize frameSize = frame::frameSizeForClient(size);
    if (rolledUp_) {
        unrolledHeight_ = frameSize.height();
        form_->resize(frameSize.width(), form_->height());
    } else {
        form_->resize(frameSize);
    }
    layoutFrame();
}

void TbsBusinessSkinForm::layoutFrame() {
    setGeometry(form_->rect());
    clientArea_->setGeometry(frame::clientRect(size()));
    fade_->setGeometry(frame::clientRect(size()));
    for (int i = 0; i < frame::CaptionButtonCount; ++i)
        buttons_[std::size_t(i)]->setGeometry(
            frame::captionButtonRect(size(), i, frame::CaptionButtonCount));
    updateMask();
    if (isClientFaded())
        fade_->setSnapshot(clientArea_->grab());
}

bool TbsBusinessSkinForm::hasRoundedCorners() const {
    return !isMaximized() && !(form_->windowState() & Qt::WindowFullScreen);
}

QRegion TbsBusinessSkinForm::windowShape() const {
    return frame::windowShape(form_->size(), hasRoundedCorners());
}

// The rounded top corners: the window shows nothing outside them. Platforms
// that draw no windows on a screen have no window shapes and would only warn.
void TbsBusinessSkinForm::updateMask() {
    static const bool shapesSupported = !QGuiApplication::platformName().contains("offscreen") &&
                                        !QGuiApplication::platformName().contains("minimal");
    if (!shapesSupported)
        return;
    if (hasRoundedCorners())
        form_->setMask(windowShape());
    else
        form_->clearMask();
}

void TbsBusinessSkinForm::centreOnScreen() {
    QScreen* screen = QGuiApplication::screenAt(form_->geometry().center());
    if (!screen)
        screen = form_->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    placedAt_ = frame::onDevicePixels(
        QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, form_->size(), area).topLeft(),
        screen->devicePixelRatio());
    form_->move(placedAt_);
}

// The window system tells Qt where a window is in its answers to requests,
// and a window manager that puts its frame around the window while Qt asks
// can make that answer the frame's place before it moved: Qt then counts
// from the wrong place until the window moves again, and opens menus, places
// pop-ups and starts drags from there. The place a window was put in is
// asked for once more when it first appears; the window manager answers with
// where the window really is.
void TbsBusinessSkinForm::settleFirstPlacement() {
    QWindow* window = form_->windowHandle();
    if (!window)
        return;
    if (window->position() != placedAt_)
        window->setPosition(placedAt_);
    // On Windows a window shown by its program takes the keyboard; so it
    // does here, also where no window manager gives it the focus.
    form_->activateWindow();
}

// A press tells exactly where the window is: the pointer's place on the
// screen less its place in the window, both from the window system. Where
// Qt counts from elsewhere, it learns the true place.
void TbsBusinessSkinForm::learnPlaceFrom(const QMouseEvent& press) {
    QWindow* window = form_->windowHandle();
    if (!window)
        return;
    const QPoint truePlace = (press.globalPosition() - press.position()).toPoint();
    // At a fractional scale the two places may round a pixel apart.
    if ((window->position() - truePlace).manhattanLength() <= 2)
        return;
    window->setPosition(truePlace);
    if (form_->pos() != truePlace)
        form_->move(truePlace);
}

// --- Caption --------------------------------------------------------------

void TbsBusinessSkinForm::setCaption(const QString& caption) {
    caption_ = caption;
    update();
    // The caption is the window's name to a screen reader.
    QAccessibleEvent named(form_, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
}

void TbsBusinessSkinForm::setShowIcon(bool show) {
    showIcon_ = show;
    update();
}

QRect TbsBusinessSkinForm::captionIconRect() const {
    return frame::captionIconRect(size(), showIcon_);
}

QRect TbsBusinessSkinForm::captionTextRect() const {
    return frame::captionTextRect(size(), showIcon_, frame::CaptionButtonCount);
}

QColor TbsBusinessSkinForm::currentCaptionTextColor() const {
    return frame::captionTextColor(look_, active_);
}

// --- Window commands ------------------------------------------------------

void TbsBusinessSkinForm::setRolledUp(bool rolledUp) {
    if (rolledUp == rolledUp_)
        return;
    if (rolledUp) {
        QRect normal = form_->geometry();
        unrollToMaximized_ = isMaximized();
        if (maximizedByFrame_) {
            normal = normalGeometry_;
            maximizedByFrame_ = false;
        } else if (unrollToMaximized_) {
            normal = form_->normalGeometry();
            form_->showNormal();
        }
        unrolledHeight_ = normal.height();
        savedMinimumHeight_ = form_->minimumHeight();
        savedMaximumHeight_ = form_->maximumHeight();
        rolledUp_ = true;
        clientArea_->hide();
        form_->setFixedHeight(frame::RolledUpHeight);
        form_->setGeometry(normal.x(), normal.y(), normal.width(), frame::RolledUpHeight);
    } else {
        rolledUp_ = false;
        form_->setMinimumHeight(savedMinimumHeight_);
        form_->setMaximumHeight(savedMaximumHeight_);
        clientArea_->show();
        // The unfolded size first, so that a window unfolding to maximized
        // is restored later to its unfolded size, not to the strip.
        form_->resize(form_->width(), unrolledHeight_);
        if (unrollToMaximized_)
            showMaximized();
    }
    unrollToMaximized_ = rolledUp && unrollToMaximized_;
    layoutFrame();
    updateGlyphs();
    updateFade();
}

void TbsBusinessSkinForm::maximize() {
    unrollToMaximized_ = false;
    setRolledUp(false);
    showMaximized();
}

bool TbsBusinessSkinForm::isMaximized() const {
    return maximizedByFrame_ || form_->isMaximized();
}

// Where no window manager acts on the request to maximize a window, the
// frame fills the screen's available area itself, and keeps the state: Qt
// reads the window's state back from the window system, which knows of no
// maximizing.
void TbsBusinessSkinForm::showMaximized() {
    if (isMaximized())
        return;
    if (frame::windowManagerRunning().value_or(true)) {
        form_->showMaximized();
        return;
    }
    QScreen* screen = form_->screen();
    if (!screen)
        return;
    normalGeometry_ = form_->geometry();
    maximizedByFrame_ = true;
    form_->setGeometry(screen->availableGeometry());
    afterStateChange();
}

void TbsBusinessSkinForm::showNormal() {
    if (!maximizedByFrame_) {
        form_->showNormal();
        return;
    }
    maximizedByFrame_ = false;
    form_->setGeometry(normalGeometry_);
    afterStateChange();
}

// Back to the normal state, also from a window rolled up while it was
// maximized.
void TbsBusinessSkinForm::restore() {
    if (rolledUp_) {
        unrollToMaximized_ = false;
        setRolledUp(false);
    } else {
        showNormal();
    }
}

void TbsBusinessSkinForm::toggleMaximized() {
    if (isMaximized() && !rolledUp_)
        showNormal();
    else
        maximize();
}

// The frame always minimizes to the notification area where there is one.
void TbsBusinessSkinForm::minimize() {
    if (ensureTrayIcon()) {
        trayHidMaximized_ = form_->isMaximized();
        form_->hide();
    } else {
        form_->showMinimized();
    }
}

void TbsBusinessSkinForm::execute(Command command) {
    switch (command) {
    case Command::Minimize:
    case Command::MinimizeToTray:
        return minimize();
    case Command::Restore:
        return restore();
    case Command::Maximize:
        return maximize();
    case Command::RollUp:
        return setRolledUp(true);
    case Command::Close:
        return closeWindow();
    }
}

// Closing asks nothing.
void TbsBusinessSkinForm::closeWindow() {
    form_->close();
}

// --- Window menu ----------------------------------------------------------

frame::WindowMenuState TbsBusinessSkinForm::menuState() const {
    const Qt::WindowStates state = form_->windowState();
    return {isMaximized(), bool(state & Qt::WindowMinimized), rolledUp_};
}

std::vector<TbsBusinessSkinForm::Command> TbsBusinessSkinForm::systemMenuCommands() const {
    return frame::windowMenuCommands(menuState());
}

QStringList TbsBusinessSkinForm::systemMenuItems() const {
    return frame::commandTexts(systemMenuCommands());
}

QMenu* TbsBusinessSkinForm::systemMenu() {
    return menu_->menu(menuState());
}

void TbsBusinessSkinForm::openSystemMenu() {
    const CaptionButton* menuButton = button(CaptionButtonKind::Menu);
    menu_->popup(menuButton->mapToGlobal(QPoint(0, menuButton->height())), menuState());
}

void TbsBusinessSkinForm::openSystemMenuFromKeyboard() {
    // Under the caption's left end, with its first item chosen, as a window
    // manager opens the window menu of the windows it frames.
    const QRect band = frame::captionBandRect(size());
    QMenu* menu = menu_->menu(menuState());
    menu->popup(mapToGlobal(band.bottomLeft() + QPoint(0, 1)));
    if (!menu->actions().isEmpty())
        menu->setActiveAction(menu->actions().constFirst());
}

// The window manager's keys for a window it frames, which a frameless
// window must answer itself: Alt+Space, the window menu; Alt+F4, close.
void TbsBusinessSkinForm::setUpKeyboard() {
    auto* menuKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), form_);
    connect(menuKey, &QShortcut::activated, this, &TbsBusinessSkinForm::openSystemMenuFromKeyboard);
    auto* closeKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F4), form_);
    connect(closeKey, &QShortcut::activated, this, &TbsBusinessSkinForm::closeWindow);
}

// --- State changes --------------------------------------------------------

bool TbsBusinessSkinForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched != form_) {
        if (watched == form_->windowHandle())
            watchWindowEvent(event);
        return QWidget::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::Resize:
        layoutFrame();
        break;
    case QEvent::Show:
        watchWindow();
        // Sent before the window appears, so it never shows at its old place.
        if (!placed_) {
            placed_ = true;
            centreOnScreen();
        }
        ensureTrayIcon();
        break;
    case QEvent::WindowStateChange:
        // Maximized by the window system: a rolled-up window unfolds first.
        if (rolledUp_ && form_->isMaximized())
            setRolledUp(false);
        afterStateChange();
        break;
    case QEvent::WindowActivate:
        setActive(true);
        break;
    case QEvent::WindowDeactivate:
        setActive(false);
        break;
    case QEvent::ActivationChange:
        setActive(form_->isActiveWindow());
        break;
    case QEvent::WindowIconChange:
        update(captionIconRect());
        ensureTrayIcon();
        break;
    case QEvent::WindowTitleChange:
        tray_->setToolTip(form_->windowTitle());
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TbsBusinessSkinForm::watchWindow() {
    QWindow* window = form_->windowHandle();
    if (!window || window == watchedWindow_)
        return;
    watchedWindow_ = window;
    window->installEventFilter(this);
}

// Sees the window's events before any of its widgets does.
void TbsBusinessSkinForm::watchWindowEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::Expose:
        if (!exposed_ && form_->windowHandle()->isExposed()) {
            exposed_ = true;
            settleFirstPlacement();
        }
        break;
    case QEvent::MouseButtonPress:
        if (event->spontaneous())
            learnPlaceFrom(*static_cast<QMouseEvent*>(event));
        break;
    default:
        break;
    }
}

void TbsBusinessSkinForm::afterStateChange() {
    updateMask();
    updateGlyphs();
    update();
}

void TbsBusinessSkinForm::setActive(bool active) {
    if (active_ == active)
        return;
    active_ = active;
    for (CaptionButton* captionButton : buttons_)
        captionButton->setFrameActive(active);
    updateFade();
    repaintFrame();
}

void TbsBusinessSkinForm::setClientInactiveEffect(bool on) {
    clientInactiveEffect_ = on;
    updateFade();
}

bool TbsBusinessSkinForm::isClientFaded() const {
    return fade_->isCovering();
}

void TbsBusinessSkinForm::updateFade() {
    const bool fade = clientInactiveEffect_ && !active_ && !rolledUp_;
    if (fade == isClientFaded())
        return;
    if (!fade) {
        fade_->uncover();
        return;
    }
    fade_->cover(frame::clientRect(size()), clientArea_->grab());
    // The window is deactivated before its focused control loses the focus
    // and hides its caret: the picture is taken again once that is done, so
    // that no caret stands still in it.
    QTimer::singleShot(0, this, [this] {
        if (isClientFaded())
            fade_->setSnapshot(clientArea_->grab());
    });
}

// --- Notification area ----------------------------------------------------

bool TbsBusinessSkinForm::hasTrayIcon() const {
    return tray_->isShown();
}

// The icon stays in the notification area from the first showing on. It
// needs the window's icon, which the form may get after the frame is made.
bool TbsBusinessSkinForm::ensureTrayIcon() {
    return tray_->show(form_->windowIcon(), form_->windowTitle());
}

void TbsBusinessSkinForm::restoreFromTray() {
    if (trayHidMaximized_ && form_->isHidden())
        form_->showMaximized();
    else
        form_->showNormal();
    trayHidMaximized_ = false;
    form_->raise();
    form_->activateWindow();
}

// Qt ends the program when its last visible window closes, but a window
// hidden in the notification area is no longer visible; the same rule applies here.
void TbsBusinessSkinForm::closeFromTray() {
    const bool wasHidden = form_->isHidden();
    if (!form_->close() || !wasHidden)
        return;
    if (!QApplication::quitOnLastWindowClosed() || !form_->testAttribute(Qt::WA_QuitOnClose))
        return;
    const QWidgetList windows = QApplication::topLevelWidgets();
    const bool othersShown = std::any_of(windows.begin(), windows.end(), [](QWidget* window) {
        return window->isVisible() && window->testAttribute(Qt::WA_QuitOnClose) &&
               window->windowType() != Qt::Popup;
    });
    if (!othersShown)
        QCoreApplication::quit();
}

// --- Moving and resizing with the mouse -----------------------------------

Qt::Edges TbsBusinessSkinForm::resizeEdgesAt(QPoint pos) const {
    const bool resizable =
        !isMaximized() && !(form_->windowState() & (Qt::WindowMinimized | Qt::WindowFullScreen));
    return frame::resizeEdgesAt(size(), pos, resizable, rolledUp_);
}

void TbsBusinessSkinForm::updateCursor(Qt::Edges edges) {
    if (edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge))
        setCursor(Qt::SizeFDiagCursor);
    else if (edges == (Qt::RightEdge | Qt::TopEdge) || edges == (Qt::LeftEdge | Qt::BottomEdge))
        setCursor(Qt::SizeBDiagCursor);
    else if (edges & (Qt::LeftEdge | Qt::RightEdge))
        setCursor(Qt::SizeHorCursor);
    else if (edges & (Qt::TopEdge | Qt::BottomEdge))
        setCursor(Qt::SizeVerCursor);
    else
        unsetCursor();
}

// The frame moves and resizes the window itself, rather than handing the
// drag to the window manager: the window then follows the pointer exactly,
// from the first pixel on, and no window manager snaps it to the screen's
// edges. The drag counts from where the press says the window is.
void TbsBusinessSkinForm::startDrag(QPoint pos, QPoint globalPos) {
    const QRect start(globalPos - mapTo(form_, pos), form_->size());
    drag_ = Drag{Drag::Mode::None, resizeEdgesAt(pos), globalPos, start};
    if (drag_.edges) {
        drag_.mode = Drag::Mode::Resize;
    } else if (frame::captionBandRect(size()).contains(pos)) {
        // The move starts once the mouse moves, so that a double click still
        // reaches the caption.
        drag_.mode = Drag::Mode::PendingMove;
    }
}

void TbsBusinessSkinForm::continueDrag(QPoint globalPos) {
    const QPoint delta = globalPos - drag_.pressGlobal;
    switch (drag_.mode) {
    case Drag::Mode::PendingMove:
        if (delta.manhattanLength() < QApplication::startDragDistance() || isMaximized())
            break;
        // From here on the window keeps the pointer where it was pressed.
        drag_.mode = Drag::Mode::Move;
        [[fallthrough]];
    case Drag::Mode::Move:
        form_->move(frame::onDevicePixels(drag_.startGeometry.topLeft() + delta,
                                          form_->devicePixelRatioF()));
        break;
    case Drag::Mode::Resize: {
        QRect geometry = frame::resizedGeometry(drag_.startGeometry, drag_.edges, delta,
                                                form_->minimumSize().expandedTo(minimumFrameSize()),
                                                form_->maximumSize());
        geometry.moveTopLeft(frame::onDevicePixels(geometry.topLeft(), form_->devicePixelRatioF()));
        form_->setGeometry(geometry);
        break;
    }
    case Drag::Mode::None:
        break;
    }
}

void TbsBusinessSkinForm::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    startDrag(event->position().toPoint(), event->globalPosition().toPoint());
    event->accept();
}

void TbsBusinessSkinForm::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || drag_.mode == Drag::Mode::None) {
        updateCursor(resizeEdgesAt(event->position().toPoint()));
        return;
    }
    continueDrag(event->globalPosition().toPoint());
}

void TbsBusinessSkinForm::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        drag_.mode = Drag::Mode::None;
    QWidget::mouseReleaseEvent(event);
}

void TbsBusinessSkinForm::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton && frame::captionBandRect(size()).contains(pos) &&
        !resizeEdgesAt(pos)) {
        drag_.mode = Drag::Mode::None;
        toggleMaximized();
    }
}

void TbsBusinessSkinForm::leaveEvent(QEvent* event) {
    if (drag_.mode == Drag::Mode::None)
        unsetCursor();
    QWidget::leaveEvent(event);
}

} // namespace platform
