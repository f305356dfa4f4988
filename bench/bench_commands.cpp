// The command path, timed: from the encode (or decode) command to the lower
// box holding and having painted the result, offscreen, beside a bare
// QPlainTextEdit with word wrap taking the same result text (the naive
// floor). One case per process, so that the peak memory is the case's own:
//
//   bench_commands <case> <megabytes>
//
// encode, decode, naive-encode, naive-decode: the command (or the bare
//   edit) on a text of that size;
// encode-again: a second encode right after a first, the boxes unchanged;
// resize: the lower box holding a Base64 line of that size, from making the
//   box wider to the box painted again;
// type: the same line, from a typed character in its middle to the box
//   painted again;
// emptied: an encode, then both boxes emptied as a user does (select all,
//   Delete), then two seconds of an idle event loop; the last figure is the
//   resident memory at the end.
//
// prints one line: case, megabytes, milliseconds, peak resident MiB, and
// for "emptied" the resident MiB once idle.

#include "communal/Communal.h"
#include "system/AllocatorPolicy.h"
#include "system/ProgramPath.h"
#include "window/UnitMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <tuple>
#include <utility>

namespace {

std::string randomPrintableText(std::size_t size) {
    std::string text(size, ' ');
    std::mt19937 random(42);
    std::uniform_int_distribution<int> printable(0x20, 0x7E);
    for (auto& c : text)
        c = static_cast<char>(printable(random));
    return text;
}

// A figure of /proc/self/status in MiB: VmHWM (peak) or VmRSS (now).
long statusMiB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == field) {
            long kib = 0;
            status >> kib;
            return kib / 1024;
        }
        status.ignore(1 << 16, '\n');
    }
    return -1;
}

long peakResidentMiB() {
    return statusMiB("VmHWM:");
}

double millisecondsSince(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

// Runs the event loop with nothing to do for a while.
void idle(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void runCommand(TfrmAd& window, bool encode) {
    if (encode)
        window.bsSkinButton1Click(&window);
    else
        window.bsSkinButton2Click(&window);
    window.Memo2->viewport()->repaint();
}

// A key pressed and released in a box, as the keyboard delivers it.
void pressKey(QWidget* box, int key, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(box, &press);
    QApplication::sendEvent(box, &release);
}

// The command itself, on the real window.
double timeCommand(bool encode, const std::string& input) {
    TfrmAd window;
    window.show();
    window.Memo1->setText(input);
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    runCommand(window, encode);
    return millisecondsSince(timer);
}

double timeSecondEncode(const std::string& input) {
    TfrmAd window;
    window.show();
    window.Memo1->setText(input);
    QApplication::processEvents();
    runCommand(window, true);

    QElapsedTimer timer;
    timer.start();
    runCommand(window, true);
    return millisecondsSince(timer);
}

// The lower box of a shown window holding one Base64 line of the given size.
struct WindowWithLine {
    TfrmAd window;
    explicit WindowWithLine(std::size_t characters) {
        window.show();
        const std::string line =
            communal::Base64Encode(randomPrintableText(characters / 4 * 3)).substr(0, characters);
        window.Memo2->setText(line);
        window.Memo2->viewport()->repaint();
        QApplication::processEvents();
    }
};

double timeResize(std::size_t characters) {
    WindowWithLine shown(characters);
    platform::TMemo* box = shown.window.Memo2;

    QElapsedTimer timer;
    timer.start();
    box->resize(box->width() + 100, box->height());
    box->viewport()->repaint();
    return millisecondsSince(timer);
}

double timeTypedCharacter(std::size_t characters) {
    WindowWithLine shown(characters);
    platform::TMemo* box = shown.window.Memo2;
    box->setFocus();
    box->setCursorPosition(qsizetype(characters / 2));
    box->viewport()->repaint();

    QElapsedTimer timer;
    timer.start();
    pressKey(box, Qt::Key_X, QStringLiteral("x"));
    box->viewport()->repaint();
    return millisecondsSince(timer);
}

// Encodes, then empties both boxes with select all and Delete, then idles;
// gives the time of the emptying and the resident memory at the end.
std::pair<double, long> emptiedAndIdle(const std::string& input) {
    TfrmAd window;
    window.show();
    window.Memo1->setText(input);
    QApplication::processEvents();
    runCommand(window, true);
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    for (platform::TMemo* box : {window.Memo1, window.Memo2}) {
        box->setFocus();
        box->selectAll();
        pressKey(box, Qt::Key_Delete);
        box->viewport()->repaint();
    }
    const double ms = millisecondsSince(timer);
    idle(2000);
    return {ms, statusMiB("VmRSS:")};
}

// A bare word-wrapping QPlainTextEdit taking the command's result text.
double timeNaive(const std::string& result) {
    QPlainTextEdit edit;
    edit.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    edit.resize(407, 135);
    edit.show();
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    edit.setPlainText(QString::fromLatin1(result.data(), qsizetype(result.size())));
    edit.viewport()->repaint();
    return millisecondsSince(timer);
}

} // namespace

int main(int argc, char* argv[]) {
    platform::keepLargeAllocations();
    QApplication app(argc, argv);
    platform::releaseFreeMemoryWhenIdle();
    // The window's promotion fill finds no server and changes no folder.
    QTemporaryDir programDir;
    platform::setExeNameForTesting(
        programDir.filePath(QStringLiteral("kalvor-base64")).toStdString());
    communal::setPromoBaseUrlForTesting("http://127.0.0.1:1/");
    if (argc != 3) {
        std::fprintf(stderr,
                     "usage: %s encode|decode|naive-encode|naive-decode|encode-again|resize|type|"
                     "emptied <megabytes>\n",
                     argv[0]);
        return 2;
    }
    const std::string which = argv[1];
    const std::size_t megabytes = std::stoul(argv[2]);
    const std::size_t size = megabytes * 1000 * 1000;

    double ms = 0;
    long idleResident = -1;
    if (which == "encode")
        ms = timeCommand(true, randomPrintableText(size));
    else if (which == "decode")
        ms = timeCommand(false, communal::Base64Encode(randomPrintableText(size)));
    else if (which == "naive-encode")
        ms = timeNaive(communal::Base64Encode(randomPrintableText(size)));
    else if (which == "naive-decode")
        ms = timeNaive(randomPrintableText(size));
    else if (which == "encode-again")
        ms = timeSecondEncode(randomPrintableText(size));
    else if (which == "resize")
        ms = timeResize(size);
    else if (which == "type")
        ms = timeTypedCharacter(size);
    else if (which == "emptied")
        std::tie(ms, idleResident) = emptiedAndIdle(randomPrintableText(size));
    else
        return 2;
    std::printf("%s %zu %.1f %ld", which.c_str(), megabytes, ms, peakResidentMiB());
    if (idleResident >= 0)
        std::printf(" %ld", idleResident);
    std::printf("\n");
    return 0;
}
