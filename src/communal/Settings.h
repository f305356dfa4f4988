#pragma once

// One value of an INI settings file, stored as scrambled setting text under
// SettingKey.

#include <cstdint>
#include <string>
#include <string_view>

namespace communal {

// The modes of AccessSetting: WriteMode writes; ReadMode, like every other
// value, reads.
constexpr std::uint8_t ReadMode = 0;
constexpr std::uint8_t WriteMode = 1;

// The settings file used when AccessSetting is given no file name, in the
// program folder.
constexpr std::string_view DefaultSettingsFileName = "config.ini";

// Reads or writes entry ident of section in the INI file fileName (the
// default settings file when empty). Mode WriteMode stores newValue
// scrambled and sets value to ""; every other mode reads, giving "" for a
// missing file, section or entry. A write that fails throws
// platform::Exception "Unable to write to <file name>" and leaves value as
// it was. The file is opened afresh for every call.
void AccessSetting(std::string_view fileName, std::uint8_t mode, std::string_view section,
                   std::string_view ident, std::string_view newValue, std::string& value);

} // namespace communal
