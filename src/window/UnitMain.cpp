#include "UnitMain.h"

#include "Communal.h"
#include "Forms.h"

#include <QIcon>
#include <QShowEvent>

using platform::AlignedLayout;
using platform::TAlign;

std::string initialMemo1Text() {
    return platform::CodePage::system().fromUnicode(
        u"使用说明：在上面文本框输入原文或密文，点击相应按钮在下面生成结\r\n"
        u"果！\r\n");
}

TfrmAd::TfrmAd(QWidget* parent)
    : QWidget(parent) {
    buildLayout();
    bsCompressedSkinList1.addFromFile(QStringLiteral("bsSkin0"), QStringLiteral(":/skin/skin.qss"));
    bsSkinData1.setCompressedStoredSkin(&bsCompressedSkinList1, 0);
    bsSkinData1.apply(this);
    connectCommands();
    platform::Application().Guard([this] { FormCreate(this); });
}

QWidget* TfrmAd::ClientArea() const {
    return bsfrm->clientArea();
}

// The stored layout: every part with its parent, alignment and bounds.
void TfrmAd::buildLayout() {
    bsfrm = new platform::TbsBusinessSkinForm(this);
    bsfrm->setCaption(QString::fromUtf16(WindowCaption));
    setWindowTitle(QString::fromUtf16(ApplicationTitle));
    // The taskbar's and the notification area's icon; the caption shows none.
    setWindowIcon(QIcon(QStringLiteral(":/icon/kalvor-base64.png")));
    QWidget* client = bsfrm->clientArea();
    auto* window = new AlignedLayout(client);

    TopPnl = new platform::TbsSkinPanel(QStringLiteral("bigtoolpanel"));
    TopPnl->setObjectName(QStringLiteral("TopPnl"));
    window->addWidget(TopPnl, TAlign::alTop, QRect(0, 0, 570, 49));
    img1 = new platform::TbsSkinLinkImage;
    img1->setObjectName(QStringLiteral("img1"));
    TopPnl->aligned()->addWidget(img1, TAlign::alRight, QRect(368, 1, 201, 47));

    bsSkinPanel1 = new platform::TbsSkinPanel(QStringLiteral("panel"));
    bsSkinPanel1->setObjectName(QStringLiteral("bsSkinPanel1"));
    window->addWidget(bsSkinPanel1, TAlign::alLeft, QRect(0, 49, 409, 369));
    bsSkinPanel2 = new platform::TbsSkinPanel(QStringLiteral("panel"));
    bsSkinPanel2->setObjectName(QStringLiteral("bsSkinPanel2"));
    bsSkinPanel1->aligned()->addWidget(bsSkinPanel2, TAlign::alTop, QRect(1, 1, 407, 200));
    bsSkinLinkLabel1 = new platform::TbsSkinLinkLabel(QStringLiteral("原文"));
    bsSkinLinkLabel1->setObjectName(QStringLiteral("bsSkinLinkLabel1"));
    bsSkinPanel2->aligned()->addWidget(bsSkinLinkLabel1, TAlign::alTop, QRect(1, 1, 405, 33));
    Memo1 = new platform::TMemo;
    Memo1->setObjectName(QStringLiteral("Memo1"));
    bsSkinPanel2->aligned()->addWidget(Memo1, TAlign::alClient, QRect(1, 34, 405, 165));
    bsSkinLinkLabel2 = new platform::TbsSkinLinkLabel(QStringLiteral("明文"));
    bsSkinLinkLabel2->setObjectName(QStringLiteral("bsSkinLinkLabel2"));
    bsSkinPanel1->aligned()->addWidget(bsSkinLinkLabel2, TAlign::alTop, QRect(1, 201, 407, 32));
    Memo2 = new platform::TMemo;
    Memo2->setObjectName(QStringLiteral("Memo2"));
    bsSkinPanel1->aligned()->addWidget(Memo2, TAlign::alClient, QRect(1, 233, 407, 135));

    bsSkinPanel3 = new platform::TbsSkinPanel(QStringLiteral("panel"));
    bsSkinPanel3->setObjectName(QStringLiteral("bsSkinPanel3"));
    window->addWidget(bsSkinPanel3, TAlign::alClient, QRect(409, 49, 161, 369));
    bsSkinButton1 = new platform::TbsSkinButton(QStringLiteral("加密"));
    bsSkinButton1->setObjectName(QStringLiteral("bsSkinButton1"));
    bsSkinPanel3->aligned()->addWidget(bsSkinButton1, TAlign::alNone, QRect(22, 96, 115, 25));
    bsSkinButton2 = new platform::TbsSkinButton(QStringLiteral("解密"));
    bsSkinButton2->setObjectName(QStringLiteral("bsSkinButton2"));
    bsSkinPanel3->aligned()->addWidget(bsSkinButton2, TAlign::alNone, QRect(22, 144, 115, 25));

    // The side slot starts on the window itself; FormCreate moves it.
    img2 = new platform::TbsSkinLinkImage;
    img2->setObjectName(QStringLiteral("img2"));
    window->addWidget(img2, TAlign::alNone, QRect(232, 231, 241, 113));

    // Right of the client area and beneath the right column: never seen,
    // yet it takes the focus in its turn.
    btn1 = new platform::TButton(QStringLiteral("打开目录"));
    btn1->setObjectName(QStringLiteral("btn1"));
    window->addWidget(btn1, TAlign::alNone, QRect(600, 96, 75, 25));
    btn1->stackUnder(bsSkinPanel3);

    Memo1->setText(initialMemo1Text());
    setTabOrder(Memo1, Memo2);
    setTabOrder(Memo2, bsSkinButton1);
    setTabOrder(bsSkinButton1, bsSkinButton2);
    setTabOrder(bsSkinButton2, btn1);
    setTabOrder(btn1, Memo1);

    bsfrm->setClientSize(QSize(570, 418));
    Memo1->setFocus();
}

