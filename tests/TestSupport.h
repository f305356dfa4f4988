#pragma once

// Helpers shared by the test suites: byte strings, files, a temporary
// program folder, and a stand-in for the desktop's address opener.

#include "Application.h"
#include "Communal.h"

#include <QByteArray>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <functional>
#include <string>

namespace testsupport {

inline QByteArray bytes(const std::string& s) {
    return QByteArray(s.data(), qsizetype(s.size()));
}

inline std::string str(const QByteArray& b) {
    return std::string(b.constData(), std::size_t(b.size()));
}

// A path as the program's byte strings name it.
inline std::string local(const QString& path) {
    return str(QFile::encodeName(path));
}

inline void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
}

// The file's content, or "<no file>".
inline QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<no file>";
    return file.readAll();
}

// Every name in a folder, hidden ones included.
inline QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// While it lives, the program's folder is a fresh temporary one and its
// promotion server is an address where nothing answers.
class TemporaryProgramFolder {
public:
    static constexpr char OfflineServer[] = "http://127.0.0.1:1/";

    TemporaryProgramFolder() {
        platform::SetExeNameForTesting(local(dir_.filePath(QStringLiteral("kalvor-base64"))));
        communal::SetPromoBaseUrlForTesting(OfflineServer);
    }
    ~TemporaryProgramFolder() {
        platform::SetExeNameForTesting({});
        communal::SetPromoBaseUrlForTesting({});
    }
    TemporaryProgramFolder(const TemporaryProgramFolder&) = delete;
    TemporaryProgramFolder& operator=(const TemporaryProgramFolder&) = delete;

    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

// While it lives, takes the addresses of the given schemes that the program
// hands to the desktop to open, instead of the desktop.
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
