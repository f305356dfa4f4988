#include "frame/ClientFade.h"

#include "frame/FramePainter.h"

namespace platform::frame {

ClientFade::ClientFade(const FrameLook& look, QWidget* parent)
    : QWidget(parent)
    , look_(look) {
    setObjectName(QStringLiteral("clientFade"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void ClientFade::cover(const QRect& rect, const QPixmap& snapshot) {
    setSnapshot(snapshot);
    setGeometry(rect);
    raise();
    show();
}

void ClientFade::uncover() {
    hide();
    setSnapshot({});
}

void ClientFade::setSnapshot(const QPixmap& snapshot) {
    snapshot_ = snapshot;
    update();
}

void ClientFade::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintClientFade(painter, look_, rect(), snapshot_);
}

} // namespace platform::frame
