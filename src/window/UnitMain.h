#pragma once

// The main window: the upper box Memo1 and the lower box Memo2, the encode
// and decode commands, the two promotion slots and the unseen "打开目录"
// button, in a skinned frame.

#include "frame/SkinForm.h"
#include "skin/SkinData.h"
#include "widgets/LinkImage.h"
#include "widgets/Memo.h"
#include "widgets/SkinControls.h"

#include <QWidget>
#include <string>

class TfrmAd : public QWidget {
    Q_OBJECT

public:
    explicit TfrmAd(QWidget* parent = nullptr);

    // The window's parts, in the order of its stored layout.
    platform::TbsSkinLinkImage* img1 = nullptr;
    platform::TButton* btn1 = nullptr;
    platform::TbsSkinLinkImage* img2 = nullptr;
    platform::TbsCompressedSkinList bsCompressedSkinList1;
    platform::TbsSkinData bsSkinData1;
    platform::TbsBusinessSkinForm* bsfrm = nullptr;
    platform::TbsSkinPanel* TopPnl = nullptr;
    platform::TMemo* Memo1 = nullptr;
    platform::TMemo* Memo2 = nullptr;
    platform::TbsSkinPanel* bsSkinPanel1 = nullptr;
    platform::TbsSkinPanel* bsSkinPanel2 = nullptr;
    platform::TbsSkinLinkLabel* bsSkinLinkLabel1 = nullptr;
    platform::TbsSkinLinkLabel* bsSkinLinkLabel2 = nullptr;
    platform::TbsSkinButton* bsSkinButton1 = nullptr;
    platform::TbsSkinButton* bsSkinButton2 = nullptr;
    platform::TbsSkinPanel* bsSkinPanel3 = nullptr;

    // The window's client area, where the parts above live.
    QWidget* clientArea() const;

    void FormCreate(QObject* sender);
    void FormShow(QObject* sender);
    // The encode command: Memo2 becomes the Base64 form of Memo1's text.
    void bsSkinButton1Click(QObject* sender);
    // The decode command: Memo2 becomes the bytes Memo1's Base64 text stands for.
    void bsSkinButton2Click(QObject* sender);
    void btn1Click(QObject* sender);

    const std::string& promoId() const { return FPromoId; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setUpFrame();
    void createParts();
    void placeParts();
    void setUpKeyboard();
    void applySkin();
    void connectCommands();

    std::string FPromoId;
};

// How often the window has filled its promotion slots; they are filled once.
extern int PromoShowCount;

// The window's caption and the application title on the taskbar.
inline constexpr char16_t WindowCaption[] = u"Kalvor Base64 加密解密器";
inline constexpr char16_t ApplicationTitle[] = u"Kalvor base64 加密解密";

// The text Memo1 holds when the window opens: two lines, each ending in
// CR LF, in the system code page.
std::string initialMemo1Text();
