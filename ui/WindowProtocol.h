// What the main window answers to, shared by the window, velmora-ctl and the
// tests: its class, the tray icon's callback message and identifier, the
// mouse messages acted on, the control and menu command identifiers and
// the program's private messages.
#pragma once

#include <windows.h>

namespace ui {

// The main window's class, by which velmora-ctl and a second start find it.
inline constexpr wchar_t kMainWindowClass[] = L"VelmoraDialUpFrm";

// The tray icon: the callback message the shell sends for mouse events over
// it (WM_USER + 11), with the icon's identifier as its first parameter and
// the mouse message as its second.
inline constexpr UINT kTrayMessage = 1035;
inline constexpr UINT kTrayIconId = 34953;
static_assert(kTrayMessage == WM_USER + 11);
// The mouse messages over the icon that the window acts on.
inline constexpr LPARAM kTrayDoubleClick = 515;    // WM_LBUTTONDBLCLK
inline constexpr LPARAM kTrayRightButtonUp = 517;  // WM_RBUTTONUP
static_assert(kTrayDoubleClick == WM_LBUTTONDBLCLK && kTrayRightButtonUp == WM_RBUTTONUP);

// Control identifiers. 1 and 2 are left alone: the dialog manager sends
// them for Enter and Esc.
enum ControlId : int {
    kRzPageControl1Id = 100,
    kEdtDialerId = 101,
    kEdtDialUserId = 102,
    kEdtDialPWDId = 103,
    kEdtDialTimeId = 104,
    kCheckBox1Id = 105,
    kEdtDialWaintTimeId = 106,
    kLabel4Id = 107,
    kSpeedButton43Id = 108,
    kStatusBar1Id = 109,
    kLabel1Id = 110,
    kLblRedialStateId = 111,
    kLblRedialCountersId = 112,
    kLvRedialEventsId = 113,
    kEdtNewIpId = 114,
    kEdtNewIpHoursId = 115,
    kEdtIpCheckUrlId = 116,
    kEdtAuthStopId = 117,
    kChkRedialOnDropId = 118,
    kChkLogId = 119,
    kChkBalloonId = 120,
    kChkApiId = 121,
    kEdtApiHostId = 122,
    kEdtApiPortId = 123,
    kEdtApiTokenId = 124,
    kEdtOnNewIpId = 125,
};

// The tray menu's command identifiers: N1 (show) and E1 (exit).
inline constexpr UINT kN1Id = 200;
inline constexpr UINT kE1Id = 201;

// Timer1's identifier among the window's timers.
inline constexpr UINT_PTR kTimer1Id = 1;

// Private messages. WM_DIALREPORT goes to the program's dial-report window
// when the remote-access service has reported on a dial; the others go to
// the main window: a tick that waited for a menu or a move to end, and the
// two creation steps that run as messages of their own so that their
// failures reach the error report where every handler's do.
inline constexpr UINT WM_DIALREPORT = WM_APP + 1;
inline constexpr UINT WM_DEFERREDTICK = WM_APP + 2;
inline constexpr UINT WM_FORMCREATE = WM_APP + 3;
inline constexpr UINT WM_NAVIGATEUPDATEPAGE = WM_APP + 4;
// Goes to the address checks' message-only window when a check has its
// answer, to run its callback on the program's thread.
inline constexpr UINT WM_ADDRESSCHECKDONE = WM_APP + 5;
// Goes to the hook runner's message-only window when a hook command has
// ended (or could not start), to run its callback on the program's thread.
inline constexpr UINT WM_HOOKENDED = WM_APP + 6;
// Goes to the HTTP API's message-only window when the server's thread has
// queued a request, to hand it to the API's handler on the program's thread.
inline constexpr UINT WM_APIREQUEST = WM_APP + 7;

}  // namespace ui
