#pragma once

// The standard error box: the stop icon, a caption, the message and one OK
// button. As on the desktop the program comes from, Ctrl+C copies the whole
// box as text, which users paste into their reports; the message can also be
// selected with the mouse, and Enter, Space and Escape close the box.

#include <QMessageBox>
#include <QString>
#include <QStringList>

namespace platform {

// The box as the clipboard gets it: a line of dashes, the caption, a line
// of dashes, the message, a line of dashes, the buttons' texts, a line of
// dashes, each line ending in a line break.
QString messageBoxCopyText(const QString& caption, const QString& text,
                           const QStringList& buttonTexts);

class ErrorBox : public QMessageBox {
    Q_OBJECT

public:
    ErrorBox(const QString& caption, const QString& text, QWidget* parent = nullptr);

    // What Ctrl+C puts on the clipboard.
    QString copyText() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void copyToClipboard() const;
};

} // namespace platform
