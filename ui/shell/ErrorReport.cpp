#include "ui/shell/ErrorReport.h"

#include "ui/AnsiText.h"
#include "ui/shell/ShellFailure.h"

namespace ui {

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
    if (const auto* shell = dynamic_cast<const ShellFailure*>(&failure)) {
        return shell->Message();
    }
    return WideFromAnsi(failure.what());
}

}  // namespace ui
