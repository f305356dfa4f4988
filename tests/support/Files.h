#pragma once

// Files of a test: written whole, read whole, and the names in a folder.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTest>

namespace testsupport {

inline void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
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

} // namespace testsupport
