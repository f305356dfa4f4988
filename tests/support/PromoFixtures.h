#pragma once

// What the promotion tests serve and watch: pictures of the slots' sizes,
// a settings file in the stored form, and the error box.

#include "Files.h"
#include "PictureFixtures.h"
#include "communal/Settings.h"

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <string>
#include <vector>

namespace testsupport {

inline QByteArray jpegPicture() {
    QImage image(201, 43, QImage::Format_RGB32);
    image.fill(QColor(80, 143, 208));
    return fixtures::written(image, "JPEG");
}

inline QByteArray animatedGif() {
    constexpr std::size_t Pixels = std::size_t{30} * 20;
    std::vector<int> first(Pixels, 1), second(Pixels, 2);
    first[0] = 0;
    return fixtures::gif(30, 20, {{first, 0, 5}, {second, 0, 5}});
}

// A settings file in the stored form, built as the publisher builds it.
class SettingsFile {
public:
    void set(const std::string& section, const std::string& ident, const std::string& value) {
        std::string unused;
        communal::AccessSetting(path(), communal::WriteMode, section, ident, value, unused);
    }
    QByteArray content() const { return readFile(QString::fromStdString(path())); }

private:
    std::string path() const { return dir_.filePath(QStringLiteral("kv64.rar")).toStdString(); }
    QTemporaryDir dir_;
};

// Closes every error box as it appears and keeps the texts, in order.
struct ErrorBoxWatcher {
    QStringList texts;
    QString text;
    bool seen = false;
    QTimer timer;
    ErrorBoxWatcher() {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                text = box->text();
                texts.append(text);
                seen = true;
                box->accept();
            }
        });
        timer.start();
    }
};

} // namespace testsupport
