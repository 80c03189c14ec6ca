#include "ui/shell/TrayIcon.h"

#include <algorithm>

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

namespace {

// How long a shell before Vista shows a balloon (it takes 10 to 30 s); later
// ones follow the user's accessibility setting and ignore this.
constexpr UINT kBalloonMilliseconds = 10000;

// The first `limit` UTF-16 units of the text, or one fewer where the last
// would split a surrogate pair; copied with its terminator.
template <std::size_t N>
void CopyCut(wchar_t (&field)[N], const std::wstring& text, std::size_t limit)
{
    static_assert(N > 0);
    std::size_t length = std::min({text.size(), limit, N - 1});
    if (length < text.size() && length > 0 && IS_HIGH_SURROGATE(text[length - 1])) {
        --length;
    }
    text.copy(field, length);
    field[length] = L'\0';
}

}  // namespace

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

void TrayIcon::ShowBalloon(const std::wstring& title, const std::wstring& text)
{
    if (!added_) {
        return;
    }
    // The second form of the wide record is the smallest that holds the
    // balloon's fields. Only NIF_INFO is set: the shell leaves the icon,
    // its tip and its message as they are.
    NOTIFYICONDATAW balloon{};
    balloon.cbSize = NOTIFYICONDATAW_V2_SIZE;
    balloon.hWnd = data_.hWnd;
    balloon.uID = data_.uID;
    balloon.uFlags = NIF_INFO;
    CopyCut(balloon.szInfo, text, kBalloonTextLimit);
    CopyCut(balloon.szInfoTitle, title, kBalloonTitleLimit);
    balloon.uTimeout = kBalloonMilliseconds;
    balloon.dwInfoFlags = NIIF_INFO;
    platform_.NotifyIconWide(NIM_MODIFY, balloon);
}

}  // namespace ui
