// One picture load, timed and weighed: the picture loader on files of up to
// the download cap (8 MiB), hostile and legitimate, each loaded in a
// process of its own so that the peak memory is the load's own. The load is
// followed by one draw at 1:1 onto a surface of the top slot's size, as the
// slot paints it.
//
//   bench_picture --list                 the cases, one a line
//   bench_picture --write CASE FILE      writes the case's file
//   bench_picture --load FILE            loads it and prints one line:
//       bytes, load ms, draw ms, peak resident MiB, and what came of it
//
// scripts/bench runs every case.

#include "HostilePictures.h"
#include "picture/Picture.h"
#include "system/AllocatorPolicy.h"
#include "system/Exception.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <string>

namespace {

constexpr qsizetype DownloadCap = qsizetype{8} * 1024 * 1024;

// A photograph-like picture: smooth colours with noise, which JPEG codes
// at a few bits a pixel.
QImage photoLike(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> noise(-24, 24);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgb(qBound(0, x * 255 / width + noise(random), 255),
                           qBound(0, y * 255 / height + noise(random), 255),
                           qBound(0, 128 + noise(random), 255));
    }
    return image;
}

// Records repeated until the file reaches the download cap.
int recordsToFill(const QByteArray& record, qsizetype overhead = 200) {
    return int((DownloadCap - overhead) / record.size());
}

using fixtures::emfRecord;
using fixtures::wmfRecord;

// A polygon record of the most points one record holds, spread over the
// top slot.
QByteArray polygonOfMostPoints() {
    QByteArray points;
    fixtures::putWord(points, 32767);
    for (int i = 0; i < 32767; ++i) {
        fixtures::putWord(points, (i * 37) % 201);
        fixtures::putWord(points, (i * 11) % 43);
    }
    QByteArray record;
    fixtures::putDword(record, quint32(3 + points.size() / 2));
    fixtures::putWord(record, 0x0324);
    return record + points;
}

QByteArray wmfFilled(const QByteArray& record, int objects = 4) {
    return fixtures::wmf(201, 43, fixtures::repeated(record, recordsToFill(record)), 96, objects);
}

QByteArray emfFilled(const QByteArray& record, const QByteArray& prologue = {}, int handles = 4) {
    return fixtures::emf(201, 43, prologue + fixtures::repeated(record, recordsToFill(record)),
                         handles);
}

struct Case {
    const char* extension;
    std::function<QByteArray()> make;
};

