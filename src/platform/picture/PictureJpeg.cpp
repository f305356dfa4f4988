// JPEG pictures, decoded with libjpeg. An error of the decoder becomes
// "JPEG error #n", n being libjpeg's own message code, and so do the limits
// that keep a small file from taking much time or memory: a picture beyond
// the pixel limit (as libjpeg's "image too big"), more scans than any
// encoder writes (as "invalid progressive parameters"), and more working
// memory than a picture of the pixel limit needs (as "backing store not
// supported", libjpeg's own answer to its memory limit). Warnings (such as a
// file that ends early) are not errors: the picture shows what was decoded.

#include "picture/Graphic.h"
#include "system/Exception.h"

#include <csetjmp>
#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>
#include <string>
#include <vector>

namespace platform {
namespace {

// Progressive files spread a picture over scans, and every scan walks the
// whole picture again: encoders write about ten, the longest scripts a few
// hundred.
constexpr int MaxScans = 500;
// A progressive picture of the pixel limit keeps its coefficients, two bytes
// for each sample of up to four components.
constexpr long MaxDecoderMemory = 192L * 1024 * 1024;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf escape;
};

[[noreturn]] void leaveDecoder(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->escape, 1);
}

void ignoreMessage(j_common_ptr, int) {}

// Called as the decoder works its way through the file.
void limitScans(j_common_ptr info) {
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > MaxScans) {
        info->err->msg_code = JERR_BAD_PROGRESSION;
        info->err->error_exit(info);
    }
}

// Adobe writes CMYK JPEGs inverted; libjpeg hands the bytes over as stored.
void cmykToRgb(const JSAMPLE* cmyk, uchar* rgb, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        rgb[0] = static_cast<uchar>(c * k / 255);
        rgb[1] = static_cast<uchar>(m * k / 255);
        rgb[2] = static_cast<uchar>(y * k / 255);
    }
}

// Everything that must survive a longjmp lives outside the function that
// calls setjmp, so that no object with a destructor is skipped.
struct Decoding {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    jpeg_progress_mgr progress{};
    QImage image;
    std::vector<JSAMPLE> cmykRow;
    bool tooLarge = false;
};

// Returns false when libjpeg raised an error; the code is in msg_code.
bool decode(Decoding& job, const QByteArray& data) {
    job.info.err = jpeg_std_error(&job.errors.base);
    job.errors.base.error_exit = leaveDecoder;
    job.errors.base.emit_message = ignoreMessage;
    if (setjmp(job.errors.escape))
        return false;
    jpeg_create_decompress(&job.info);
    job.info.mem->max_memory_to_use = MaxDecoderMemory;
    job.progress.progress_monitor = limitScans;
    job.info.progress = &job.progress;
    jpeg_mem_src(&job.info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&job.info, TRUE);
    if (exceedsPixelLimit(job.info.image_width, job.info.image_height)) {
        job.tooLarge = true;
        return true;
    }
    const bool cmyk =
        job.info.jpeg_color_space == JCS_CMYK || job.info.jpeg_color_space == JCS_YCCK;
    job.info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&job.info);
    job.image = QImage(static_cast<int>(job.info.output_width),
                       static_cast<int>(job.info.output_height), QImage::Format_RGB888);
    if (job.image.isNull()) {
        job.tooLarge = true;
        return true;
    }
    if (cmyk)
        job.cmykRow.resize(std::size_t(job.info.output_width) * 4);
    while (job.info.output_scanline < job.info.output_height) {
        uchar* line = job.image.scanLine(static_cast<int>(job.info.output_scanline));
        JSAMPROW row = cmyk ? job.cmykRow.data() : line;
        jpeg_read_scanlines(&job.info, &row, 1);
        if (cmyk)
            cmykToRgb(row, line, job.info.output_width, job.info.saw_Adobe_marker);
    }
    jpeg_finish_decompress(&job.info);
    return true;
}

} // namespace

std::unique_ptr<TGraphic> readJpeg(const QByteArray& data) {
    Decoding job;
    const bool decoded = decode(job, data);
    const int code = job.errors.base.msg_code;
    jpeg_destroy_decompress(&job.info);
    if (!decoded)
        throw Exception("JPEG error #" + std::to_string(code));
    // Too many pixels is reported in the decoder's own terms.
    if (job.tooLarge)
        throw Exception("JPEG error #" + std::to_string(JERR_IMAGE_TOO_BIG));
    return std::make_unique<TRasterGraphic>(std::move(job.image));
}

} // namespace platform
