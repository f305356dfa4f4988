#pragma once

// Lies over the client area while the window is inactive: a snapshot of the
// client area, faded. Clicks go through to the widgets beneath.

#include "skin/SkinLook.h"

#include <QPixmap>
#include <QWidget>

namespace platform::frame {

class ClientFade : public QWidget {
    Q_OBJECT

public:
    ClientFade(const FrameLook& look, QWidget* parent);

    // Shows the snapshot faded over rect, above every sibling.
    void cover(const QRect& rect, const QPixmap& snapshot);
    void uncover();
    bool isCovering() const { return !isHidden(); }
    void setSnapshot(const QPixmap& snapshot);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const FrameLook& look_;
    QPixmap snapshot_;
};

} // namespace platform::frame