const std::map<std::string, Case>& cases() {
    static const std::map<std::string, Case> all{
        // Windows bitmaps
        {"bmp-24bit-1600x1700",
         {"bmp", [] { return fixtures::written(photoLike(1600, 1700), "bmp"); }}},
        {"bmp-rle8-4096x4096-long-runs", {"bmp", [] { return fixtures::rle8Filled(4096, 4096); }}},
        {"bmp-rle8-4096x2048-runs-of-3",
         {"bmp", [] { return fixtures::rle8Filled(4096, 2048, 3); }}},
        {"bmp-rle8-1k-declares-8192x8192", {"bmp", [] { return fixtures::rleDeclaringHuge(); }}},
        {"bmp-rle8-index-beyond-colours",
         {"bmp", [] { return fixtures::rleIndexBeyondColours(); }}},
        // icons
        {"ico-256x256",
         {"ico",
          [] {
              return fixtures::written(photoLike(256, 256).convertToFormat(QImage::Format_ARGB32),
                                       "ico");
          }}},
        // GIF
        {"gif-95b-screen-8192x8192", {"gif", [] { return fixtures::gifWithScreen(8192, 8192); }}},
        {"gif-1000x1000-4-frames",
         {"gif",
          [] {
              constexpr std::size_t Pixels = std::size_t{1000} * 1000;
              std::vector<fixtures::GifFrame> frames;
              frames.reserve(4);
              for (int f = 0; f < 4; ++f)
                  frames.push_back({std::vector<int>(Pixels, f), -1, 10});
              return fixtures::gif(1000, 1000, frames);
          }}},
        // JPEG
        {"jpeg-4096x4096-baseline",
         {"jpg", [] { return fixtures::jpegWritten(photoLike(4096, 4096), false, 85); }}},
        {"jpeg-4096x4096-progressive",
         {"jpg", [] { return fixtures::jpegWritten(photoLike(4096, 4096), true, 85); }}},
        {"jpeg-300b-declares-8192x8192",
         {"jpg", [] { return fixtures::tinyJpegDeclaringHuge(false); }}},
        {"jpeg-300b-declares-4096x4096",
         {"jpg", [] { return fixtures::tinyJpegDeclaringHuge(false, 4096, 4096); }}},
        {"jpeg-500b-progressive-declares-4096x4096",
         {"jpg", [] { return fixtures::tinyJpegDeclaringHuge(true, 4096, 4096); }}},
        {"gif-95b-screen-4096x4096", {"gif", [] { return fixtures::gifWithScreen(4096, 4096); }}},
        {"bmp-rle8-1k-declares-4096x4096",
         {"bmp", [] { return fixtures::rleDeclaringHuge(4096, 4096); }}},
        {"jpeg-500b-progressive-declares-8192x8192",
         {"jpg", [] { return fixtures::tinyJpegDeclaringHuge(true); }}},
        {"jpeg-progressive-4096x4096-1000-scans",
         {"jpg",
          [] {
              return fixtures::progressiveJpegWithScans(
                  fixtures::tinyJpegDeclaringHuge(true, 4096, 4096), 1000);
          }}},
        {"jpeg-progressive-256x256-8MiB-of-scans",
         {"jpg",
          [] {
              const QByteArray small = fixtures::tinyJpegDeclaringHuge(true, 256, 256);
              const qsizetype scan = fixtures::firstScanOf(small).size();
              return fixtures::progressiveJpegWithScans(small,
                                                        int((DownloadCap - small.size()) / scan));
          }}},
        // Windows metafiles
        {"wmf-palettes-8MiB",
         {"wmf",
          [] {
              return wmfFilled(wmfRecord(0x00F7, {0x0300, 0}), 0xFFFF);
          }}},
        {"wmf-palettes-65535", {"wmf", [] { return fixtures::wmfManyPalettes(65535); }}},
        {"wmf-palettes-created-and-deleted-8MiB",
         {"wmf",
          [] {
              return wmfFilled(wmfRecord(0x00F7, {0x0300, 0}) + wmfRecord(0x01F0, {0}));
          }}},
        {"wmf-save-states-8MiB", {"wmf", [] { return wmfFilled(wmfRecord(0x001E, {})); }}},
        {"wmf-texts-8MiB",
         {"wmf",
          [] {
              return wmfFilled(wmfRecord(0x0521, {2, 0x4D4D, 5, 5}));
          }}},
        {"wmf-rectangles-8MiB",
         {"wmf",
          [] {
              return wmfFilled(wmfRecord(0x041B, {40, 200, 0, 0}));
          }}},
        {"wmf-ellipses-8MiB",
         {"wmf",
          [] {
              return wmfFilled(wmfRecord(0x0418, {40, 200, 0, 0}));
          }}},
        {"wmf-polygon-32767-points-8MiB", {"wmf", [] { return wmfFilled(polygonOfMostPoints()); }}},
        {"wmf-dashed-lines-8MiB",
         {"wmf",
          [] {
              const QByteArray line = wmfRecord(0x0214, {0, 0}) + wmfRecord(0x0213, {43, 201});
              return fixtures::wmf(201, 43,
                                   wmfRecord(0x02FA, {1, 0, 0, 0, 0}) + wmfRecord(0x012D, {0}) +
                                       fixtures::repeated(line, recordsToFill(line)));
          }}},
        {"wmf-dashed-lines-across-the-plane",
         {"wmf",
          [] {
              return fixtures::wmf(201, 43,
                                   wmfRecord(0x020C, {1, 1}) + wmfRecord(0x02FA, {1, 0, 0, 0, 0}) +
                                       wmfRecord(0x012D, {0}) +
                                       fixtures::repeated(wmfRecord(0x0214, {-32767, -32767}) +
                                                              wmfRecord(0x0213, {32767, 32767}),
                                                          100));
          }}},
        // The most a metafile may draw: just within the player's budget.
        {"wmf-rectangles-29990",
         {"wmf",
          [] {
              return fixtures::wmf(201, 43,
                                   fixtures::repeated(wmfRecord(0x041B, {40, 200, 0, 0}), 29990));
          }}},
        {"wmf-texts-9990",
         {"wmf",
          [] {
              return fixtures::wmf(201, 43,
                                   fixtures::repeated(wmfRecord(0x0521, {2, 0x4D4D, 5, 5}), 9990));
          }}},
        {"wmf-polygons-4x32767-points",
         {"wmf",
          [] { return fixtures::wmf(201, 43, fixtures::repeated(polygonOfMostPoints(), 4)); }}},
        {"wmf-huge-font", {"wmf", [] { return fixtures::wmfTextOfHeight(32767); }}},
        {"wmf-huge-pen", {"wmf", [] { return fixtures::wmfLineOfPenWidth(32767); }}},
        // enhanced metafiles
        {"emf-brushes-at-rising-indexes-8MiB",
         {"emf",
          [] {
              QByteArray records;
              const int count = recordsToFill(emfRecord(39, {0, 0, 0, 0}));
              for (int i = 0; i < count; ++i)
                  records += emfRecord(39, {quint32(i + 1), 0, 0x00FF0000, 0});
              return fixtures::emf(201, 43, records, 0xFFFF);
          }}},
        {"emf-save-states-8MiB", {"emf", [] { return emfFilled(emfRecord(33, {})); }}},
        {"emf-texts-8MiB",
         {"emf",
          [] {
              return emfFilled(emfRecord(
                  84, {0, 0, 100, 50, 1, 0, 0, 5, 5, 2, 76, 0, 0, 0, 0, 0, 0, 0x004D004D}));
          }}},
        {"emf-huge-font", {"emf", [] { return fixtures::emfTextOfHeight(1 << 30, 1000); }}},
        {"emf-huge-pen", {"emf", [] { return fixtures::emfLineOfPenWidth(1u << 30, 1000); }}},
    };
    return all;
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

int write(const std::string& name, const char* fileName) {
    const auto found = cases().find(name);
    if (found == cases().end()) {
        std::fprintf(stderr, "no case %s\n", name.c_str());
        return 2;
    }
    const QByteArray bytes = found->second.make();
    if (bytes.size() > DownloadCap) {
        std::fprintf(stderr, "case %s is larger than the download cap\n", name.c_str());
        return 1;
    }
    QFile out(QString::fromLocal8Bit(fileName) + "." + found->second.extension);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        return 1;
    std::printf("%s\n", qPrintable(out.fileName()));
    return 0;
}

int load(const char* fileName) {
    platform::TPicture picture;
    std::string outcome;
    QElapsedTimer timer;
    timer.start();
    try {
        picture.LoadFromFile(fileName);
        outcome = "loaded " + std::to_string(picture.size().width()) + "x" +
                  std::to_string(picture.size().height());
    } catch (const platform::Exception& error) {
        outcome = std::string("\"") + error.what() + "\"";
    }
    const double loadMs = double(timer.nsecsElapsed()) / 1e6;
    timer.restart();
    QImage slot(201, 43, QImage::Format_ARGB32_Premultiplied);
    slot.fill(Qt::white);
    {
        QPainter painter(&slot);
        picture.draw(painter, QPoint(0, 0));
    }
    const double drawMs = double(timer.nsecsElapsed()) / 1e6;
    std::printf("%lld %.1f %.1f %ld %s\n", static_cast<long long>(QFile(fileName).size()), loadMs,
                drawMs, peakResidentMiB(), outcome.c_str());
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    platform::keepLargeAllocations();
    QGuiApplication app(argc, argv);
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "--list" && argc == 2) {
        for (const auto& [name, item] : cases())
            std::printf("%s\n", name.c_str());
        return 0;
    }
    if (command == "--write" && argc == 4)
        return write(argv[2], argv[3]);
    if (command == "--load" && argc == 3)
        return load(argv[2]);
    std::fprintf(stderr, "usage: %s --list | --write CASE FILE | --load FILE\n", argv[0]);
    return 2;
}
