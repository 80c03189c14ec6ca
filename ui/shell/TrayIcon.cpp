#include "ui/shell/TrayIcon.h"

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
        char bytes[8];
        const int n = WideCharToMultiByte(codePage, 0, caption.data() + i, static_cast<int>(units), bytes,
                                          sizeof bytes, nullptr, nullptr);
        if (n <= 0 || tip.size() + static_cast<std::size_t>(n) > limit) {
            break;
        }
        tip.append(bytes, static_cast<std::size_t>(n));
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
