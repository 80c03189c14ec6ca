// Asking a web page for the computer's public address, behind a seam: the
// Windows build fetches the page with WinHTTP on a thread of its own, tests
// answer from a script.
#pragma once

#include <functional>
#include <string>

namespace scheduler {

// What one check brought back.
struct AddressCheckAnswer {
    bool received = false;  // a whole reply came with status 200
    std::string body;       // its first bytes (at most kMaxAddressCheckBody)
    std::string error;      // why there was none, for the user: "timeout", "HTTP 404", ...
};

inline constexpr std::size_t kMaxAddressCheckBody = 64 * 1024;
// The longest a check may take, from its start to its answer.
inline constexpr int kAddressCheckLimitSeconds = 10;

class AddressCheck {
public:
    using Done = std::function<void(const AddressCheckAnswer&)>;

    virtual ~AddressCheck() = default;

    // Starts fetching `url` (http or https) and returns at once. `done` runs
    // later, once, on the program's thread, with the answer; never after the
    // check object is gone.
    virtual void Start(const std::string& url, Done done) = 0;
};

}  // namespace scheduler
