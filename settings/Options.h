// The options beyond the six settings: what each key is called, which
// values are in force, and the options as the scheduler uses them.
//
// Each option's text is what the window's widget holds and what the file
// stores. A value that is not valid for its option counts as off:
//   newip, newiphours, authstop  a whole number; 0, empty, negative, not a
//                                number or holding a control character: off;
//                                above its cap (20, 720, 20): the cap
//   ipcheckurl                   an http:// or https:// address without
//                                blanks or control characters, at most 2048
//                                bytes; anything else: off
//   redialondrop, log, balloon,  "1" (blanks around it allowed): on
//   api
//   apihost                      an IPv4 address (dotted) or an IPv6 address
//                                (hex digits and colons); anything else: off,
//                                and the API listens on 127.0.0.1
//   apiport                      1 to 65535; anything else: off (kDefaultApiPort)
//   apitoken                     1 to 256 printable ASCII characters, no blank
//   onnewip                      a command line without control characters, at
//                                most 1024 bytes, not blank
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace settings {

enum class OptionKey {
    NewIp,
    NewIpHours,
    IpCheckUrl,
    AuthStop,
    RedialOnDrop,
    Log,
    Balloon,
    Api,
    ApiHost,
    ApiPort,
    ApiToken,
    OnNewIp,
};

inline constexpr std::size_t kOptionCount = 12;

// The keys in the order in which they are written, after the six settings.
inline constexpr std::array<OptionKey, kOptionCount> kOptionKeys = {
    OptionKey::NewIp,        OptionKey::NewIpHours, OptionKey::IpCheckUrl, OptionKey::AuthStop,
    OptionKey::RedialOnDrop, OptionKey::Log,        OptionKey::Balloon,    OptionKey::Api,
    OptionKey::ApiHost,      OptionKey::ApiPort,    OptionKey::ApiToken,   OptionKey::OnNewIp,
};

inline constexpr std::int32_t kMaxNewIpTries = 20;
inline constexpr std::int32_t kMaxNewIpHours = 720;
inline constexpr std::int32_t kMaxAuthStop = 20;
inline constexpr std::size_t kMaxUrlLength = 2048;
inline constexpr std::size_t kMaxTokenLength = 256;
inline constexpr std::size_t kMaxCommandLength = 1024;
inline constexpr const char* kDefaultApiHost = "127.0.0.1";
inline constexpr std::uint16_t kDefaultApiPort = 17080;

// The key's name in the file: "newip", "newiphours", ...
const char* OptionName(OptionKey key);

// True for the options that are a box to tick rather than a value.
bool IsFlagOption(OptionKey key);

// The text of the value in force for `text`: a number in plain decimal,
// "1" for a flag that is on, the address itself; "" when the option is off.
std::string OptionInForce(OptionKey key, std::string_view text);

// The options in force, as the program acts on them.
struct RedialOptions {
    std::int32_t newIp = 0;       // tries for a fresh address; 0: off
    std::int32_t newIpHours = 0;  // also not fresh: an address of the last H hours
    std::string ipCheckUrl;       // where the public address is read; empty: off
    std::int32_t authStop = 0;    // account failures in a row that stop dialling; 0: off
    bool redialOnDrop = false;
    bool log = false;
    bool balloon = false;
    bool api = false;                       // serve the HTTP API
    std::string apiHost = kDefaultApiHost;  // where it listens
    std::uint16_t apiPort = kDefaultApiPort;
    std::string apiToken;  // the bearer token every request must carry; empty: none
    std::string onNewIp;   // the command started after each re-dial's new address

    bool operator==(const RedialOptions&) const = default;
};

// Reads the options from their texts, one per key in kOptionKeys order.
RedialOptions ReadOptions(const std::array<std::string, kOptionCount>& texts);

}  // namespace settings
