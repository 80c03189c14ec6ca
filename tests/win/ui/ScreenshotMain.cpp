// Shows the main window on each of its tabs and saves a picture of each:
//   velmora_ui_screenshot <settings.bmp> <update.bmp>
// The window gets a few phonebook entries and sample values so that every
// widget shows something.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "FakeDialUpActions.h"
#include "WindowDoubles.h"
#include "ui/DialUpUnit.h"

namespace {

void PumpFor(DWORD ms)
{
    const ULONGLONG end = GetTickCount64() + ms;
    while (GetTickCount64() < end) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
}

bool SaveWindowPicture(HWND window, const char* path)
{
    // The client area: without a window manager there is no title bar to
    // show.
    RECT client;
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    const int width = client.right;
    const int height = client.bottom;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, picture);
    BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    SelectObject(memory, previous);

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD rowBytes = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    std::vector<unsigned char> pixels(rowBytes * static_cast<DWORD>(height));
    GetDIBits(memory, picture, 0, static_cast<UINT>(height), pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
              DIB_RGB_COLORS);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = std::fopen(path, "wb");
    if (!out)
        return false;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: velmora_ui_screenshot <settings.bmp> <update.bmp>\n");
        return 2;
    }
    FakeDialUpActions actions;
    actions.items = {"ADSL", "\xBF\xED\xB4\xF8\xC1\xAC\xBD\xD3"};  // 宽带连接 in GBK
    RecordingPlatform platform;
    RecordingApplication application;
    ui::TDialUpFrm window(actions, application, platform);
    window.SetEntryIndex(0);
    window.SetAccountText("alice@isp");
    window.SetPasswordText("secret");
    window.SetPeriodText("180");
    window.SetCounterText("12");

    ShowWindow(window.Handle(), SW_SHOW);
    SetForegroundWindow(window.Handle());
    window.SetCurrentPage(0);
    PumpFor(1500);
    const bool settingsSaved = SaveWindowPicture(window.Handle(), argv[1]);
    window.SetCurrentPage(1);
    PumpFor(800);
    const bool updateSaved = SaveWindowPicture(window.Handle(), argv[2]);
    ShowWindow(window.Handle(), SW_HIDE);
    return settingsSaved && updateSaved ? 0 : 1;
}
