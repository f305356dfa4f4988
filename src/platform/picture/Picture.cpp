#include "picture/Picture.h"

#include "picture/Graphic.h"
#include "system/CodePage.h"
#include "system/Exception.h"

#include <QFile>
#include <algorithm>
#include <cctype>
#include <functional>

namespace platform {
namespace {

using Reader = std::function<std::unique_ptr<TGraphic>(const QByteArray&)>;

struct Registration {
    PictureFormat format;
    Reader read;
};

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

const std::vector<Registration>& registry() {
    static const std::vector<Registration> formats = [] {
        std::vector<Registration> list;
        const auto add = [&list](std::string_view extension, std::string description, Reader read) {
            list.push_back({{lowerCase(extension), std::move(description)}, std::move(read)});
        };
        add("wmf", "Metafiles", readWindowsMetafile);
        add("emf", "Enhanced Metafiles", readEnhancedMetafile);
        add("ico", "Icons", readIcon);
        add("bmp", "Bitmaps", readBitmap);
        add("GIF", "GIF Image", readGif);
        add("jpeg", "JPEG Image File", readJpeg);
        add("jpg", "JPEG Image File", readJpeg);
        return list;
    }();
    return formats;
}

// The latest registration of the extension wins.
const Registration* findFormat(const std::string& lowerExtension) {
    const auto& formats = registry();
    const auto found =
        std::find_if(formats.rbegin(), formats.rend(), [&](const Registration& registration) {
            return registration.format.extension == lowerExtension;
        });
    return found == formats.rend() ? nullptr : &*found;
}

QByteArray readFile(std::string_view fileName) {
    QFile file(CodePage::system().toUnicode(fileName));
    if (!file.open(QIODevice::ReadOnly))
        throw Exception("Cannot open file \"" + std::string(fileName) +
                        "\": " + CodePage::system().fromUnicode(file.errorString()));
    return file.readAll();
}

// The last part of a local path. On Windows the extension rule itself stops
// at the folder separator "\"; elsewhere the separator is "/", which the rule
// treats as an ordinary character (it must, for web addresses), so a dot in
// a folder's name would otherwise count.
std::string_view localFileName(std::string_view path) {
#ifdef _WIN32
    return path;
#else
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
#endif
}

} // namespace

std::vector<PictureFormat> pictureFormats() {
    std::vector<PictureFormat> formats;
    for (const Registration& registration : registry())
        formats.push_back(registration.format);
    return formats;
}

TPicture::TPicture(QObject* parent)
    : QObject(parent) {}

TPicture::~TPicture() = default;

void TPicture::LoadFromFile(std::string_view fileName) {
    std::string extension = ExtractFileExt(localFileName(fileName));
    if (!extension.empty())
        extension.erase(0, 1);
    const Registration* format = findFormat(lowerCase(extension));
    if (!format)
        throw Exception("Unknown picture file extension (." + extension + ")");
    // Read into a graphic of its own: a file that fails leaves the current
    // content as it was.
    std::unique_ptr<TGraphic> graphic = format->read(readFile(fileName));
    assign(std::move(graphic), format->format.extension);
}

QSize TPicture::size() const {
    return graphic_ ? graphic_->size() : QSize(0, 0);
}

void TPicture::draw(QPainter& painter, QPoint topLeft) const {
    if (graphic_)
        graphic_->draw(painter, topLeft);
}

QImage* TPicture::bitmap() {
    return graphic_ ? graphic_->bitmap() : nullptr;
}

void TPicture::setBitmap(QImage image) {
    assign(std::make_unique<TBitmap>(std::move(image)), "bmp");
}

void TPicture::assign(std::unique_ptr<TGraphic> graphic, std::string format) {
    graphic_ = std::move(graphic);
    format_ = std::move(format);
    if (graphic_)
        graphic_->animate([this] { emit changed(); });
    emit changed();
}

} // namespace platform
