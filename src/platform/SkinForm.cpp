#include "SkinForm.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QWindow>
#include <algorithm>
#include <span>

namespace platform {

namespace {

// How many pixels each row of a rounded top corner leaves out, from the top row down.
constexpr int CornerCuts[] = {4, 2, 1, 1};
// Along an edge, a grip this far from a corner resizes both ways.
constexpr int CornerGrip = 12;
constexpr int ButtonSpacing = 2;
constexpr int CaptionPadding = 4;
constexpr int IconSize = 16;
constexpr int GlyphSize = 9;

} // namespace

// A caption button. It paints through its frame, which holds the skin's colours.
class SkinCaptionButton : public QAbstractButton {
public:
    SkinCaptionButton(TbsBusinessSkinForm::Glyph glyph, TbsBusinessSkinForm* frame)
        : QAbstractButton(frame)
        , frame_(frame)
        , glyph_(glyph) {
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_Hover);
        // Children take their parent's cursor; the frame's shows resize arrows.
        setCursor(Qt::ArrowCursor);
        resize(TbsBusinessSkinForm::ButtonSize);
    }

    void setGlyph(TbsBusinessSkinForm::Glyph glyph) {
        if (glyph_ != glyph) {
            glyph_ = glyph;
            update();
        }
    }
    QSize sizeHint() const override { return TbsBusinessSkinForm::ButtonSize; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        frame_->paintCaptionButton(painter, rect(), glyph_, underMouse(), isDown());
    }

private:
    TbsBusinessSkinForm* frame_;
    TbsBusinessSkinForm::Glyph glyph_;
};

// Lies over the client area while the window is inactive: a snapshot of the
// client area, faded. Clicks go through to the widgets beneath.
class SkinClientFade : public QWidget {
public:
    explicit SkinClientFade(TbsBusinessSkinForm* frame)
        : QWidget(frame)
        , frame_(frame) {
        setObjectName("clientFade");
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }
    void setSnapshot(const QPixmap& snapshot) {
        snapshot_ = snapshot;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        frame_->paintClientFade(painter, rect(), snapshot_);
    }

private:
    TbsBusinessSkinForm* frame_;
    QPixmap snapshot_;
};

TbsBusinessSkinForm::TbsBusinessSkinForm(QWidget* form)
    : QWidget(form)
    , form_(form) {
    Q_ASSERT(form && form->isWindow());
    form_->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    form_->setMinimumSize(form_->minimumSize().expandedTo(minimumFrameSize()));

    captionFont_ = QFont("Arial");
    captionFont_.setPixelSize(16);
    captionFont_.setBold(true);

    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);

    clientArea_ = new QWidget(this);
    clientArea_->setObjectName("clientArea");
    clientArea_->setCursor(Qt::ArrowCursor);
    fade_ = new SkinClientFade(this);

    // Left to right in the caption bar; laid out from the right edge.
    menuButton_ = addButton(Glyph::Menu, "menuButton", &TbsBusinessSkinForm::openSystemMenu);
    trayButton_ = addButton(Glyph::Tray, "trayButton", &TbsBusinessSkinForm::minimize);
    minimizeButton_ = addButton(Glyph::Minimize, "minimizeButton", &TbsBusinessSkinForm::minimize);
    rollUpButton_ = addButton(Glyph::RollUp, "rollUpButton", &TbsBusinessSkinForm::toggleRolledUp);
    maximizeButton_ =
        addButton(Glyph::Maximize, "maximizeButton", &TbsBusinessSkinForm::toggleMaximized);
    closeButton_ = addButton(Glyph::Close, "closeButton", &TbsBusinessSkinForm::closeWindow);

    systemMenu_ = new QMenu(this);
    systemMenu_->setObjectName("systemMenu");

    connect(this, &TbsBusinessSkinForm::lookChanged, this, &TbsBusinessSkinForm::repaintFrame);

    form_->installEventFilter(this);
    lower(); // anything else placed on the form lies above the frame
    layoutFrame();
    show();
}

std::array<SkinCaptionButton*, 6> TbsBusinessSkinForm::captionButtons() const {
    return {menuButton_,   trayButton_,     minimizeButton_,
            rollUpButton_, maximizeButton_, closeButton_};
}

