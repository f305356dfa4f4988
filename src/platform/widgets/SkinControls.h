#pragma once

// The skinned controls of the window: panels, buttons and link labels. Their
// look comes from the skin style sheet (TbsSkinData), which picks each
// control's entry by its skinEntry property ("panel", "button", ...).

#include "widgets/AlignedLayout.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace platform {

// A push button that also runs its command on Enter, as Windows buttons do
// while they hold the focus (Space works as in every Qt button).
class TButton : public QPushButton {
    Q_OBJECT

public:
    explicit TButton(const QString& caption, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// A button drawn by the skin; never the default button of anything.
class TbsSkinButton : public TButton {
    Q_OBJECT
    Q_PROPERTY(QString skinEntry READ skinEntry CONSTANT)

public:
    explicit TbsSkinButton(const QString& caption, QWidget* parent = nullptr);
    QString skinEntry() const { return QStringLiteral("button"); }
};

// A panel drawn by the skin. The skin decides the width of its border, which
// the panel's aligned children stay inside of.
class TbsSkinPanel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString skinEntry READ skinEntry CONSTANT)
    Q_PROPERTY(int borderWidth READ borderWidth WRITE setBorderWidth)

public:
    explicit TbsSkinPanel(const QString& skinEntry, QWidget* parent = nullptr);

    QString skinEntry() const { return skinEntry_; }
    int borderWidth() const { return borderWidth_; }
    void setBorderWidth(int width);

    AlignedLayout* aligned() const { return layout_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString skinEntry_;
    int borderWidth_ = 1;
    AlignedLayout* layout_;
};

// A heading that looks like a link: hand cursor, underline, hover colour. It
// carries no address, so a click does nothing.
class TbsSkinLinkLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString skinEntry READ skinEntry CONSTANT)

public:
    explicit TbsSkinLinkLabel(const QString& caption, QWidget* parent = nullptr);
    QString skinEntry() const { return QStringLiteral("stdlabel"); }
};

} // namespace platform
