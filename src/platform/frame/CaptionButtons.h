#pragma once

// The caption buttons of the skinned frame: one table that says which
// buttons there are, in their order left to right, and the button widget,
// which paints itself with the frame's look.

#include "frame/FramePainter.h"
#include "frame/WindowMenu.h"

#include <QAbstractButton>
#include <array>

namespace platform::frame {

enum class CaptionButtonKind { Menu, Tray, Minimize, RollUp, Maximize, Close };

struct CaptionButtonEntry {
    CaptionButtonKind kind;
    const char* objectName;
    Glyph glyph; // at rest; roll-up and maximize change theirs with the state
};

// Left to right, as they sit in the caption bar.
inline constexpr std::array CaptionButtonTable{
    CaptionButtonEntry{CaptionButtonKind::Menu, "menuButton", Glyph::Menu},
    CaptionButtonEntry{CaptionButtonKind::Tray, "trayButton", Glyph::Tray},
    CaptionButtonEntry{CaptionButtonKind::Minimize, "minimizeButton", Glyph::Minimize},
    CaptionButtonEntry{CaptionButtonKind::RollUp, "rollUpButton", Glyph::RollUp},
    CaptionButtonEntry{CaptionButtonKind::Maximize, "maximizeButton", Glyph::Maximize},
    CaptionButtonEntry{CaptionButtonKind::Close, "closeButton", Glyph::Close},
};
inline constexpr int CaptionButtonCount = int(CaptionButtonTable.size());

// What a screen reader calls the button: its action, in the words of the
// window menu.
QString captionButtonName(CaptionButtonKind kind);
// Whether the button turns a state of the window on and off (maximized,
// rolled up), which it then reports as checked.
bool captionButtonToggles(CaptionButtonKind kind);

// A caption button: takes no focus, lights up under the mouse, and draws
// its glyph in the caption's colour for the frame's active state.
class CaptionButton : public QAbstractButton {
    Q_OBJECT

public:
    CaptionButton(const CaptionButtonEntry& entry, const FrameLook& look, QWidget* parent);

    CaptionButtonKind kind() const { return kind_; }
    // For a button that toggles: whether its state is on now.
    bool isOn() const { return on_; }
    void setOn(bool on);
    void setGlyph(Glyph glyph);
    void setFrameActive(bool active);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CaptionButtonKind kind_;
    Glyph glyph_;
    const FrameLook& look_;
    bool frameActive_ = true;
    bool on_ = false;
};

} // namespace platform::frame
