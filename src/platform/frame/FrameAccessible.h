#pragma once

// What a screen reader sees of a skinned frame: the window it takes over
// as a frame named by its caption, the caption buttons as buttons named for
// their actions, and the frame's own surfaces as plain groupings.

#include "access/AccessibleParts.h"

namespace platform {
class TbsBusinessSkinForm;
}

namespace platform::frame {

class CaptionButton;

// Installs the interfaces below for every frame; once is enough.
void installFrameAccessibility();

// The top-level widget a frame has taken over: a frame (a window with a
// caption, to the desktop), named by the caption the frame draws.
class SkinnedWindowAccessible : public QAccessibleWidget {
public:
    explicit SkinnedWindowAccessible(QWidget* window);
    QString text(QAccessible::Text type) const override;
};

// The frame's own surface: a grouping of the caption buttons and the client
// area. The picture that fades the client area while the window is inactive
// is only a picture of what lies beneath it, and not among its children.
class FrameSurfaceAccessible : public PartsAccessible {
public:
    explicit FrameSurfaceAccessible(TbsBusinessSkinForm* frame);

protected:
    QList<QWidget*> parts() const override;
};

// A caption button: a push button named for its action; the buttons that
// toggle (maximize, roll up) are checkable and checked while their state
// is on. Pressing it does what a click does.
class CaptionButtonAccessible : public PressableAccessible {
public:
    explicit CaptionButtonAccessible(CaptionButton* button);
    QString text(QAccessible::Text type) const override;
    QAccessible::State state() const override;

protected:
    void press() override;

private:
    CaptionButton* button() const;
};

} // namespace platform::frame
