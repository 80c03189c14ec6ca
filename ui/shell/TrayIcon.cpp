#include "ui/shell/TrayIcon.h"

#include "ui/AnsiText.h"

#include <cstring>

BOOL CallShellNotifyIconA(DWORD message, TNotifyIconDataA88& data)
{
    // The record is the head of NOTIFYICONDATAA; cbSize tells the shell
    // that nothing follows it.
    return Shell_NotifyIconA(message, reinterpret_cast<NOTIFYICONDATAA*>(&data));
}

std::string MakeTrayTip(const std::wstring& caption, UINT codePage)
{
    constexpr std::size_t limit = sizeof(TNotifyIconDataA88::szTip) - 1;
    std::string tip;
    std::size_t i = 0;
    while (i < caption.size()) {
        // One character: a surrogate pair stays together.
        std::size_t units = 1;
        if (IS_HIGH_SURROGATE(caption[i]) && i + 1 < caption.size() && IS_LOW_SURROGATE(caption[i + 1])) {
            units = 2;
        }
        const std::string bytes =
            ui::BytesFromWide(std::wstring_view(caption).substr(i, units), codePage);
        if (bytes.empty() || tip.size() + bytes.size() > limit) {
            break;
        }
        tip += bytes;
        i += units;
    }
    return tip;
}

TTrayIcon::TTrayIcon(TNotifyIconDataA88& record, ShellNotifyIconCall shell)
    : shell_(std::move(shell)), data_(record)
{
}

TTrayIcon::~TTrayIcon()
{
    if (added_) {
        Remove();
    }
}

void TTrayIcon::Add(HWND window, HICON icon, const std::wstring& caption)
{
    data_ = TNotifyIconDataA88{};
    data_.cbSize = sizeof(TNotifyIconDataA88);
    data_.hWnd = window;
    data_.uID = TrayIconId;
    data_.uFlags = TrayIconFlags;
    data_.hIcon = icon;
    data_.uCallbackMessage = TrayCallbackMessage;
    const std::string tip = MakeTrayTip(caption);
    std::memcpy(data_.szTip, tip.data(), tip.size());
    data_.szTip[tip.size()] = '\0';
    shell_(NIM_ADD, data_);
    added_ = true;
}

void TTrayIcon::Remove()
{
    shell_(NIM_DELETE, data_);
    added_ = false;
}