SkinCaptionButton* TbsBusinessSkinForm::addButton(Glyph glyph, const char* name,
                                                  void (TbsBusinessSkinForm::*slot)()) {
    auto* button = new SkinCaptionButton(glyph, this);
    button->setObjectName(name);
    connect(button, &QAbstractButton::clicked, this, slot);
    return button;
}

// --- Size and placement ---------------------------------------------------

QSize TbsBusinessSkinForm::minimumFrameSize() const {
    const int buttons = 6 * ButtonSize.width() + 5 * ButtonSpacing;
    return {2 * BorderWidth + buttons + 4 * CaptionPadding, rolledUpHeight()};
}

void TbsBusinessSkinForm::setClientSize(QSize size) {
    const int width = size.width() + 2 * BorderWidth;
    const int height = size.height() + CaptionHeight + BorderWidth;
    if (rolledUp_) {
        unrolledHeight_ = height;
        form_->resize(width, form_->height());
    } else {
        form_->resize(width, height);
    }
    layoutFrame();
}

QRect TbsBusinessSkinForm::clientRect() const {
    return QRect(BorderWidth, CaptionHeight, width() - 2 * BorderWidth,
                 std::max(0, height() - CaptionHeight - BorderWidth));
}

QRect TbsBusinessSkinForm::captionBandRect() const {
    return QRect(1, 1, width() - 2, CaptionHeight - 2);
}

void TbsBusinessSkinForm::layoutFrame() {
    setGeometry(form_->rect());
    clientArea_->setGeometry(clientRect());
    fade_->setGeometry(clientRect());

    const int top = 1 + (CaptionHeight - 2 - ButtonSize.height()) / 2;
    const auto buttons = captionButtons();
    int left = width() - BorderWidth - ButtonSize.width();
    for (auto button = buttons.rbegin(); button != buttons.rend(); ++button) {
        (*button)->move(left, top);
        left -= ButtonSize.width() + ButtonSpacing;
    }
    updateMask();
    if (isClientFaded())
        fade_->setSnapshot(clientArea_->grab());
}

bool TbsBusinessSkinForm::hasRoundedCorners() const {
    return !(form_->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen));
}

QRegion TbsBusinessSkinForm::windowShape() const {
    QRegion shape(form_->rect());
    if (!hasRoundedCorners())
        return shape;
    const int width = form_->width();
    for (int row = 0; row < int(std::size(CornerCuts)); ++row) {
        const int cut = CornerCuts[row];
        shape -= QRegion(0, row, cut, 1);
        shape -= QRegion(width - cut, row, cut, 1);
    }
    return shape;
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
    form_->move(
        QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, form_->size(), area).topLeft());
}

// --- Caption --------------------------------------------------------------

void TbsBusinessSkinForm::setCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void TbsBusinessSkinForm::setShowIcon(bool show) {
    showIcon_ = show;
    update();
}

QRect TbsBusinessSkinForm::captionIconRect() const {
    if (!showIcon_)
        return {};
    const QRect band = captionBandRect();
    return QRect(BorderWidth + CaptionPadding, band.top() + (band.height() - IconSize) / 2,
                 IconSize, IconSize);
}

QRect TbsBusinessSkinForm::captionTextRect() const {
    const QRect band = captionBandRect();
    const QRect icon = captionIconRect();
    const int left =
        icon.isEmpty() ? BorderWidth + CaptionPadding : icon.right() + 1 + CaptionPadding;
    const int right = menuButton_->x() - CaptionPadding;
    return QRect(QPoint(left, band.top()), QPoint(std::max(left, right), band.bottom()));
}

QColor TbsBusinessSkinForm::currentCaptionTextColor() const {
    return active_ ? captionTextColor_ : captionInactiveTextColor_;
}

// --- Window commands ------------------------------------------------------

