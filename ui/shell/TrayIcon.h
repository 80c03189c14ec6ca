#pragma once
// The system's icon in the notification area: its record, and adding and
// removing it through Shell_NotifyIconA.

#include "ui/shell/NotifyIconRecord.h"

#include <functional>
#include <string>

// The system's identifier of its icon, handed back as the first parameter of
// the callback message.
inline constexpr UINT TrayIconId = 34953;
// The message the shell sends for mouse events over the icon (WM_USER + 11).
inline constexpr UINT TrayCallbackMessage = 1035;
// NIF_MESSAGE | NIF_ICON | NIF_TIP.
inline constexpr UINT TrayIconFlags = 7;

// Mouse messages over the icon that the system acts on.
inline constexpr LPARAM TrayDoubleClick = 515;  // WM_LBUTTONDBLCLK
inline constexpr LPARAM TrayRightButtonUp = 517;  // WM_RBUTTONUP

// How the icon reaches the shell: NIM_ADD or NIM_DELETE and the record.
using ShellNotifyIconCall = std::function<BOOL(DWORD message, TNotifyIconDataA88& data)>;

// The real call: Shell_NotifyIconA.
BOOL CallShellNotifyIconA(DWORD message, TNotifyIconDataA88& data);

// The caption as the tip's bytes in the given code page: at most 63 bytes,
// so the terminator fits; a longer caption is cut after its last whole
// character that fits.
std::string MakeTrayTip(const std::wstring& caption, UINT codePage = CP_ACP);

class TTrayIcon {
public:
    // Keeps the icon's description in `record`, a record the caller owns
    // (the main window's TrayIconData) and that outlives this object.
    explicit TTrayIcon(TNotifyIconDataA88& record, ShellNotifyIconCall shell = CallShellNotifyIconA);
    // Takes the icon out of the tray if it is still there.
    ~TTrayIcon();

    TTrayIcon(const TTrayIcon&) = delete;
    TTrayIcon& operator=(const TTrayIcon&) = delete;

    // Fills the record for window, icon and caption and adds the icon
    // (NIM_ADD). Also used to put the icon back after the shell restarted.
    // The shell's answer is not looked at.
    void Add(HWND window, HICON icon, const std::wstring& caption);

    // Removes the icon (NIM_DELETE with the record as it is); harmless when
    // the icon is gone already. The shell's answer is not looked at.
    void Remove();

private:
    ShellNotifyIconCall shell_;
    TNotifyIconDataA88& data_;
    bool added_ = false;
};
