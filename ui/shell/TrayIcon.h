#pragma once
// The system's icon in the notification area: its record, adding and
// removing it through Shell_NotifyIconA, and its balloon through
// Shell_NotifyIconW.

#include "ui/shell/NotifyIconRecord.h"
#include "ui/shell/PlatformCalls.h"

#include <cstddef>
#include <string>

namespace ui {

// NIF_MESSAGE | NIF_ICON | NIF_TIP.
inline constexpr UINT kTrayIconFlags = 7;

// The most characters a balloon shows of its text and of its title: the
// wide record's fields less their terminators.
inline constexpr std::size_t kBalloonTextLimit = 255;
inline constexpr std::size_t kBalloonTitleLimit = 63;

// The caption as the tip's bytes in the given code page: at most 63 bytes,
// so the terminator fits; a longer caption is cut after its last whole
// character that fits.
std::string MakeTrayTip(const std::wstring& caption, UINT codePage = CP_ACP);

class TrayIcon {
public:
    // Keeps the icon's description in `record`, a record the caller owns
    // (the main window's TrayIconData) and that outlives this object.
    TrayIcon(NotifyIconDataA88& record, PlatformCalls& platform) : platform_(platform), data_(record) {}
    // Takes the icon out of the tray if it is still there.
    ~TrayIcon();

    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Fills the record for window, icon and caption and adds the icon
    // (NIM_ADD). Also used to put the icon back after the shell restarted.
    // The shell's answer is not looked at.
    void Add(HWND window, HICON icon, const std::wstring& caption);

    // Removes the icon (NIM_DELETE with the record as it is); harmless when
    // the icon is gone already. The shell's answer is not looked at.
    void Remove();

    // Shows a balloon with the title and the text at the icon, while the
    // icon is in the tray; otherwise does nothing. The icon, its tip and its
    // picture stay as they are. A title or text too long for the record is
    // cut after its last whole character that fits. A balloon already shown
    // is replaced; an empty text takes it away. The shell's answer is not
    // looked at.
    void ShowBalloon(const std::wstring& title, const std::wstring& text);

private:
    PlatformCalls& platform_;
    NotifyIconDataA88& data_;
    bool added_ = false;
};

}  // namespace ui
