#include "communal/Promo.h"

#include "PromoServerAddress.h"
#include "communal/Download.h"
#include "communal/Folders.h"
#include "communal/Settings.h"
#include "system/FileExt.h"
#include "widgets/AlignedLayout.h"

#include <filesystem>
#include <system_error>

namespace communal {
namespace {

constexpr int FilledSlotHeight = 48;

std::string& baseUrlOverride() {
    static std::string address;
    return address;
}

std::string settingsFile() {
    return GetAppPath() + std::string(PromoSettingsFileName);
}

std::string readSetting(std::string_view section, std::string_view ident) {
    std::string value;
    AccessSetting(settingsFile(), ReadMode, section, ident, "", value);
    return value;
}

bool fileExists(const std::string& fileName) {
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::path(fileName), error);
}

// The slot keeps its alignment; an aligned slot's height is its layout's.
void setSlotHeight(platform::TbsSkinLinkImage* image, int height) {
    if (auto* layout = platform::AlignedLayout::of(image))
        layout->setHeight(image, height);
    else
        image->resize(image->width(), height);
}

void showKeptPicture(platform::TbsSkinLinkImage* image, const std::string& fileName,
                     std::string link) {
    image->Picture().LoadFromFile(fileName);
    image->setAutoSize(false);
    image->setURL(std::move(link));
}

void drawPlaceholder(platform::TbsSkinLinkImage* image) {
    platform::TCanvas& canvas = image->Canvas();
    canvas.Pen.Color = QColor(255, 0, 0);
    canvas.Rectangle(0, 0, 10, 10);
    canvas.TextOut(0, 0, QStringLiteral("点击领取神秘大奖！"));
    image->setURL(promoBaseUrl());
}

} // namespace

std::string promoBaseUrl() {
    return baseUrlOverride().empty() ? std::string(promoaddress::BaseUrl) : baseUrlOverride();
}

void setPromoBaseUrlForTesting(std::string address) {
    baseUrlOverride() = std::move(address);
}

bool isPlainFileExtension(std::string_view extension) {
    for (char c : extension) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return false;
        if (std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos)
            return false;
    }
    return true;
}

bool FetchPromoSettings(std::string_view id) {
    const std::string address = promoBaseUrl() + std::string(id) + ".rar";
    return DownloadFile(address, settingsFile());
}

void LoadPromoImage(platform::TbsSkinLinkImage* image, std::string_view slot, std::string_view id) {
    setSlotHeight(image, FilledSlotHeight);
    const std::string address = readSetting(std::string(id) + "path", slot);
    std::string link = readSetting(std::string(id) + "link", slot);

    // The address comes from the network: a name that would leave the
    // program folder, or that Windows could not store, is never used.
    const std::string extension = platform::ExtractFileExt(address);
    if (!isPlainFileExtension(extension)) {
        drawPlaceholder(image);
        return;
    }
    const std::string kept = GetAppPath() + std::string(slot) + extension;
    if (DownloadFile(address, kept) || fileExists(kept))
        showKeptPicture(image, kept, std::move(link));
    else
        drawPlaceholder(image);
}

} // namespace communal
