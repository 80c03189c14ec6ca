#include "ui/shell/HomePage.h"

#include "ui/shell/WebAddresses.h"

#include <shellapi.h>

HINSTANCE CallShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                            const char* directory, int show)
{
    return ShellExecuteA(owner, verb, file, parameters, directory, show);
}

void OpenHomePage(HWND applicationWindow, const ShellExecuteCall& shell)
{
    const std::string address = HomePageAddress();
    shell(applicationWindow, "Open", "IEXPLORE.EXE", address.c_str(), nullptr, SW_SHOWNORMAL);
}
