#include "PromoArt.h"

#include "SkinColours.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <stdexcept>

namespace promoart {

namespace {

namespace palette = platform::palette;

const QColor Face = skinColour(palette::Face);
const QColor Glass = skinColour(palette::ButtonTop);
const QColor Highlight = skinColour(palette::Highlight);
const QColor Outline = skinColour(palette::FrameOutline);
const QColor CaptionText = skinColour(palette::CaptionText);
const QColor Border = skinColour(palette::PanelBorder);
const QColor GoldLight = skinColour(palette::ButtonHoverTop);
const QColor Gold = skinColour(palette::ButtonHoverBottom);
const QColor Orange = skinColour(palette::ButtonPressedBottom);
// The gift's ribbon: the pictures' own colour, not the skin's.
const QColor GiftRed(214, 48, 49);

constexpr int SideFrameCount = 10;

QFont chineseFont(int pixelSize, bool bold) {
    QFont font("WenQuanYi Micro Hei");
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QFont latinFont(int pixelSize, bool bold) {
    QFont font("Liberation Sans");
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void preparePainter(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
}

// A pill-shaped "button" in the gold of a hovered skin button.
void drawGoldPill(QPainter& painter, const QRectF& rect, const QString& text) {
    QLinearGradient fill(rect.topLeft(), rect.bottomLeft());
    fill.setColorAt(0, GoldLight);
    fill.setColorAt(1, Gold);
    painter.setPen(QPen(Orange, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(rect, rect.height() / 2, rect.height() / 2);
    painter.setFont(chineseFont(12, true));
    painter.setPen(QColor(120, 60, 0));
    painter.drawText(rect, Qt::AlignCenter, text);
}

// A small wrapped present, 22 × 20, with its top-left corner at `origin`.
void drawGift(QPainter& painter, QPointF origin, double lidLift) {
    const QRectF box(origin.x() + 1, origin.y() + 8, 20, 12);
    const QRectF lid(origin.x(), origin.y() + 4 - lidLift, 22, 5);
    painter.setPen(QPen(Outline, 1));
    painter.setBrush(GiftRed);
    painter.drawRect(box);
    painter.drawRect(lid);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Gold);
    painter.drawRect(QRectF(box.center().x() - 2, box.top(), 4, box.height()));
    painter.drawRect(QRectF(lid.center().x() - 2, lid.top(), 4, lid.height()));
    painter.setPen(QPen(Gold, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(lid.center().x() - 6, lid.top() - 4, 6, 4));
    painter.drawEllipse(QRectF(lid.center().x(), lid.top() - 4, 6, 4));
}

// A four-pointed sparkle of the given radius.
void drawSparkle(QPainter& painter, QPointF centre, double radius) {
    if (radius <= 0) {
        return;
    }
    QPainterPath star;
    star.moveTo(centre.x(), centre.y() - radius);
    star.quadTo(centre, QPointF(centre.x() + radius, centre.y()));
    star.quadTo(centre, QPointF(centre.x(), centre.y() + radius));
    star.quadTo(centre, QPointF(centre.x() - radius, centre.y()));
    star.quadTo(centre, QPointF(centre.x(), centre.y() - radius));
    painter.fillPath(star, Gold);
}

QPainterPath sideBadge() {
    QPainterPath badge;
    badge.addRoundedRect(QRectF(0.5, 0.5, SideWidth - 1, SideHeight - 1), 10, 10);
    return badge;
}

// One frame of the side animation; `phase` runs from 0 to 1 while the shine
// sweeps across, and is 1 on the resting frame.
QImage drawSideFrame(double phase) {
    QImage frame(SideWidth, SideHeight, QImage::Format_ARGB32);
    frame.fill(Qt::transparent);
    QPainter painter(&frame);
    preparePainter(painter);

    const QPainterPath badge = sideBadge();
    QLinearGradient fill(0, 0, 0, SideHeight);
    fill.setColorAt(0, Face);
    fill.setColorAt(1, Glass);
    painter.fillPath(badge, fill);

    // The shine: a pale diagonal band that crosses the badge once.
    if (phase < 1) {
        painter.save();
        painter.setClipPath(badge);
        const double x = -40 + phase * (SideWidth + 60);
        QPainterPath band;
        band.moveTo(x, SideHeight);
        band.lineTo(x + 18, 0);
        band.lineTo(x + 34, 0);
        band.lineTo(x + 16, SideHeight);
        band.closeSubpath();
        painter.fillPath(band, QColor(255, 255, 255, 200));
        painter.restore();
    }

    painter.setPen(QPen(Highlight, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(badge);

    const double bounce = phase < 1 ? 3 * (phase < 0.5 ? phase * 2 : (1 - phase) * 2) : 0;
    drawGift(painter, QPointF(9, 15), bounce);
    drawSparkle(painter, QPointF(33, 11), phase < 1 ? 2 + 3 * bounce / 3 : 0);

    painter.setFont(chineseFont(14, true));
    painter.setPen(CaptionText);
    painter.drawText(QRectF(40, 5, 115, 20), Qt::AlignLeft | Qt::AlignVCenter, "新版工具抢先用");
    painter.setFont(chineseFont(11, false));
    painter.setPen(Outline);
    painter.drawText(QRectF(40, 25, 115, 18), Qt::AlignLeft | Qt::AlignVCenter,
                     "免费下载 · 点此了解 ›");
    painter.end();
    return frame;
}

int squaredDistance(const GifColor& color, QRgb pixel) {
    const int red = qRed(pixel) - color.red;
    const int green = qGreen(pixel) - color.green;
    const int blue = qBlue(pixel) - color.blue;
    return red * red + green * green + blue * blue;
}

std::uint8_t nearestColour(QRgb pixel, const std::vector<GifColor>& palette,
                           std::uint8_t transparentIndex) {
    std::size_t best = transparentIndex == 0 ? 1 : 0;
    int bestDistance = squaredDistance(palette[best], pixel);
    for (std::size_t i = best + 1; i < palette.size(); ++i) {
        if (i == transparentIndex) {
            continue;
        }
        const int distance = squaredDistance(palette[i], pixel);
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return static_cast<std::uint8_t>(best);
}

GifColor toGifColor(const QColor& color) {
    return {static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
            static_cast<std::uint8_t>(color.blue())};
}

} // namespace

QImage drawTopBanner() {
    QImage banner(TopBannerWidth, TopBannerHeight, QImage::Format_RGB32);
    QPainter painter(&banner);
    preparePainter(painter);

    QLinearGradient fill(0, 0, TopBannerWidth, 0);
    fill.setColorAt(0, CaptionText);
    fill.setColorAt(1, Highlight);
    painter.fillRect(banner.rect(), fill);
    // A faint glass edge along the top, as on the skin's buttons.
    painter.fillRect(QRect(0, 0, TopBannerWidth, TopBannerHeight / 2), QColor(255, 255, 255, 28));

    painter.setPen(Qt::white);
    painter.setFont(latinFont(15, true));
    painter.drawText(QRectF(7, 3, 80, 19), Qt::AlignLeft | Qt::AlignVCenter, "Kalvor");
    painter.setFont(chineseFont(15, true));
    painter.drawText(QRectF(61, 3, 80, 19), Qt::AlignLeft | Qt::AlignVCenter, "工具箱");
    painter.setPen(Face);
    painter.setFont(chineseFont(11, false));
    painter.drawText(QRectF(7, 22, 130, 17), Qt::AlignLeft | Qt::AlignVCenter,
                     "编码 · 解码 · 更多小工具");

    drawGoldPill(painter, QRectF(141.5, 11.5, 54, 21), "免费下载");
    painter.end();
    return banner;
}

std::vector<QImage> drawSideFrames() {
    std::vector<QImage> frames;
    frames.reserve(SideFrameCount);
    for (int i = 0; i < SideFrameCount - 1; ++i) {
        frames.push_back(drawSideFrame(static_cast<double>(i) / (SideFrameCount - 1)));
    }
    frames.push_back(drawSideFrame(1));
    return frames;
}

std::vector<GifColor> promoPalette() {
    std::vector<GifColor> palette;
    palette.push_back({255, 255, 255}); // transparent
    for (const QColor& color : {Face, Glass, Highlight, Outline, CaptionText, Border, GoldLight,
                                Gold, Orange, GiftRed, QColor(Qt::white), QColor(Qt::black)}) {
        palette.push_back(toGifColor(color));
    }
    // Six levels per channel: 216 colours that cover the rest evenly.
    for (int red = 0; red < 6; ++red) {
        for (int green = 0; green < 6; ++green) {
            for (int blue = 0; blue < 6; ++blue) {
                palette.push_back({static_cast<std::uint8_t>(red * 51),
                                   static_cast<std::uint8_t>(green * 51),
                                   static_cast<std::uint8_t>(blue * 51)});
            }
        }
    }
    // Blends of the skin's blues, which the cube covers only coarsely.
    for (int step = 1; step < 16; ++step) {
        const QColor from = Highlight;
        const QColor to = Face;
        const auto blend = [step](int a, int b) {
            return static_cast<std::uint8_t>(a + (b - a) * step / 16);
        };
        palette.push_back({blend(from.red(), to.red()), blend(from.green(), to.green()),
                           blend(from.blue(), to.blue())});
    }
    return palette;
}

GifAnimation makeAnimation(const std::vector<QImage>& frames, const std::vector<GifColor>& palette,
                           std::uint8_t transparentIndex, std::uint16_t delayCentiseconds,
                           std::uint16_t holdCentiseconds) {
    if (frames.empty()) {
        throw std::invalid_argument("animation has no frames");
    }
    if (palette.size() < 2 || transparentIndex >= palette.size()) {
        throw std::invalid_argument("palette needs a transparent and at least one other colour");
    }
    GifAnimation animation;
    animation.width = frames.front().width();
    animation.height = frames.front().height();
    animation.palette = palette;
    animation.transparentIndex = transparentIndex;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (frames[i].size() != frames.front().size()) {
            throw std::invalid_argument("animation frames differ in size");
        }
        const QImage argb = frames[i].convertToFormat(QImage::Format_ARGB32);
        GifFrame frame;
        frame.delayCentiseconds = i + 1 == frames.size() ? holdCentiseconds : delayCentiseconds;
        frame.pixels.reserve(static_cast<std::size_t>(argb.width()) * argb.height());
        for (int y = 0; y < argb.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
            for (int x = 0; x < argb.width(); ++x) {
                frame.pixels.push_back(qAlpha(line[x]) < 128
                                           ? transparentIndex
                                           : nearestColour(line[x], palette, transparentIndex));
            }
        }
        animation.frames.push_back(std::move(frame));
    }
    return animation;
}

} // namespace promoart
