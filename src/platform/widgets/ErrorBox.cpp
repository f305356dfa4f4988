#include "widgets/ErrorBox.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

namespace platform {
namespace {

const QString Dashes = QStringLiteral("---------------------------");

// A button's text without the "&" that marks its access key.
QString plainButtonText(const QAbstractButton* button) {
    QString text = button->text();
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    return text.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

} // namespace

QString messageBoxCopyText(const QString& caption, const QString& text,
                           const QStringList& buttonTexts) {
    const QStringList lines{Dashes, caption, Dashes, text, Dashes, buttonTexts.join(u' '), Dashes};
    return lines.join(u'\n') + u'\n';
}

ErrorBox::ErrorBox(const QString& caption, const QString& text, QWidget* parent)
    : QMessageBox(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent) {
    setObjectName(QStringLiteral("errorBox"));
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Enter and Escape close the box too.
    setDefaultButton(QMessageBox::Ok);
    setEscapeButton(QMessageBox::Ok);
    // A click into the message gives it the focus; Ctrl+C there copies what
    // is selected, or the whole box when nothing is.
    if (auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
        label->installEventFilter(this);
}

QString ErrorBox::copyText() const {
    QStringList buttonTexts;
    for (const QAbstractButton* button : buttons())
        buttonTexts << plainButtonText(button);
    return messageBoxCopyText(windowTitle(), text(), buttonTexts);
}

void ErrorBox::copyToClipboard() const {
    QGuiApplication::clipboard()->setText(copyText());
}

void ErrorBox::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copyToClipboard();
        event->accept();
        return;
    }
    QMessageBox::keyPressEvent(event);
}

bool ErrorBox::eventFilter(QObject* watched, QEvent* event) {
    auto* label = qobject_cast<QLabel*>(watched);
    if (label && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        auto* key = static_cast<QKeyEvent*>(event);
        // The message holds the focus after a click into it; Space still
        // presses the button, as it does while the button has the focus.
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
            if (event->type() == QEvent::KeyPress && defaultButton())
                defaultButton()->click();
            event->accept();
            return true;
        }
        if (key->matches(QKeySequence::Copy) && !label->hasSelectedText()) {
            if (event->type() == QEvent::KeyPress)
                copyToClipboard();
            event->accept();
            return true;
        }
    }
    return QMessageBox::eventFilter(watched, event);
}

} // namespace platform
