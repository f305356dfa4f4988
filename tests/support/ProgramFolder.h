#pragma once

// A temporary program folder: while it lives, the program's executable
// seems to lie in a fresh temporary folder, so that everything the program
// keeps beside itself goes there. A read-only one stands for an installed
// program, whose folder the user cannot write. A temporary home gives the
// user's data folders a fresh place.

#include "Bytes.h"
#include "system/ProgramPath.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <optional>
#include <string>

namespace testsupport {

class TemporaryProgramFolder {
public:
    enum Access { Writable, ReadOnly };

    explicit TemporaryProgramFolder(Access access = Writable)
        : previousExeName_(platform::ExeName()) {
        platform::setExeNameForTesting(local(dir_.filePath(QStringLiteral("kalvor-base64"))));
        // No write permission for anyone: read-only for the superuser too.
        if (access == ReadOnly)
            setWritable(false);
    }
    ~TemporaryProgramFolder() {
        setWritable(true);
        platform::setExeNameForTesting(previousExeName_);
    }
    TemporaryProgramFolder(const TemporaryProgramFolder&) = delete;
    TemporaryProgramFolder& operator=(const TemporaryProgramFolder&) = delete;

    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }
    void setWritable(bool writable) {
        const QFile::Permissions readable = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                            QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
        QFile::setPermissions(dir_.path(), writable ? readable | QFile::WriteOwner : readable);
    }

private:
    QTemporaryDir dir_;
    std::string previousExeName_;
};

// Sets an environment variable, or unsets it for a null value, while it
// lives.
class EnvironmentVariable {
public:
    EnvironmentVariable(const char* name, const QByteArray& value)
        : name_(name) {
        if (qEnvironmentVariableIsSet(name))
            previous_ = qgetenv(name);
        set(value);
    }
    ~EnvironmentVariable() { set(previous_ ? *previous_ : QByteArray()); }
    EnvironmentVariable(const EnvironmentVariable&) = delete;
    EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

    void set(const QByteArray& value) {
        if (value.isNull())
            qunsetenv(name_);
        else
            qputenv(name_, value);
    }

private:
    const char* name_;
    std::optional<QByteArray> previous_;
};

// A fresh home folder, with the user's data folder in its usual place
// (XDG_DATA_HOME unset).
class TemporaryHome {
public:
    QString path() const { return dir_.path(); }
    // The program's own folder in the user's data folder, as GetAppPath
    // names it.
    QString programFolder() const { return dir_.path() + "/.local/share/kalvor-base64/"; }

private:
    QTemporaryDir dir_;
    EnvironmentVariable home_{"HOME", QFile::encodeName(dir_.path())};
    EnvironmentVariable dataHome_{"XDG_DATA_HOME", QByteArray()};
};

} // namespace testsupport