void TbsBusinessSkinForm::setRolledUp(bool rolledUp) {
    if (rolledUp == rolledUp_)
        return;
    if (rolledUp) {
        QRect normal = form_->geometry();
        unrollToMaximized_ = form_->isMaximized();
        if (unrollToMaximized_) {
            normal = form_->normalGeometry();
            form_->showNormal();
        }
        unrolledHeight_ = normal.height();
        savedMinimumHeight_ = form_->minimumHeight();
        savedMaximumHeight_ = form_->maximumHeight();
        rolledUp_ = true;
        clientArea_->hide();
        form_->setFixedHeight(rolledUpHeight());
        form_->setGeometry(normal.x(), normal.y(), normal.width(), rolledUpHeight());
    } else {
        rolledUp_ = false;
        form_->setMinimumHeight(savedMinimumHeight_);
        form_->setMaximumHeight(savedMaximumHeight_);
        clientArea_->show();
        if (unrollToMaximized_ || form_->isMaximized())
            form_->showMaximized();
        else
            form_->resize(form_->width(), unrolledHeight_);
    }
    unrollToMaximized_ = rolledUp && unrollToMaximized_;
    layoutFrame();
    updateGlyphs();
    updateFade();
}

void TbsBusinessSkinForm::maximize() {
    unrollToMaximized_ = false;
    setRolledUp(false);
    form_->showMaximized();
}

void TbsBusinessSkinForm::restore() {
    if (rolledUp_)
        setRolledUp(false);
    else
        form_->showNormal();
}

void TbsBusinessSkinForm::toggleMaximized() {
    if (form_->isMaximized() && !rolledUp_)
        form_->showNormal();
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
        minimize();
        break;
    case Command::Restore:
        restore();
        break;
    case Command::Maximize:
        maximize();
        break;
    case Command::RollUp:
        setRolledUp(true);
        break;
    case Command::Close:
        closeWindow();
        break;
    }
}

// Closing asks nothing.
void TbsBusinessSkinForm::closeWindow() {
    form_->close();
}

// --- Window menu ----------------------------------------------------------

std::vector<TbsBusinessSkinForm::Command> TbsBusinessSkinForm::systemMenuCommands() const {
    const Qt::WindowStates state = form_->windowState();
    const bool maximized = state & Qt::WindowMaximized;
    const bool minimized = state & Qt::WindowMinimized;
    std::vector<Command> commands{Command::Minimize};
    if (maximized || rolledUp_)
        commands.push_back(Command::Restore);
    if (!maximized)
        commands.push_back(Command::Maximize);
    if (!rolledUp_ && !minimized)
        commands.push_back(Command::RollUp);
    commands.push_back(Command::MinimizeToTray);
    commands.push_back(Command::Close);
    return commands;
}

QString TbsBusinessSkinForm::commandText(Command command) {
    switch (command) {
    case Command::Minimize:
        return QStringLiteral("Minimize");
    case Command::Restore:
        return QStringLiteral("Restore");
    case Command::Maximize:
        return QStringLiteral("Maximize");
    case Command::RollUp:
        return QStringLiteral("Roll up");
    case Command::MinimizeToTray:
        return QStringLiteral("Minimize to tray");
    case Command::Close:
        return QStringLiteral("Close");
    }
    return {};
}

QStringList TbsBusinessSkinForm::systemMenuItems() const {
    QStringList items;
    for (Command command : systemMenuCommands())
        items << commandText(command);
    return items;
}

QMenu* TbsBusinessSkinForm::systemMenu() {
    systemMenu_->clear();
    for (Command command : systemMenuCommands()) {
        if (command == Command::Close)
            systemMenu_->addSeparator();
        QAction* action = systemMenu_->addAction(commandText(command));
        // Queued: the menu closes before the window changes under it.
        connect(
            action, &QAction::triggered, this, [this, command] { execute(command); },
            Qt::QueuedConnection);
    }
    return systemMenu_;
}

void TbsBusinessSkinForm::openSystemMenu() {
    systemMenu()->popup(menuButton_->mapToGlobal(QPoint(0, menuButton_->height())));
}

// --- State changes --------------------------------------------------------

bool TbsBusinessSkinForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched != form_)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Resize:
        layoutFrame();
        break;
    case QEvent::Show:
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
        updateMask();
        updateGlyphs();
        update();
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
        if (trayIcon_)
            trayIcon_->setIcon(form_->windowIcon());
        ensureTrayIcon();
        break;
    case QEvent::WindowTitleChange:
        if (trayIcon_)
            trayIcon_->setToolTip(form_->windowTitle());
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TbsBusinessSkinForm::updateGlyphs() {
    maximizeButton_->setGlyph(form_->isMaximized() ? Glyph::Restore : Glyph::Maximize);
    rollUpButton_->setGlyph(rolledUp_ ? Glyph::Unroll : Glyph::RollUp);
}

