// Where the settings file lives: "dialup.ini" in the directory of the
// running executable.
#pragma once

#include <string>
#include <string_view>

namespace settings {

// Tells whether a byte starts a double-byte character in the ANSI code
// page. Null for a single-byte code page.
using LeadBytePredicate = bool (*)(unsigned char);

// The module path cut after its last "\" or ":", followed by "dialup.ini".
// A path without either gives plain "dialup.ini". With a lead-byte
// predicate, the trail byte of a double-byte character is never taken for
// a "\" (code page 936 has trail bytes of that value).
std::string SettingsPathFromModulePath(std::string_view modulePath, LeadBytePredicate isLeadByte = nullptr);

}  // namespace settings
