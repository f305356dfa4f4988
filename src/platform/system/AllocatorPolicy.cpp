#include "system/AllocatorPolicy.h"

#include <QBasicTimer>
#include <QCoreApplication>
#include <QEvent>
#include <QTimerEvent>
#include <cstdlib> // defines __GLIBC__ where the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform {
namespace {

// How long the program must be left alone before the memory goes back.
constexpr int IdleMilliseconds = 1000;

// Less free memory than this is not worth a trim.
constexpr std::size_t WorthReleasing = std::size_t(16) << 20;

std::size_t freeHeapBytes() {
#if defined(__GLIBC__)
    return mallinfo2().fordblks;
#else
    return 0;
#endif
}

bool isUserAction(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::InputMethod:
    case QEvent::Drop:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
}

// Watches the application's events; every user action starts the wait anew.
class IdleRelease : public QObject {
public:
    explicit IdleRelease(QObject* parent)
        : QObject(parent) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (isUserAction(event->type()))
            wait_.start(IdleMilliseconds, this);
        return QObject::eventFilter(watched, event);
    }

    void timerEvent(QTimerEvent* event) override {
        if (event->timerId() != wait_.timerId())
            return;
        wait_.stop();
        if (freeHeapBytes() >= WorthReleasing)
            releaseFreeMemory();
    }

private:
    QBasicTimer wait_;
};

} // namespace

void keepLargeAllocations() {
#if defined(__GLIBC__)
    // Serve blocks of up to 1 GiB from the heap, and trim the heap only when
    // more than 1 GiB lies free at its top.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
}

void releaseFreeMemory() {
#if defined(__GLIBC__)
    // Gives back the free top of every heap and the free pages inside it.
    malloc_trim(0);
#endif
}

void releaseFreeMemoryWhenIdle() {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return;
    application->installEventFilter(new IdleRelease(application));
}

} // namespace platform