void TbsBusinessSkinForm::setActive(bool active) {
    if (active_ == active)
        return;
    active_ = active;
    updateFade();
    repaintFrame();
}

void TbsBusinessSkinForm::repaintFrame() {
    update();
    for (SkinCaptionButton* button : captionButtons())
        button->update();
    fade_->update();
}

void TbsBusinessSkinForm::setClientInactiveEffect(bool on) {
    clientInactiveEffect_ = on;
    updateFade();
}

bool TbsBusinessSkinForm::isClientFaded() const {
    return !fade_->isHidden();
}

void TbsBusinessSkinForm::updateFade() {
    const bool fade = clientInactiveEffect_ && !active_ && !rolledUp_;
    if (fade == isClientFaded())
        return;
    if (fade) {
        fade_->setSnapshot(clientArea_->grab());
        fade_->setGeometry(clientRect());
        fade_->raise();
        fade_->show();
    } else {
        fade_->hide();
        fade_->setSnapshot({});
    }
}

// --- Notification area ----------------------------------------------------

bool TbsBusinessSkinForm::hasTrayIcon() const {
    return trayIcon_ && trayIcon_->isVisible();
}

// The icon stays in the notification area from the first showing on. It
// needs the window's icon, which the form may get after the frame is made.
bool TbsBusinessSkinForm::ensureTrayIcon() {
    if (hasTrayIcon())
        return true;
    if (!QSystemTrayIcon::isSystemTrayAvailable() || form_->windowIcon().isNull())
        return false;
    if (!trayIcon_) {
        trayIcon_ = new QSystemTrayIcon(this);
        connect(trayIcon_, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger ||
                        reason == QSystemTrayIcon::DoubleClick)
                        restoreFromTray();
                });
        // Without a way back from the notification area the window could not be closed.
        auto* menu = new QMenu(this);
        menu->setObjectName("trayMenu");
        menu->addAction(commandText(Command::Restore), this, &TbsBusinessSkinForm::restoreFromTray);
        menu->addSeparator();
        menu->addAction(commandText(Command::Close), this, &TbsBusinessSkinForm::closeFromTray);
        trayIcon_->setContextMenu(menu);
    }
    trayIcon_->setIcon(form_->windowIcon());
    trayIcon_->setToolTip(form_->windowTitle());
    trayIcon_->show();
    return hasTrayIcon();
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
    if (form_->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))
        return {};
    if (!rect().contains(pos))
        return {};
    const bool nearLeft = pos.x() < BorderWidth;
    const bool nearRight = pos.x() >= width() - BorderWidth;
    const bool nearTop = pos.y() < BorderWidth;
    const bool nearBottom = pos.y() >= height() - BorderWidth;
    Qt::Edges edges;
    if (nearLeft || nearRight) {
        edges |= nearLeft ? Qt::LeftEdge : Qt::RightEdge;
        if (pos.y() < CornerGrip)
            edges |= Qt::TopEdge;
        else if (pos.y() >= height() - CornerGrip)
            edges |= Qt::BottomEdge;
    }
    if (nearTop || nearBottom) {
        edges |= nearTop ? Qt::TopEdge : Qt::BottomEdge;
        if (pos.x() < CornerGrip)
            edges |= Qt::LeftEdge;
        else if (pos.x() >= width() - CornerGrip)
            edges |= Qt::RightEdge;
    }
    if (rolledUp_)
        edges &= ~(Qt::TopEdge | Qt::BottomEdge);
    return edges;
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

