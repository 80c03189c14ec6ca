#include "settings/SettingsPath.h"

namespace settings {

std::string SettingsPathFromModulePath(std::string_view modulePath, LeadBytePredicate isLeadByte)
{
    std::size_t directoryLength = 0;
    for (std::size_t i = 0; i < modulePath.size(); ++i) {
        const char c = modulePath[i];
        if (c == '\\' || c == ':') {
            directoryLength = i + 1;
        } else if (isLeadByte != nullptr && isLeadByte(static_cast<unsigned char>(c))) {
            ++i;  // the trail byte belongs to this character
        }
    }
    std::string path(modulePath.substr(0, directoryLength));
    path += "dialup.ini";
    return path;
}

}  // namespace settings
