#pragma once

// The painting of the skinned frame: its face, caption band, outline and
// caption, the caption buttons with their glyphs, and the faded snapshot
// over an inactive client area. Every colour and the caption font come
// from one FrameLook, the skin's.

#include "skin/SkinLook.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QRect>
#include <QString>

namespace platform::frame {

// Opacity, out of 255, of the background over an inactive client area.
inline constexpr int FadeAlpha = 170;

// The glyphs a caption button can show.
enum class Glyph { Menu, Tray, Minimize, RollUp, Unroll, Maximize, Restore, Close };

// What the frame shows besides its look.
struct FrameContent {
    QString caption;
    bool active = true;
    bool roundedCorners = true;
    // Drawn at iconRect when that is not empty.
    QIcon icon;
    QRect iconRect;
    QRect captionRect;
};

// The caption's colour while the window is active or inactive.
QColor captionTextColor(const FrameLook& look, bool active);

void paintFrame(QPainter& painter, const FrameLook& look, QSize frame, const FrameContent& content);

struct ButtonState {
    bool hovered = false;
    bool pressed = false;
    bool frameActive = true;
};

void paintCaptionButton(QPainter& painter, const FrameLook& look, QRect rect, Glyph glyph,
                        ButtonState state);

// The snapshot with the look's plain background laid over it at FadeAlpha.
void paintClientFade(QPainter& painter, const FrameLook& look, QRect rect, const QPixmap& snapshot);

} // namespace platform::frame
