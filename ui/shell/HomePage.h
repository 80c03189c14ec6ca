#pragma once
// Opening the maker's home page in Internet Explorer.

#include <windows.h>

#include <functional>

// How the shell is asked: ShellExecuteA's arguments.
using ShellExecuteCall = std::function<HINSTANCE(HWND owner, const char* verb, const char* file,
                                                 const char* parameters, const char* directory, int show)>;

// The real call: ShellExecuteA.
HINSTANCE CallShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                            const char* directory, int show);

// Starts "IEXPLORE.EXE" on the home page, in a window of its own, with
// applicationWindow (the application's top-level window) as owner of any
// message from the shell. The result is not looked at.
void OpenHomePage(HWND applicationWindow, const ShellExecuteCall& shell = CallShellExecuteA);