void TfrmAd::connectCommands() {
    auto guarded = [this](void (TfrmAd::*handler)(QObject*), QObject* sender) {
        return [this, handler, sender] {
            platform::Application().Guard([&] { (this->*handler)(sender); });
        };
    };
    connect(bsSkinButton1, &QPushButton::clicked, this,
            guarded(&TfrmAd::bsSkinButton1Click, bsSkinButton1));
    connect(bsSkinButton2, &QPushButton::clicked, this,
            guarded(&TfrmAd::bsSkinButton2Click, bsSkinButton2));
    connect(btn1, &QPushButton::clicked, this, guarded(&TfrmAd::btn1Click, btn1));
}

void TfrmAd::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Runs before the window first appears on the screen.
    if (!event->spontaneous())
        platform::Application().Guard([this] { FormShow(this); });
}

void TfrmAd::FormCreate(QObject* /*Sender*/) {
    FPromoId = "kv64";
    // The side slot moves to the bottom of the right column.
    auto* window = AlignedLayout::of(img2);
    const QRect bounds = window->bounds(img2);
    window->removeWidget(img2);
    bsSkinPanel3->aligned()->addWidget(img2, TAlign::alBottom,
                                       QRect(0, 0, bounds.width(), bounds.height()));
    img2->show();
}

int PromoShowCount = 0;

void TfrmAd::FormShow(QObject* /*Sender*/) {
    // The settings file is fetched at every showing; a failed download
    // leaves the one of an earlier run to read.
    communal::FetchPromoSettings(FPromoId);
    if (PromoShowCount >= 1)
        return;
    communal::LoadPromoImage(img1, "fname1", FPromoId);
    communal::LoadPromoImage(img2, "fname2", FPromoId);
    ++PromoShowCount;
}

void TfrmAd::bsSkinButton1Click(QObject* /*Sender*/) {
    Memo2->setText(communal::Base64Encode(Memo1->text()));
}

void TfrmAd::bsSkinButton2Click(QObject* /*Sender*/) {
    Memo2->setText(communal::Base64Decode(Memo1->text()));
}

void TfrmAd::btn1Click(QObject* /*Sender*/) {
    communal::OpenFolder(communal::GetAppPath());
}
