// The command path, timed: from the encode (or decode) command to the lower
// box holding and having painted the result, offscreen, beside a bare
// QPlainTextEdit with word wrap taking the same result text (the naive
// floor). One case per process, so that the peak memory is the case's own:
//
//   bench_commands encode|decode|naive-encode|naive-decode <megabytes>
//
// prints one line: case, megabytes, milliseconds, peak resident MiB.

#include "communal/Communal.h"
#include "system/AllocatorPolicy.h"
#include "system/ProgramPath.h"
#include "window/UnitMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>

namespace {

std::string randomPrintableText(std::size_t size) {
    std::string text(size, ' ');
    std::mt19937 random(42);
    std::uniform_int_distribution<int> printable(0x20, 0x7E);
    for (auto& c : text)
        c = static_cast<char>(printable(random));
    return text;
}

long peakResidentMiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmHWM:") {
            long kib = 0;
            status >> kib;
            return kib / 1024;
        }
        status.ignore(1 << 16, '\n');
    }
    return -1;
}

// The command itself, on the real window.
double timeCommand(bool encode, const std::string& input) {
    TfrmAd window;
    window.show();
    window.Memo1->setText(input);
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    if (encode)
        window.bsSkinButton1Click(&window);
    else
        window.bsSkinButton2Click(&window);
    window.Memo2->viewport()->repaint();
    return double(timer.nsecsElapsed()) / 1e6;
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
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char* argv[]) {
    platform::keepLargeAllocations();
    QApplication app(argc, argv);
    // The window's promotion fill finds no server and changes no folder.
    QTemporaryDir programDir;
    platform::setExeNameForTesting(
        programDir.filePath(QStringLiteral("kalvor-base64")).toStdString());
    communal::setPromoBaseUrlForTesting("http://127.0.0.1:1/");
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s encode|decode|naive-encode|naive-decode <megabytes>\n",
                     argv[0]);
        return 2;
    }
    const std::string which = argv[1];
    const std::size_t megabytes = std::stoul(argv[2]);
    const std::string text = randomPrintableText(megabytes * 1000 * 1000);

    double ms = 0;
    if (which == "encode")
        ms = timeCommand(true, text);
    else if (which == "decode")
        ms = timeCommand(false, communal::Base64Encode(text));
    else if (which == "naive-encode")
        ms = timeNaive(communal::Base64Encode(text));
    else if (which == "naive-decode")
        ms = timeNaive(text);
    else
        return 2;
    std::printf("%s %zu %.1f %ld\n", which.c_str(), megabytes, ms, peakResidentMiB());
    return 0;
}
