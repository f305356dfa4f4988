#pragma once

// A temporary program folder: while it lives, the program's executable
// seems to lie in a fresh temporary folder, so that everything the program
// keeps beside itself goes there.

#include "Bytes.h"
#include "system/ProgramPath.h"

#include <QTemporaryDir>

namespace testsupport {

class TemporaryProgramFolder {
public:
    TemporaryProgramFolder() {
        platform::setExeNameForTesting(local(dir_.filePath(QStringLiteral("kalvor-base64"))));
    }
    ~TemporaryProgramFolder() { platform::setExeNameForTesting({}); }
    TemporaryProgramFolder(const TemporaryProgramFolder&) = delete;
    TemporaryProgramFolder& operator=(const TemporaryProgramFolder&) = delete;

    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

} // namespace testsupport
