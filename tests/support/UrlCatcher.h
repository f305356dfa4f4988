#pragma once

// While it lives, takes the addresses of the given schemes that the program
// hands to the desktop to open, instead of the desktop.

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <functional>

namespace testsupport {

class UrlCatcher : public QObject {
    Q_OBJECT

public:
    explicit UrlCatcher(QStringList schemes = {QStringLiteral("http"), QStringLiteral("https"),
                                               QStringLiteral("file")})
        : schemes_(std::move(schemes)) {
        for (const QString& scheme : schemes_)
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~UrlCatcher() override {
        for (const QString& scheme : schemes_)
            QDesktopServices::unsetUrlHandler(scheme);
    }

    QList<QUrl> opened;
    // Runs at each address, after it has been recorded.
    std::function<void(const QUrl&)> onOpen;

public slots:
    void open(const QUrl& url) {
        opened.append(url);
        if (onOpen)
            onOpen(url);
    }

private:
    QStringList schemes_;
};

} // namespace testsupport
