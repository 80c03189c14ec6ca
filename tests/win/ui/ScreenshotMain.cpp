// Shows the main window on each of its tabs and saves a picture of each,
// then opens the tray menu over the window and saves a picture of it:
//   velmora_ui_screenshot <settings.bmp> <update.bmp> <history.bmp> <options.bmp> [<menu.bmp>]
// The window gets a few phonebook entries, sample values, a status and a
// history so that every widget shows something.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "FakeDialUpActions.h"
#include "WindowDoubles.h"
#include "ui/DialUpUnit.h"

namespace {

scheduler::LocalTime At(int hour, int minute, int second)
{
    scheduler::LocalTime time;
    time.year = 2026;
    time.month = 12;
    time.day = 10;
    time.hour = hour;
    time.minute = minute;
    time.second = second;
    return time;
}

scheduler::RedialEvent Event(std::uint64_t sequence, scheduler::LocalTime time, scheduler::EventKind kind,
                             std::string address = {}, std::string text = {})
{
    scheduler::RedialEvent event;
    event.sequence = sequence;
    event.time = time;
    event.kind = kind;
    event.entry = "ADSL";
    event.address = std::move(address);
    event.text = std::move(text);
    return event;
}

// A morning of re-dials, newest first.
std::vector<scheduler::RedialEvent> SampleHistory()
{
    using scheduler::EventKind;
    auto fresh = Event(12, At(10, 26, 37), EventKind::Connected, "10.64.0.3");
    fresh.publicAddress = "203.0.113.7";
    fresh.fresh = true;
    // The platform's text as an English Windows gives it.
    auto failed = Event(8, At(10, 23, 20), EventKind::Failed, "", "Access denied: user name or password");
    failed.code = 691;
    auto same = Event(5, At(10, 20, 8), EventKind::SameAddress, "10.64.0.1");
    auto first = Event(3, At(10, 17, 2), EventKind::Connected, "10.64.0.1");
    first.fresh = true;
    return {
        fresh,
        Event(11, At(10, 26, 35), EventKind::Dial),
        Event(10, At(10, 26, 30), EventKind::HangUp, "10.64.0.2"),
        Event(9, At(10, 23, 27), EventKind::Connected, "10.64.0.2"),
        failed,
        Event(7, At(10, 23, 15), EventKind::Dial),
        Event(6, At(10, 20, 10), EventKind::HangUp, "10.64.0.1"),
        same,
        Event(4, At(10, 20, 2), EventKind::Dial),
        first,
        Event(2, At(10, 16, 58), EventKind::Dial),
        Event(1, At(10, 16, 50), EventKind::Dropped),
    };
}

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

// Saves the screen's pixels in area as a 24-bit picture.
bool SaveScreenPicture(const RECT& area, const char* path)
{
    const POINT origin{area.left, area.top};
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
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

bool SaveWindowPicture(HWND window, const char* path)
{
    // The client area: without a window manager there is no title bar to
    // show.
    RECT client;
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return SaveScreenPicture(client, path);
}

// The open tray menu: its first item is selected, then the picture is
// taken, then the menu is closed.
const char* g_menuPath = nullptr;
HWND g_menuOwner = nullptr;
int g_menuTicks = 0;
bool g_menuSaved = false;

void CALLBACK WhileTheMenuIsOpen(HWND, UINT, UINT_PTR timer, DWORD)
{
    ++g_menuTicks;
    if (g_menuTicks == 3) {
        PostMessageW(g_menuOwner, WM_KEYDOWN, VK_DOWN, 0);
    } else if (g_menuTicks == 8) {
        if (HWND menu = FindWindowW(L"#32768", nullptr)) {
            RECT area;
            GetWindowRect(menu, &area);
            InflateRect(&area, 48, 32);
            g_menuSaved = SaveScreenPicture(area, g_menuPath);
        }
        PostMessageW(g_menuOwner, WM_KEYDOWN, VK_ESCAPE, 0);
        KillTimer(nullptr, timer);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5 && argc != 6) {
        std::fprintf(stderr, "usage: velmora_ui_screenshot <settings.bmp> <update.bmp> <history.bmp> <options.bmp> "
                             "[<menu.bmp>]\n");
        return 2;
    }
    FakeDialUpActions actions;
    actions.items = {"ADSL", "\xBF\xED\xB4\xF8\xC1\xAC\xBD\xD3"};  // 宽带连接 in GBK
    actions.status.state = scheduler::RedialState::Connected;
    actions.status.enabled = true;
    actions.status.entry = "ADSL";
    actions.status.period = 180;
    actions.status.address = "10.64.0.3";
    actions.status.publicAddress = "203.0.113.7";
    actions.status.since = At(10, 26, 37);
    actions.status.redials = 4;
    actions.status.failures = 1;
    actions.status.distinctAddresses = 3;
    actions.events = SampleHistory();
    RecordingPlatform platform;
    RecordingApplication application;
    ui::TDialUpFrm window(actions, application, platform);
    window.SetEntryIndex(0);
    window.SetAccountText("alice@isp");
    window.SetPasswordText("secret");
    window.SetPeriodText("180");
    window.SetCounterText("12");
    window.SetOptionText(settings::OptionKey::NewIp, "3");
    window.SetOptionText(settings::OptionKey::NewIpHours, "24");
    window.SetOptionText(settings::OptionKey::IpCheckUrl, "https://ip.velmora.example/");
    window.SetOptionText(settings::OptionKey::AuthStop, "3");
    window.SetOptionText(settings::OptionKey::RedialOnDrop, "1");
    window.SetOptionText(settings::OptionKey::Balloon, "1");
    window.SetOptionText(settings::OptionKey::Api, "1");
    window.SetOptionText(settings::OptionKey::ApiToken, "s3cret");
    window.SetOptionText(settings::OptionKey::OnNewIp, "new-ip.cmd");

    ShowWindow(window.Handle(), SW_SHOW);
    SetForegroundWindow(window.Handle());
    window.SetCurrentPage(0);
    PumpFor(1500);
    const bool settingsSaved = SaveWindowPicture(window.Handle(), argv[1]);
    window.SetCurrentPage(1);
    PumpFor(800);
    const bool updateSaved = SaveWindowPicture(window.Handle(), argv[2]);
    window.SetCurrentPage(ui::kHistoryPage);
    window.RefreshHistory();
    PumpFor(800);
    const bool historySaved = SaveWindowPicture(window.Handle(), argv[3]);
    window.SetCurrentPage(ui::kOptionsPage);
    PumpFor(800);
    const bool optionsSaved = SaveWindowPicture(window.Handle(), argv[4]);
    bool menuSaved = true;
    if (argc == 6) {
        // The tray icon's right click, with the cursor over the settings.
        window.SetCurrentPage(0);
        PumpFor(500);
        RECT client;
        GetClientRect(window.Handle(), &client);
        MapWindowPoints(window.Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
        platform.realMenu = true;
        platform.cursor = POINT{client.left + 250, client.top + 60};
        g_menuPath = argv[5];
        g_menuOwner = window.Handle();
        SetTimer(nullptr, 0, 100, WhileTheMenuIsOpen);
        SendMessageW(window.Handle(), ui::kTrayMessage, ui::kTrayIconId, ui::kTrayRightButtonUp);
        menuSaved = g_menuSaved;
    }
    ShowWindow(window.Handle(), SW_HIDE);
    return settingsSaved && updateSaved && historySaved && optionsSaved && menuSaved ? 0 : 1;
}
