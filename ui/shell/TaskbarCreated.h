#pragma once
// Putting the tray icon back when the shell's task bar starts again (after
// Explorer crashed or was restarted), which announces itself with the
// registered "TaskbarCreated" message.

#include <windows.h>

#include <functional>

// The identifier of "TaskbarCreated" for this session, for TaskbarMessage;
// 0 if it could not be registered.
UINT RegisterTaskbarMessage();

// How a message is let through the window's message filter:
// ChangeWindowMessageFilterEx's arguments (the record of its outcome is not
// asked for).
using MessageFilterCall = std::function<BOOL(HWND window, UINT message, DWORD action)>;

// The real call: ChangeWindowMessageFilterEx (Windows 7 and later).
BOOL CallChangeWindowMessageFilterEx(HWND window, UINT message, DWORD action);

// Lets taskbarMessage through to window (MSGFLT_ALLOW) even while the
// program runs elevated: Explorer runs with less privilege, and without
// this the platform's isolation of privileges drops its message, so the
// icon would never come back after Explorer restarts. Returns whether the
// filter took it; nothing is asked for message 0.
bool AllowTaskbarMessage(HWND window, UINT taskbarMessage,
                         const MessageFilterCall& call = CallChangeWindowMessageFilterEx);

// To be called by the window procedure for every message before its own
// processing. When message is taskbarMessage (and that is not 0), adds the
// icon again through addTrayIcon and repaints window with all its children.
// Returns whether it did; the caller passes the message on either way.
bool WndProc(HWND window, UINT message, UINT taskbarMessage, const std::function<void()>& addTrayIcon);
