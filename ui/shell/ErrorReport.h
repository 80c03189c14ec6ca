#pragma once
// The text of the standard error report, the message box in which the main
// window shows a failure that left one of its handlers.

#include <windows.h>

#include <exception>
#include <string>
#include <string_view>

namespace ui {

// The report's text: the failure's message with a period appended, unless
// the message is empty or ends in a character at or below '.' ("!", ".",
// a space, ...).
std::wstring MakeErrorReportText(std::wstring_view message);

// The message of a failure: ShellFailure's own, otherwise what() read in
// the ANSI code page.
std::wstring FailureMessage(const std::exception& failure);

}  // namespace ui
