#pragma once
// The tray icon's record in the first and smallest form of the platform's
// NOTIFYICONDATAA: what Shell_NotifyIconA reads when cbSize says 88 (104 in
// a 64-bit process, where the handles are 8 bytes wide and aligned).

#include <windows.h>
#include <shellapi.h>

#include <cstddef>

namespace ui {

struct NotifyIconDataA88 {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    CHAR szTip[64];
};

static_assert(sizeof(void*) != 4 || sizeof(NotifyIconDataA88) == 88, "first form: 88 bytes in 32-bit code");
static_assert(sizeof(void*) != 8 || sizeof(NotifyIconDataA88) == 104, "first form: 104 bytes in 64-bit code");
// The first form is the head of the platform's current record.
static_assert(offsetof(NotifyIconDataA88, szTip) == offsetof(NOTIFYICONDATAA, szTip));
static_assert(sizeof(NotifyIconDataA88) == NOTIFYICONDATAA_V1_SIZE);

}  // namespace ui
