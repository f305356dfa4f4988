#pragma once

// The main window: the two text boxes, the encode and decode commands.

#include "Memo.h"

#include <QPushButton>
#include <QWidget>
#include <string>

class TfrmAd : public QWidget {
    Q_OBJECT

public:
    explicit TfrmAd(QWidget* parent = nullptr);

    platform::TMemo* Memo1 = nullptr;
    platform::TMemo* Memo2 = nullptr;
    QPushButton* bsSkinButton1 = nullptr;
    QPushButton* bsSkinButton2 = nullptr;

    // The encode command: Memo2 becomes the Base64 form of Memo1's text.
    void bsSkinButton1Click(QObject* Sender);
    // The decode command: Memo2 becomes the bytes Memo1's Base64 text stands for.
    void bsSkinButton2Click(QObject* Sender);
};

// The text Memo1 holds when the window opens: two lines, each ending in CR LF.
std::string initialMemo1Text();
