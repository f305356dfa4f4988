#pragma once

// The colours, fonts and border widths of the window's skin, "bsSkin0", as
// plain values. This is the one place they are written: the skin's style
// sheet names them (see SkinData.h), the frame paints with them, and the
// artwork tools draw the icon and the promotion pictures with them.

#include <array>
#include <cstdint>
#include <string_view>

namespace platform::palette {

struct Rgb {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

// The skin's system colours.
inline constexpr Rgb Face{227, 238, 253};
inline constexpr Rgb Highlight{80, 143, 208};
inline constexpr Rgb Shadow{170, 191, 219};
inline constexpr Rgb Window{255, 255, 255};
inline constexpr Rgb Text{0, 0, 0};

// The frame: its outline, the shaded caption band and the caption text,
// which the caption buttons' glyphs share.
inline constexpr Rgb FrameOutline{59, 90, 130};
inline constexpr Rgb CaptionBandTop{213, 229, 250};
inline constexpr Rgb CaptionBandBottom{228, 239, 253};
inline constexpr Rgb CaptionText{62, 106, 170};
inline constexpr Rgb CaptionInactiveText{188, 213, 245};
inline constexpr Rgb CaptionShadow{255, 255, 255};

// "bigtoolpanel", the top strip: a band shaded through three colours.
inline constexpr Rgb ToolPanelTop{216, 228, 243};
inline constexpr Rgb ToolPanelMiddle{202, 218, 237};
inline constexpr Rgb ToolPanelBottom{223, 237, 250};
// "panel": the columns, on the face colour.
inline constexpr Rgb PanelBorder{144, 180, 228};

// "button": the command buttons at rest, under the mouse and pressed; the
// caption buttons of the frame light up in the same colours.
inline constexpr Rgb ButtonOutline{114, 147, 191};
inline constexpr Rgb ButtonTop{213, 227, 241};
inline constexpr Rgb ButtonBottom{188, 208, 233};
inline constexpr Rgb ButtonHoverTop{254, 247, 213};
inline constexpr Rgb ButtonHoverBottom{255, 208, 72};
inline constexpr Rgb ButtonPressedTop{245, 204, 159};
inline constexpr Rgb ButtonPressedBottom{246, 157, 57};

// The sunken border of the plain text boxes, drawn by the skin so that it
// stays a whole line at every scale.
inline constexpr Rgb BoxBorder{160, 160, 160};

// "stdlabel", the headings, under the mouse.
inline constexpr Rgb LabelHover = Highlight;

// Every colour by the name the style sheet gives it.
struct NamedColour {
    std::string_view name;
    Rgb colour;
};
inline constexpr std::array NamedColours{
    NamedColour{"Face", Face},
    NamedColour{"Highlight", Highlight},
    NamedColour{"Shadow", Shadow},
    NamedColour{"Window", Window},
    NamedColour{"Text", Text},
    NamedColour{"FrameOutline", FrameOutline},
    NamedColour{"CaptionBandTop", CaptionBandTop},
    NamedColour{"CaptionBandBottom", CaptionBandBottom},
    NamedColour{"CaptionText", CaptionText},
    NamedColour{"CaptionInactiveText", CaptionInactiveText},
    NamedColour{"CaptionShadow", CaptionShadow},
    NamedColour{"ToolPanelTop", ToolPanelTop},
    NamedColour{"ToolPanelMiddle", ToolPanelMiddle},
    NamedColour{"ToolPanelBottom", ToolPanelBottom},
    NamedColour{"PanelBorder", PanelBorder},
    NamedColour{"ButtonOutline", ButtonOutline},
    NamedColour{"ButtonTop", ButtonTop},
    NamedColour{"ButtonBottom", ButtonBottom},
    NamedColour{"ButtonHoverTop", ButtonHoverTop},
    NamedColour{"ButtonHoverBottom", ButtonHoverBottom},
    NamedColour{"ButtonPressedTop", ButtonPressedTop},
    NamedColour{"ButtonPressedBottom", ButtonPressedBottom},
    NamedColour{"LabelHover", LabelHover},
    NamedColour{"BoxBorder", BoxBorder},
};

// Fonts: a family and a cell height in pixels.
struct Font {
    std::string_view family;
    int pixelSize;
    bool bold;
};
inline constexpr Font CaptionFont{"Arial", 16, true};
// The command buttons' captions and the headings.
inline constexpr Font ControlFont{"Arial", 14, false};
// The window font of the plain controls: the text boxes and "打开目录".
inline constexpr Font WindowFont{"MS Sans Serif", 11, false};

// The borders the skin draws around its panels, in pixels.
inline constexpr int ToolPanelBorderWidth = 3;
inline constexpr int PanelBorderWidth = 2;

} // namespace platform::palette
