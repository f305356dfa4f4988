#pragma once
// TEMPORARY STUB until the frame lands.
#include <QWidget>
namespace platform {
class TbsBusinessSkinForm : public QObject {
    Q_OBJECT
public:
    explicit TbsBusinessSkinForm(QWidget* form)
        : QObject(form)
        , form_(form) {
        client_ = new QWidget(form);
    }
    QWidget* clientArea() const { return client_; }
    void setClientSize(QSize s) {
        form_->resize(s);
        client_->resize(s);
    }
    void setCaption(const QString&) {}

private:
    QWidget* form_;
    QWidget* client_;
};
} // namespace platform
