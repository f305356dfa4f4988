#pragma once
// TEMPORARY STUB until the slot control lands.
#include <QWidget>
#include <string>
namespace platform {
class TbsSkinLinkImage : public QWidget {
    Q_OBJECT
public:
    explicit TbsSkinLinkImage(QWidget* parent = nullptr)
        : QWidget(parent) {
        setCursor(Qt::PointingHandCursor);
    }
    const std::string& URL() const { return url_; }
    void setURL(std::string u) { url_ = std::move(u); }

private:
    std::string url_;
};
} // namespace platform