QRect TbsBusinessSkinForm::resizedGeometry(const Drag& drag, QPoint delta) const {
    const QRect& start = drag.startGeometry;
    int width = start.width();
    int height = start.height();
    if (drag.edges & Qt::LeftEdge)
        width -= delta.x();
    if (drag.edges & Qt::RightEdge)
        width += delta.x();
    if (drag.edges & Qt::TopEdge)
        height -= delta.y();
    if (drag.edges & Qt::BottomEdge)
        height += delta.y();
    const QSize minimum = form_->minimumSize().expandedTo(minimumFrameSize());
    const QSize maximum = form_->maximumSize().expandedTo(minimum);
    width = std::clamp(width, minimum.width(), maximum.width());
    height = std::clamp(height, minimum.height(), maximum.height());

    QRect geometry = start;
    if (drag.edges & Qt::LeftEdge)
        geometry.setLeft(start.right() + 1 - width);
    else
        geometry.setWidth(width);
    if (drag.edges & Qt::TopEdge)
        geometry.setTop(start.bottom() + 1 - height);
    else
        geometry.setHeight(height);
    return geometry;
}

void TbsBusinessSkinForm::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    drag_ = Drag{Drag::Mode::None, resizeEdgesAt(pos), event->globalPosition().toPoint(),
                 form_->geometry()};
    QWindow* window = form_->windowHandle();
    if (drag_.edges) {
        if (!window || !window->startSystemResize(drag_.edges))
            drag_.mode = Drag::Mode::Resize;
    } else if (captionBandRect().contains(pos)) {
        // The move starts once the mouse moves, so that a double click still
        // reaches the caption.
        drag_.mode = Drag::Mode::PendingMove;
    }
    event->accept();
}

void TbsBusinessSkinForm::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || drag_.mode == Drag::Mode::None) {
        updateCursor(resizeEdgesAt(event->position().toPoint()));
        return;
    }
    const QPoint delta = event->globalPosition().toPoint() - drag_.pressGlobal;
    switch (drag_.mode) {
    case Drag::Mode::PendingMove:
        if (delta.manhattanLength() < QApplication::startDragDistance() || form_->isMaximized())
            break;
        if (QWindow* window = form_->windowHandle(); window && window->startSystemMove()) {
            drag_.mode = Drag::Mode::None;
            break;
        }
        drag_.mode = Drag::Mode::Move;
        [[fallthrough]];
    case Drag::Mode::Move:
        form_->move(drag_.startGeometry.topLeft() + delta);
        break;
    case Drag::Mode::Resize:
        form_->setGeometry(resizedGeometry(drag_, delta));
        break;
    case Drag::Mode::None:
        break;
    }
}

void TbsBusinessSkinForm::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        drag_.mode = Drag::Mode::None;
    QWidget::mouseReleaseEvent(event);
}

void TbsBusinessSkinForm::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton && captionBandRect().contains(pos) &&
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

// --- Painting -------------------------------------------------------------

void TbsBusinessSkinForm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), faceColor_);
    paintCaptionBand(painter);
    paintOutline(painter);
    paintCaption(painter);
}

void TbsBusinessSkinForm::paintCaptionBand(QPainter& painter) const {
    const QRect band = captionBandRect();
    QLinearGradient shade(band.topLeft(), band.bottomLeft());
    shade.setColorAt(0, captionTopColor_);
    shade.setColorAt(1, captionBottomColor_);
    painter.fillRect(band, shade);
}

// A one-pixel line around the window, stepping round the top corners.
void TbsBusinessSkinForm::paintOutline(QPainter& painter) const {
    const std::span<const int> cuts =
        hasRoundedCorners() ? std::span<const int>(CornerCuts) : std::span<const int>();
    const int right = width() - 1;
    const int bottom = height() - 1;
    painter.setPen(outlineColor_);
    int previousCut = cuts.empty() ? 0 : cuts[0];
    painter.drawLine(previousCut, 0, right - previousCut, 0);
    for (int row = 1; row < int(cuts.size()); ++row) {
        const int cut = cuts[row];
        const int end = std::max(cut, previousCut - 1);
        painter.drawLine(cut, row, end, row);
        painter.drawLine(right - end, row, right - cut, row);
        previousCut = cut;
    }
    const int sidesTop = int(cuts.size());
    painter.drawLine(0, sidesTop, 0, bottom);
    painter.drawLine(right, sidesTop, right, bottom);
    painter.drawLine(0, bottom, right, bottom);
}

