#pragma once
// The standard error report: a failure that leaves a handler is shown in a
// modal message box (the application's title as caption, an error icon, OK)
// and the program carries on with its next message.

#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <string_view>

// The report's text: the failure's message with a period appended, unless
// the message is empty or ends in a character at or below '.' ("!", ".",
// a space, ...).
std::wstring MakeErrorReportText(std::wstring_view message);

// The message of a failure: TShellFailure's own, otherwise what() read in
// the ANSI code page.
std::wstring FailureMessage(const std::exception& failure);

using MessageBoxCall = std::function<int(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)>;

// The real call: MessageBoxW.
int CallMessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

// Shows the report for message and returns when the user has pressed OK.
void ShowErrorReport(HWND owner, const std::wstring& title, std::wstring_view message,
                     const MessageBoxCall& box = CallMessageBoxW);

// Runs handler; a failure that leaves it is shown with the report, and
// nothing else happens. For the window's message and event handlers.
void RunReportingFailures(HWND owner, const std::wstring& title, const std::function<void()>& handler,
                          const MessageBoxCall& box = CallMessageBoxW);
