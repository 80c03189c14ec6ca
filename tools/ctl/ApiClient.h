// velmora-ctl's side of the program's HTTP API: where it listens, as the
// settings file beside the exe says, and one request to it over WinHTTP.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ctl {

// Where a Velmora's API is reached, from its settings file.
struct ApiTarget {
    bool enabled = false;  // api=1
    std::string host;      // the address to connect to
    std::uint16_t port = 0;
    std::string token;  // sent as "Authorization: Bearer <token>"; empty: none
};

// The target that the bytes of a settings file give, read by the rules the
// program itself uses (keys without regard to case, the first line of a key
// counts, a value that is not valid counts as not set). A host that means
// every address of the computer (0.0.0.0, ::) is reached on the loopback
// address of its kind.
ApiTarget ApiTargetFromSettings(std::string_view fileBytes);

// The bytes of "dialup.ini" beside an exe; empty when there is none or it
// cannot be read.
std::string ReadSettingsBeside(const std::wstring& exePath);

struct ApiReply {
    bool answered = false;  // false: no answer came (error says why)
    int status = 0;
    std::string body;
    std::string error;
};

// One request, e.g. "GET" "/status", with no proxy; every step (connecting,
// sending, waiting for the answer, each read) within `timeoutMs`. The body
// is read in full, up to kMaxApiBody bytes; a longer one is no answer.
inline constexpr std::size_t kMaxApiBody = 16 * 1024 * 1024;
ApiReply CallApi(const ApiTarget& target, const wchar_t* method, const std::string& path, unsigned long timeoutMs);

}  // namespace ctl
