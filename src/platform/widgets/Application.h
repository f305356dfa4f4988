#pragma once

// The application object: its title, and the one place where an error that
// escapes an event handler is caught and shown in the standard error box.

#include <QString>
#include <exception>
#include <string>
#include <string_view>

class QWidget;

namespace platform {

class TApplication {
public:
    // The title shown on the taskbar, and the caption of the error box.
    const QString& Title() const { return title_; }
    void setTitle(const QString& title) { title_ = title; }

    // Shows an error in the standard error box: the message, with a "."
    // appended as ErrorBoxText says, the title as caption, the stop icon and
    // one OK button. Returns when the user has closed the box.
    void ShowException(const std::exception& error) const;

    // Runs an event handler; an error escaping it is shown in the error box
    // and the program carries on.
    template <class Handler> void guard(Handler&& handler) const {
        try {
            handler();
        } catch (const std::exception& error) {
            ShowException(error);
        }
    }

private:
    QString title_;
};

// The one application object of the program.
TApplication& Application();

// The text of the error box for an error message in the system code page:
// a "." is appended when the message is not empty and its last character
// sorts after ".".
QString errorBoxText(std::string_view message);

} // namespace platform
