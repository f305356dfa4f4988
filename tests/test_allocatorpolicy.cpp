// The allocator policy: freed blocks stay in the process while the user is
// busy, and go back to the system once the program has been left alone.

#include "system/AllocatorPolicy.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>
#include <cstring>
#include <memory>
#include <vector>

namespace {

long residentMiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * 4096 / (1 << 20) : -1;
}

// Takes and fills 256 MiB in blocks, then frees them.
void useAndFreeALot() {
    std::vector<std::unique_ptr<char[]>> blocks;
    for (int i = 0; i < 8; ++i) {
        blocks.emplace_back(new char[32 << 20]);
        std::memset(blocks.back().get(), 1, 32 << 20);
    }
}

} // namespace

class TestAllocatorPolicy : public QObject {
    Q_OBJECT

private slots:
    void freedMemoryGoesBackOnceIdle() {
#if !defined(__GLIBC__)
        QSKIP("the policy applies to glibc's allocator");
#elif defined(__SANITIZE_ADDRESS__)
        QSKIP("AddressSanitizer's allocator stands in for glibc's and keeps freed memory itself");
#endif
        platform::keepLargeAllocations();
        platform::releaseFreeMemoryWhenIdle();
        const long before = residentMiB();
        useAndFreeALot();
        const long kept = residentMiB();
        QVERIFY2(kept > before + 200, qPrintable(QString::number(kept)));

        // A user action, then a moment: the blocks are still there for the
        // next command.
        QObject box;
        QEvent key(QEvent::KeyPress);
        QCoreApplication::sendEvent(&box, &key);
        QTest::qWait(300);
        QVERIFY(residentMiB() > before + 200);

        // Left alone, the program gives them back.
        QTRY_VERIFY_WITH_TIMEOUT(residentMiB() < before + 50, 5000);
    }
};

QTEST_GUILESS_MAIN(TestAllocatorPolicy)
#include "test_allocatorpolicy.moc"
