#include "window/UnitMain.h"

#include "communal/Communal.h"
#include "widgets/Application.h"

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
    setUpFrame();
    createParts();
    placeParts();
    setUpKeyboard();
    Memo1->setText(initialMemo1Text());
    bsfrm->setClientSize(QSize(570, 418));
    applySkin();
    connectCommands();
    platform::Application().guard([this] { FormCreate(this); });
}

QWidget* TfrmAd::clientArea() const {
    return bsfrm->clientArea();
}

namespace {

// A part of the window, named as in the stored layout.
template <class Part, class... Arguments> Part* named(const char* name, Arguments&&... arguments) {
    auto* part = new Part(std::forward<Arguments>(arguments)...);
    part->setObjectName(QString::fromLatin1(name));
    return part;
}

AlignedLayout* alignedLayoutOf(QWidget* container) {
    return qobject_cast<AlignedLayout*>(container->layout());
}

} // namespace

void TfrmAd::setUpFrame() {
    bsfrm = new platform::TbsBusinessSkinForm(this);
    bsfrm->setCaption(QString::fromUtf16(WindowCaption));
    setWindowTitle(QString::fromUtf16(ApplicationTitle));
    // The taskbar's and the notification area's icon; the caption shows none.
    setWindowIcon(QIcon(QStringLiteral(":/icon/kalvor-base64.png")));
    new AlignedLayout(bsfrm->clientArea());
}

void TfrmAd::createParts() {
    using namespace platform;
    TopPnl = named<TbsSkinPanel>("TopPnl", QStringLiteral("bigtoolpanel"));
    img1 = named<TbsSkinLinkImage>("img1");
    bsSkinPanel1 = named<TbsSkinPanel>("bsSkinPanel1", QStringLiteral("panel"));
    bsSkinPanel2 = named<TbsSkinPanel>("bsSkinPanel2", QStringLiteral("panel"));
    bsSkinLinkLabel1 = named<TbsSkinLinkLabel>("bsSkinLinkLabel1", QStringLiteral("原文"));
    Memo1 = named<TMemo>("Memo1");
    bsSkinLinkLabel2 = named<TbsSkinLinkLabel>("bsSkinLinkLabel2", QStringLiteral("明文"));
    Memo2 = named<TMemo>("Memo2");
    bsSkinPanel3 = named<TbsSkinPanel>("bsSkinPanel3", QStringLiteral("panel"));
    bsSkinButton1 = named<TbsSkinButton>("bsSkinButton1", QStringLiteral("加密"));
    bsSkinButton2 = named<TbsSkinButton>("bsSkinButton2", QStringLiteral("解密"));
    img2 = named<TbsSkinLinkImage>("img2");
    btn1 = named<TButton>("btn1", QStringLiteral("打开目录"));
}

// The stored layout: every part with its parent, alignment and bounds, in
// tree order.
void TfrmAd::placeParts() {
    struct Placement {
        QWidget* part;
        QWidget* parent;
        TAlign align;
        QRect bounds;
    };
    QWidget* window = bsfrm->clientArea();
    const Placement layout[] = {
        {TopPnl, window, TAlign::alTop, {0, 0, 570, 49}},
        {img1, TopPnl, TAlign::alRight, {368, 1, 201, 47}},
        {bsSkinPanel1, window, TAlign::alLeft, {0, 49, 409, 369}},
        {bsSkinPanel2, bsSkinPanel1, TAlign::alTop, {1, 1, 407, 200}},
        {bsSkinLinkLabel1, bsSkinPanel2, TAlign::alTop, {1, 1, 405, 33}},
        {Memo1, bsSkinPanel2, TAlign::alClient, {1, 34, 405, 165}},
        {bsSkinLinkLabel2, bsSkinPanel1, TAlign::alTop, {1, 201, 407, 32}},
        {Memo2, bsSkinPanel1, TAlign::alClient, {1, 233, 407, 135}},
        {bsSkinPanel3, window, TAlign::alClient, {409, 49, 161, 369}},
        {bsSkinButton1, bsSkinPanel3, TAlign::alNone, {22, 96, 115, 25}},
        {bsSkinButton2, bsSkinPanel3, TAlign::alNone, {22, 144, 115, 25}},
        // The side slot starts on the window itself; FormCreate moves it.
        {img2, window, TAlign::alNone, {232, 231, 241, 113}},
        // Right of the client area and beneath the right column: never
        // seen, yet it takes the focus in its turn.
        {btn1, window, TAlign::alNone, {600, 96, 75, 25}},
    };
    for (const Placement& placement : layout)
        alignedLayoutOf(placement.parent)
            ->addWidget(placement.part, placement.align, placement.bounds);
    btn1->stackUnder(bsSkinPanel3);
}

void TfrmAd::setUpKeyboard() {
    QWidget* const cycle[] = {Memo1, Memo2, bsSkinButton1, bsSkinButton2, btn1, Memo1};
    for (std::size_t i = 0; i + 1 < std::size(cycle); ++i)
        setTabOrder(cycle[i], cycle[i + 1]);
    Memo1->setFocus();
    // Each heading names the box beneath it, to a screen reader too.
    const std::pair<platform::TbsSkinLinkLabel*, platform::TMemo*> headings[] = {
        {bsSkinLinkLabel1, Memo1}, {bsSkinLinkLabel2, Memo2}};
    for (const auto& [heading, box] : headings) {
        heading->setBuddy(box);
        box->setAccessibleName(heading->text());
    }
}

void TfrmAd::applySkin() {
    bsCompressedSkinList1.addFromFile(QStringLiteral("bsSkin0"), QStringLiteral(":/skin/skin.qss"));
    bsSkinData1.setCompressedStoredSkin(&bsCompressedSkinList1, 0);
    bsSkinData1.apply(this);
    bsfrm->setSkinData(&bsSkinData1);
}

void TfrmAd::connectCommands() {
    auto guarded = [this](void (TfrmAd::*handler)(QObject*), QObject* sender) {
        return [this, handler, sender] {
            platform::Application().guard([&] { (this->*handler)(sender); });
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
        platform::Application().guard([this] { FormShow(this); });
}

void TfrmAd::FormCreate(QObject* /*sender*/) {
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

void TfrmAd::FormShow(QObject* /*sender*/) {
    // The window appears only when this handler has returned: all its
    // downloads share one budget, so no server can hold it back for long.
    const communal::DownloadBudget budget(communal::ShowingDownloadBudget);
    // The settings file is fetched at every showing; a failed download
    // leaves the one of an earlier run to read.
    communal::FetchPromoSettings(FPromoId);
    if (PromoShowCount >= 1)
        return;
    communal::LoadPromoImage(img1, "fname1", FPromoId);
    communal::LoadPromoImage(img2, "fname2", FPromoId);
    ++PromoShowCount;
}

void TfrmAd::bsSkinButton1Click(QObject* /*sender*/) {
    Memo2->setText(communal::Base64Encode(Memo1->text()));
}

void TfrmAd::bsSkinButton2Click(QObject* /*sender*/) {
    Memo2->setText(communal::Base64Decode(Memo1->text()));
}

void TfrmAd::btn1Click(QObject* /*sender*/) {
    communal::OpenFolder(communal::GetAppPath());
}
