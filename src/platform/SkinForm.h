#pragma once

// A skinned window frame: takes over the frame of a top-level widget and
// draws its own caption bar, border and caption buttons in its place.
//
// The frame is a child widget that covers the whole form. Everything the form
// shows goes into clientArea(), the part inside the caption bar and border.
// Besides the usual move, resize, maximize and minimize the frame can roll the
// window up to its caption bar, fades the client area while another window is
// active, and keeps an icon in the notification area where the desktop has one.
//
// Every colour is a property, so that a style sheet can set it, e.g.
//   platform--TbsBusinessSkinForm { qproperty-faceColor: rgb(227, 238, 253); }

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QStringList>
#include <QWidget>
#include <array>
#include <vector>

class QMenu;
class QSystemTrayIcon;

namespace platform {

class SkinCaptionButton;
class SkinClientFade;

class TbsBusinessSkinForm : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(bool rolledUp READ isRolledUp WRITE setRolledUp)
    Q_PROPERTY(bool showIcon READ showIcon WRITE setShowIcon)
    Q_PROPERTY(bool clientInactiveEffect READ clientInactiveEffect WRITE setClientInactiveEffect)
    Q_PROPERTY(QFont captionFont MEMBER captionFont_ NOTIFY lookChanged)
    // The frame and its caption band.
    Q_PROPERTY(QColor faceColor MEMBER faceColor_ NOTIFY lookChanged)
    Q_PROPERTY(QColor outlineColor MEMBER outlineColor_ NOTIFY lookChanged)
    Q_PROPERTY(QColor captionTopColor MEMBER captionTopColor_ NOTIFY lookChanged)
    Q_PROPERTY(QColor captionBottomColor MEMBER captionBottomColor_ NOTIFY lookChanged)
    // The caption text; the caption buttons' glyphs take the same colours.
    Q_PROPERTY(QColor captionTextColor MEMBER captionTextColor_ NOTIFY lookChanged)
    Q_PROPERTY(QColor captionInactiveTextColor MEMBER captionInactiveTextColor_ NOTIFY lookChanged)
    Q_PROPERTY(QColor captionShadowColor MEMBER captionShadowColor_ NOTIFY lookChanged)
    // The caption buttons under the mouse and pressed.
    Q_PROPERTY(QColor buttonOutlineColor MEMBER buttonOutlineColor_ NOTIFY lookChanged)
    Q_PROPERTY(QColor buttonHoverTopColor MEMBER buttonHoverTopColor_ NOTIFY lookChanged)
    Q_PROPERTY(QColor buttonHoverBottomColor MEMBER buttonHoverBottomColor_ NOTIFY lookChanged)
    Q_PROPERTY(QColor buttonPressedTopColor MEMBER buttonPressedTopColor_ NOTIFY lookChanged)
    Q_PROPERTY(QColor buttonPressedBottomColor MEMBER buttonPressedBottomColor_ NOTIFY lookChanged)
    // The plain background laid over the client area while the window is inactive.
    Q_PROPERTY(QColor fadeColor MEMBER fadeColor_ NOTIFY lookChanged)

public:
    // Width of the border at the sides and the bottom, outline included, and
    // the distance from the window's top to the client area.
    static constexpr int BorderWidth = 4;
    static constexpr int CaptionHeight = 28;
    static constexpr QSize ButtonSize{21, 17};
    // Opacity, out of 255, of the background over an inactive client area.
    static constexpr int FadeAlpha = 170;

    // The items of the window menu.
    enum class Command { Minimize, Restore, Maximize, RollUp, MinimizeToTray, Close };

    // The glyphs a caption button can show.
    enum class Glyph { Menu, Tray, Minimize, RollUp, Unroll, Maximize, Restore, Close };

    // Takes over the frame of the top-level widget form and becomes its child.
    explicit TbsBusinessSkinForm(QWidget* form);

