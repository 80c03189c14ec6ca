// The tray icon's record in the platform's first, smallest NOTIFYICONDATAA
// form: 88 bytes in 32-bit programs, 104 in 64-bit ones (the handles are
// pointer-sized).
#pragma once

#include <windows.h>

struct TNotifyIconDataA88 {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    CHAR szTip[64];
};

#if defined(__i386__)
static_assert(sizeof(TNotifyIconDataA88) == 88, "first NOTIFYICONDATAA form, 32-bit");
#elif defined(__x86_64__)
static_assert(sizeof(TNotifyIconDataA88) == 104, "first NOTIFYICONDATAA form, 64-bit");
#endif
