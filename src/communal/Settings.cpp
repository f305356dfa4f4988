#include "communal/Settings.h"

#include "communal/Folders.h"
#include "communal/Scrambler.h"
#include "system/IniFile.h"

namespace communal {

void AccessSetting(std::string_view fileName, std::uint8_t mode, std::string_view section,
                   std::string_view ident, std::string_view newValue, std::string& value) {
    platform::TIniFile settings(fileName.empty()
                                    ? GetAppPath() + std::string(DefaultSettingsFileName)
                                    : std::string(fileName));
    if (mode == WriteMode) {
        settings.WriteString(section, ident, EncryptSetting(newValue, SettingKey));
        value.clear();
    } else {
        value = DecryptSetting(settings.ReadString(section, ident, ""), SettingKey);
    }
}

} // namespace communal