    QWidget* form() const { return form_; }
    // The parent for everything the form shows.
    QWidget* clientArea() const { return clientArea_; }
    // Sizes the form so that the client area is exactly this size.
    void setClientSize(QSize size);

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
    static QString commandText(Command command);
    // The window menu, filled for the present state; the frame owns it.
    QMenu* systemMenu();
    void execute(Command command);

    // The window commands behind the caption buttons.
    void minimize();
    void toggleMaximized();
    void maximize();
    void restore();
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

signals:
    void lookChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    friend class SkinCaptionButton;
    friend class SkinClientFade;

    // A drag of the frame with the mouse, where the window system does not
    // take it over.
    struct Drag {
        enum class Mode { None, PendingMove, Move, Resize } mode = Mode::None;
        Qt::Edges edges;
        QPoint pressGlobal;
        QRect startGeometry;
    };

    SkinCaptionButton* addButton(Glyph glyph, const char* name,
                                 void (TbsBusinessSkinForm::*slot)());
    // Left to right, as they sit in the caption bar.
    std::array<SkinCaptionButton*, 6> captionButtons() const;
    void repaintFrame();
    void openSystemMenu();
    void layoutFrame();
    void updateMask();
    void updateGlyphs();
    void setActive(bool active);
    void updateFade();
    void centreOnScreen();
    bool ensureTrayIcon();
    void restoreFromTray();
    void closeFromTray();
    void updateCursor(Qt::Edges edges);
    QRect clientRect() const;
    QRect captionBandRect() const;
    bool hasRoundedCorners() const;
    int rolledUpHeight() const { return CaptionHeight + BorderWidth; }
    QRect resizedGeometry(const Drag& drag, QPoint delta) const;

    void paintCaptionBand(QPainter& painter) const;
    void paintOutline(QPainter& painter) const;
    void paintCaption(QPainter& painter) const;
    void paintCaptionButton(QPainter& painter, QRect rect, Glyph glyph, bool hovered,
                            bool pressed) const;
    void paintGlyph(QPainter& painter, QRect box, Glyph glyph, const QColor& colour) const;
    void paintClientFade(QPainter& painter, QRect rect, const QPixmap& snapshot) const;

    QWidget* form_;
    QWidget* clientArea_;
    SkinClientFade* fade_;
    QMenu* systemMenu_;
    QSystemTrayIcon* trayIcon_ = nullptr;
    SkinCaptionButton* menuButton_;
    SkinCaptionButton* trayButton_;
    SkinCaptionButton* minimizeButton_;
    SkinCaptionButton* rollUpButton_;
    SkinCaptionButton* maximizeButton_;
    SkinCaptionButton* closeButton_;

    QString caption_;
    bool showIcon_ = false;
    bool clientInactiveEffect_ = true;
    bool active_ = true;
    bool placed_ = false;
    bool rolledUp_ = false;
    bool unrollToMaximized_ = false;
    int unrolledHeight_ = 0;
    int savedMinimumHeight_ = 0;
    int savedMaximumHeight_ = QWIDGETSIZE_MAX;
    bool trayHidMaximized_ = false;
    Drag drag_;

    QFont captionFont_;
    QColor faceColor_{227, 238, 253};
    QColor outlineColor_{59, 90, 130};
    QColor captionTopColor_{213, 229, 250};
    QColor captionBottomColor_{228, 239, 253};
    QColor captionTextColor_{62, 106, 170};
    QColor captionInactiveTextColor_{188, 213, 245};
    QColor captionShadowColor_{255, 255, 255};
    QColor buttonOutlineColor_{114, 147, 191};
    QColor buttonHoverTopColor_{254, 247, 213};
    QColor buttonHoverBottomColor_{255, 208, 72};
    QColor buttonPressedTopColor_{245, 204, 159};
    QColor buttonPressedBottomColor_{246, 157, 57};
    QColor fadeColor_{227, 238, 253};
};

} // namespace platform
