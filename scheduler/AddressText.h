// Finding an IPv4 address in a text, as a public-address page replies it.
#pragma once

#include <string>
#include <string_view>

namespace scheduler {

// The first dotted IPv4 address in the text ("203.0.113.7"), four decimal
// parts of 0 to 255 not joined to further digits or dots; empty when there
// is none.
std::string FirstIPv4(std::string_view text);

}  // namespace scheduler
