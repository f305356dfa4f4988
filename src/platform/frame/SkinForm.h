#pragma once

// A skinned window frame: takes over the frame of a top-level widget and
// draws its own caption bar, border and caption buttons in its place.
//
// The frame is a child widget that covers the whole form. Everything the form
// shows goes into clientArea(), the part inside the caption bar and border.
// Besides the usual move, resize, maximize and minimize the frame can roll the
// window up to its caption bar, fades the client area while another window is
// active, and keeps an icon in the notification area where the desktop has one.
// It paints with the look of its skin data (the skin palette's until one is
// set).

#include "frame/CaptionButtons.h"
#include "frame/WindowMenu.h"
#include "skin/SkinLook.h"

#include <QRect>
#include <QRegion>
#include <QStringList>
#include <QWidget>
#include <array>
#include <vector>

class QMenu;
class QMouseEvent;
class QWindow;

namespace platform {

class TbsSkinData;

namespace frame {
class ClientFade;
class TrayIcon;
} // namespace frame

class TbsBusinessSkinForm : public QWidget {
    Q_OBJECT

public:
    using Command = frame::WindowCommand;

    // Takes over the frame of the top-level widget form and becomes its child.
    explicit TbsBusinessSkinForm(QWidget* form);

    QWidget* form() const { return form_; }
    // The parent for everything the form shows.
    QWidget* clientArea() const { return clientArea_; }
    // Sizes the form so that the client area is exactly this size.
    void setClientSize(QSize size);

    // Takes its look from the skin data's selected skin.
    void setSkinData(const TbsSkinData* skinData);
    const FrameLook& look() const { return look_; }

    QString caption() const { return caption_; }
    void setCaption(const QString& caption);

    // Whether the window's icon is drawn at the left of the caption bar.
    bool showIcon() const { return showIcon_; }
    void setShowIcon(bool show);

    // Where the caption text and the caption icon are drawn, in frame
    // coordinates; the icon's rectangle is empty while no icon is shown.
    QRect captionTextRect() const;
    QRect captionIconRect() const;
    // The colour the caption is drawn in now: active or inactive.
    QColor currentCaptionTextColor() const;

    // Folds the window up to its caption bar, or unfolds it to its former size.
    bool isRolledUp() const { return rolledUp_; }
    void setRolledUp(bool rolledUp);

    // Whether the client area fades while another window is active.
    bool clientInactiveEffect() const { return clientInactiveEffect_; }
    void setClientInactiveEffect(bool on);
    bool isActive() const { return active_; }
    bool isClientFaded() const;

    // The window menu's items for the window's present state, top to bottom.
    std::vector<Command> systemMenuCommands() const;
    QStringList systemMenuItems() const;
    // The window menu, filled for the present state; the frame owns it.
    QMenu* systemMenu();
    void execute(Command command);

    // The window commands behind the caption buttons.
    void minimize();
    void toggleMaximized();
    void maximize();
    void restore();
    // Maximized by the window manager, or by the frame where none runs.
    bool isMaximized() const;
    void toggleRolledUp() { setRolledUp(!rolledUp_); }
    void closeWindow();

    // Whether a notification-area icon is shown that minimizing hides the window to.
    bool hasTrayIcon() const;

    // The frame edges that a drag at pos (frame coordinates) resizes; none
    // while the window is maximized or minimized, and no top or bottom edge
    // while it is rolled up.
    Qt::Edges resizeEdgesAt(QPoint pos) const;

    QSize minimumFrameSize() const;

    // The window's outline, in form coordinates: its whole rectangle less the
    // rounded top corners, which a maximized window does not have.
    QRegion windowShape() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // A drag of the frame with the mouse.
    struct Drag {
        enum class Mode { None, PendingMove, Move, Resize } mode = Mode::None;
        Qt::Edges edges;
        QPoint pressGlobal;
        QRect startGeometry;
    };

    void createCaptionButtons();
    frame::CaptionButton* button(frame::CaptionButtonKind kind) const;
    void pressCaptionButton(frame::CaptionButtonKind kind);
    frame::WindowMenuState menuState() const;
    void openSystemMenu();
    void openSystemMenuFromKeyboard();
    void setUpKeyboard();
    void repaintFrame();
    void layoutFrame();
    void updateMask();
    void updateGlyphs();
    void setActive(bool active);
    void updateFade();
    void centreOnScreen();
    void settleFirstPlacement();
    void learnPlaceFrom(const QMouseEvent& press);
    void watchWindow();
    void watchWindowEvent(QEvent* event);
    void afterStateChange();
    void showMaximized();
    void showNormal();
    bool ensureTrayIcon();
    void restoreFromTray();
    void closeFromTray();
    void updateCursor(Qt::Edges edges);
    bool hasRoundedCorners() const;
    void startDrag(QPoint pos, QPoint globalPos);
    void continueDrag(QPoint globalPos);

    FrameLook look_;
    QWidget* form_;
    QWidget* clientArea_;
    frame::ClientFade* fade_;
    frame::WindowMenu* menu_;
    frame::TrayIcon* tray_;
    std::array<frame::CaptionButton*, frame::CaptionButtonCount> buttons_{};

    QString caption_;
    bool showIcon_ = false;
    bool clientInactiveEffect_ = true;
    bool active_ = true;
    bool placed_ = false;
    bool exposed_ = false;
    QPoint placedAt_;
    QWindow* watchedWindow_ = nullptr;
    bool rolledUp_ = false;
    bool unrollToMaximized_ = false;
    int unrolledHeight_ = 0;
    int savedMinimumHeight_ = 0;
    int savedMaximumHeight_ = QWIDGETSIZE_MAX;
    bool trayHidMaximized_ = false;
    bool maximizedByFrame_ = false;
    QRect normalGeometry_;
    Drag drag_;
};

} // namespace platform