void TbsBusinessSkinForm::paintCaption(QPainter& painter) const {
    if (showIcon_)
        form_->windowIcon().paint(&painter, captionIconRect());
    const QRect area = captionTextRect();
    painter.setFont(captionFont_);
    const QString text = painter.fontMetrics().elidedText(caption_, Qt::ElideRight, area.width());
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    painter.setPen(captionShadowColor_);
    painter.drawText(area.translated(1, 1), flags, text);
    painter.setPen(currentCaptionTextColor());
    painter.drawText(area, flags, text);
}

void TbsBusinessSkinForm::paintCaptionButton(QPainter& painter, QRect rect, Glyph glyph,
                                             bool hovered, bool pressed) const {
    painter.setRenderHint(QPainter::Antialiasing);
    if (hovered || pressed) {
        QLinearGradient fill(rect.topLeft(), rect.bottomLeft());
        fill.setColorAt(0, pressed ? buttonPressedTopColor_ : buttonHoverTopColor_);
        fill.setColorAt(1, pressed ? buttonPressedBottomColor_ : buttonHoverBottomColor_);
        painter.setPen(buttonOutlineColor_);
        painter.setBrush(fill);
        painter.drawRoundedRect(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    }
    QRect box(0, 0, GlyphSize, GlyphSize);
    box.moveCenter(rect.center());
    if (pressed)
        box.translate(1, 1);
    // A lit button keeps its glyph readable while the window is inactive.
    paintGlyph(painter, box, glyph,
               hovered || pressed ? captionTextColor_ : currentCaptionTextColor());
}

void TbsBusinessSkinForm::paintGlyph(QPainter& painter, QRect box, Glyph glyph,
                                     const QColor& colour) const {
    const QRectF area(box);
    painter.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    switch (glyph) {
    case Glyph::Menu:
        for (int row = 1; row < GlyphSize; row += 3)
            painter.fillRect(box.left(), box.top() + row, GlyphSize, 2, colour);
        break;
    case Glyph::Tray: {
        const QRect square(box.right() - 3, box.bottom() - 3, 4, 4);
        painter.fillRect(square, colour);
        painter.drawLine(QPointF(area.left() + 1, area.top() + 1),
                         QPointF(square.left() - 1, square.top() - 1));
        break;
    }
    case Glyph::Minimize:
        painter.fillRect(box.left(), box.bottom() - 1, GlyphSize, 2, colour);
        break;
    case Glyph::RollUp:
    case Glyph::Unroll: {
        const bool up = glyph == Glyph::RollUp;
        const qreal tip = up ? area.top() + 2 : area.bottom() - 2;
        const qreal base = up ? area.bottom() - 2 : area.top() + 2;
        painter.drawPolyline(
            QPolygonF({QPointF(area.left() + 0.5, base), QPointF(area.center().x(), tip),
                       QPointF(area.right() - 0.5, base)}));
        break;
    }
    case Glyph::Maximize:
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(colour);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.fillRect(box.left(), box.top(), GlyphSize, 2, colour);
        break;
    case Glyph::Restore: {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(colour);
        const QRect back(box.left() + 3, box.top(), 6, 6);
        const QRect front(box.left(), box.top() + 3, 6, 6);
        // The window behind shows only where the front one leaves room.
        painter.setClipRegion(QRegion(box) - QRegion(front));
        painter.drawRect(back.adjusted(0, 0, -1, -1));
        painter.fillRect(back.left(), back.top(), back.width(), 2, colour);
        painter.setClipping(false);
        painter.drawRect(front.adjusted(0, 0, -1, -1));
        painter.fillRect(front.left(), front.top(), front.width(), 2, colour);
        break;
    }
    case Glyph::Close:
        painter.drawLine(area.topLeft() + QPointF(1, 1), area.bottomRight() - QPointF(1, 1));
        painter.drawLine(area.topRight() + QPointF(-1, 1), area.bottomLeft() + QPointF(1, -1));
        break;
    }
}

void TbsBusinessSkinForm::paintClientFade(QPainter& painter, QRect rect,
                                          const QPixmap& snapshot) const {
    painter.drawPixmap(0, 0, snapshot);
    QColor veil = fadeColor_;
    veil.setAlpha(FadeAlpha);
    painter.fillRect(rect, veil);
}

} // namespace platform
