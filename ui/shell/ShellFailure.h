#pragma once
// The failure that leaves a handler of the window and reaches the standard
// error report: a message for the user, in UTF-16.

#include <exception>
#include <string>

namespace ui {

class ShellFailure : public std::exception {
public:
    explicit ShellFailure(std::wstring message);

    const std::wstring& Message() const noexcept { return message_; }
    // The message in UTF-8, for code that only knows std::exception.
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    std::wstring message_;
    std::string utf8_;
};

}  // namespace ui
