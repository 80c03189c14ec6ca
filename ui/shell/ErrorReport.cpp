#include "ui/shell/ErrorReport.h"

#include "ui/AnsiText.h"
#include "ui/shell/ShellFailure.h"

std::wstring MakeErrorReportText(std::wstring_view message)
{
    std::wstring text(message);
    if (!text.empty() && text.back() > L'.') {
        text += L'.';
    }
    return text;
}

std::wstring FailureMessage(const std::exception& failure)
{
    if (const auto* shell = dynamic_cast<const TShellFailure*>(&failure)) {
        return shell->Message();
    }
    return ui::WideFromAnsi(failure.what());
}

int CallMessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
{
    return MessageBoxW(owner, text, caption, type);
}

void ShowErrorReport(HWND owner, const std::wstring& title, std::wstring_view message, const MessageBoxCall& box)
{
    const std::wstring text = MakeErrorReportText(message);
    box(owner, text.c_str(), title.c_str(), MB_ICONERROR | MB_OK);
}

void RunReportingFailures(HWND owner, const std::wstring& title, const std::function<void()>& handler,
                          const MessageBoxCall& box)
{
    // The one place where a handler's failure is caught: it is shown, and
    // the program goes on with its next message.
    try {
        handler();
    } catch (const std::exception& failure) {
        ShowErrorReport(owner, title, FailureMessage(failure), box);
    }
}
