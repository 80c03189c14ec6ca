#pragma once
// The handlers of the tray icon's callback message and of its menu items.

#include "ui/shell/TrayIcon.h"
#include "ui/shell/TrayWindow.h"

#include <functional>

// The callback message: iconId is its first parameter, mouseMessage its
// second. A double-click brings the window up, a right-button release opens
// the menu at the cursor; everything else, and other icons, are ignored.
void WMTrayIcon(ITrayWindow& window, WPARAM iconId, LPARAM mouseMessage);

// "显示主窗口(&S)": brings the shown window to the front, or shows it.
void N1Click(ITrayWindow& window);

// "退出系统(&E)": removes the icon, then terminates the application.
void E1Click(TTrayIcon& icon, const std::function<void()>& terminate);
