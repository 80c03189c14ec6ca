#include "ui/shell/TrayIcon.h"

#include "ras/FieldText.h"
#include "ui/AnsiText.h"
#include "ui/WindowProtocol.h"

namespace ui {

std::string MakeTrayTip(const std::wstring& caption, UINT codePage)
{
    constexpr std::size_t limit = sizeof(NotifyIconDataA88::szTip) - 1;
    std::string tip;
    std::size_t i = 0;
    while (i < caption.size()) {
        // One character: a surrogate pair stays together.
        std::size_t units = 1;
        if (IS_HIGH_SURROGATE(caption[i]) && i + 1 < caption.size() && IS_LOW_SURROGATE(caption[i + 1])) {
            units = 2;
        }
        const std::string bytes = BytesFromWide(std::wstring_view(caption).substr(i, units), codePage);
        if (bytes.empty() || tip.size() + bytes.size() > limit) {
            break;
        }
        tip += bytes;
        i += units;
    }
    return tip;
}

TrayIcon::~TrayIcon()
{
    if (added_) {
        Remove();
    }
}

void TrayIcon::Add(HWND window, HICON icon, const std::wstring& caption)
{
    data_ = NotifyIconDataA88{};
    data_.cbSize = sizeof(NotifyIconDataA88);
    data_.hWnd = window;
    data_.uID = kTrayIconId;
    data_.uFlags = kTrayIconFlags;
    data_.hIcon = icon;
    data_.uCallbackMessage = kTrayMessage;
    ras::CopyField(data_.szTip, MakeTrayTip(caption));
    platform_.NotifyIcon(NIM_ADD, data_);
    added_ = true;
}

void TrayIcon::Remove()
{
    platform_.NotifyIcon(NIM_DELETE, data_);
    added_ = false;
}

}  // namespace ui
