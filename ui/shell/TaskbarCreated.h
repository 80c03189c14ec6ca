#pragma once
// Putting the tray icon back when the shell's task bar starts again (after
// Explorer crashed or was restarted), which announces itself with the
// registered "TaskbarCreated" message.

#include <windows.h>

#include <functional>

// The identifier of "TaskbarCreated" for this session, for TaskbarMessage;
// 0 if it could not be registered.
UINT RegisterTaskbarMessage();

// To be called by the window procedure for every message before its own
// processing. When message is taskbarMessage (and that is not 0), adds the
// icon again through addTrayIcon and repaints window with all its children.
// Returns whether it did; the caller passes the message on either way.
bool WndProc(HWND window, UINT message, UINT taskbarMessage, const std::function<void()>& addTrayIcon);
