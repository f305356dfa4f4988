#pragma once

// The promotion slots: the settings file fetched from the promotion server,
// and each slot filled with its picture and link, falling back to a picture
// kept from an earlier run and then to a drawn placeholder.

#include "widgets/LinkImage.h"

#include <string>
#include <string_view>

namespace communal {

// The promotion server's base URL, an address ending in "/", built in.
std::string promoBaseUrl();
// Makes promoBaseUrl() give another address, so that tests can serve the
// promotion from a port of their own. An empty address restores the built-in one.
void setPromoBaseUrlForTesting(std::string address);

// The name of the settings file in the program folder.
inline constexpr std::string_view PromoSettingsFileName = "SetConfig.ini";

// Downloads the settings file named after the promotion id into the program
// folder as "SetConfig.ini"; true when it was downloaded.
bool FetchPromoSettings(std::string_view id);

// Fills one slot from the settings file: its picture, downloaded afresh into
// the program folder as the slot key plus the picture's extension, or the one
// kept there, or the placeholder; and its link. A picture that cannot be
// loaded raises the picture loader's error.
void LoadPromoImage(platform::TbsSkinLinkImage* image, std::string_view slot, std::string_view id);

// Whether an extension taken from a picture address gives a kept picture that
// is a plain file directly in the program folder on every platform: no "/",
// and none of the characters that a Windows file name cannot hold.
bool isPlainFileExtension(std::string_view extension);

} // namespace communal
