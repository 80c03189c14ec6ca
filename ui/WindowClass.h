// Registers a window class of this module once; later calls find it
// registered and leave it as it is.
#pragma once

#include <windows.h>

#include <stdexcept>

namespace ui {

inline void RegisterWindowClassOnce(const wchar_t* name, WNDPROC procedure, HCURSOR cursor = nullptr,
                                    HICON icon = nullptr)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (GetClassInfoExW(instance, name, &windowClass))
        return;
    windowClass = WNDCLASSEXW{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = cursor;
    windowClass.hIcon = icon;
    windowClass.lpszClassName = name;
    if (!RegisterClassExW(&windowClass))
        throw std::runtime_error("cannot register a window class");
}

}  // namespace ui
