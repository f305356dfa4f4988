#include "UnitMain.h"

#include "Communal.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

std::string initialMemo1Text() {
    const auto page = platform::CodePage::system();
    return page.fromUnicode(u"使用说明：在上面文本框输入原文或密文，点击相应按钮在下面生成结\r\n"
                            u"果！\r\n");
}

TfrmAd::TfrmAd(QWidget* parent)
    : QWidget(parent) {
    Memo1 = new platform::TMemo(this);
    Memo2 = new platform::TMemo(this);
    bsSkinButton1 = new QPushButton(QStringLiteral("加密"), this);
    bsSkinButton2 = new QPushButton(QStringLiteral("解密"), this);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(bsSkinButton1);
    buttons->addWidget(bsSkinButton2);
    buttons->addStretch();
    auto* boxes = new QVBoxLayout;
    boxes->addWidget(Memo1);
    boxes->addWidget(Memo2);
    auto* top = new QHBoxLayout(this);
    top->addLayout(boxes);
    top->addLayout(buttons);

    Memo1->setText(initialMemo1Text());
    connect(bsSkinButton1, &QPushButton::clicked, this, [this] { bsSkinButton1Click(this); });
    connect(bsSkinButton2, &QPushButton::clicked, this, [this] { bsSkinButton2Click(this); });
    resize(570, 418);
}

void TfrmAd::bsSkinButton1Click(QObject* /*Sender*/) {
    Memo2->setText(communal::Base64Encode(Memo1->text()));
}

void TfrmAd::bsSkinButton2Click(QObject* /*Sender*/) {
    Memo2->setText(communal::Base64Decode(Memo1->text()));
}
