// velmora-ctl: drives a running Velmora from outside, the way the shell and
// the user would, for the end-to-end tests, the demo and the benchmarks.
//
//   velmora-ctl [--timeout SECONDS] [--exe PATH] COMMAND [ARG]
//
// Finds the main window (waiting for it up to the timeout) and does one
// command. The tray commands go the way the shell's do: the icon's callback
// message, and for the menu's items the menu itself, opened by a release of
// the right button and answered with the item's access key. With --exe only the window of the process started from that
// file counts (a Windows path, or a Unix path as wine maps it to Z:), so
// that several programs may run side by side. Exit code 0 on success; otherwise a message on stderr and:
// 1 usage, 2 no window within the timeout, 3 condition not met within the
// timeout, 4 the window did not answer.
//
// status and redial [--wait S] go to the program's HTTP API instead: GET
// /status or POST /redial[?wait=S], at the address and with the token that
// the dialup.ini beside the exe names (the --exe one, or else the running
// window's). They print the answer's body and a line end on stdout and exit
// with 0 for a 2xx answer, 1 for any other answer, 2 when none came (no
// window, the API not switched on, no connection, the timeout passed; a
// message on stderr). Each step of the request has the timeout, and at
// least S + 10 seconds with --wait S.
#include <windows.h>
#include <commctrl.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "tools/ctl/ApiClient.h"
#include "ui/AnsiText.h"
#include "ui/WindowProtocol.h"
#include "ui/WindowText.h"

namespace {

// The access keys of the tray menu's items: 显示主窗口(&S) and 退出系统(&E).
constexpr WPARAM kShowItemKey = 'S';
constexpr WPARAM kExitItemKey = 'E';
// The class of the platform's pop-up menu windows.
constexpr wchar_t kMenuClass[] = L"#32768";

enum ExitCode : int { kOk = 0, kUsage = 1, kNoWindow = 2, kTimedOut = 3, kNoAnswer = 4 };

DWORD timeoutMs = 10000;
std::wstring wantedImage;  // empty: any Velmora window

int Fail(int code, const char* message)
{
    std::fprintf(stderr, "velmora-ctl: %s\n", message);
    return code;
}

std::string Utf8(const std::wstring& text)
{
    return ui::Utf8FromWide(text);
}

// Polls a condition every 5 ms until it holds or the timeout has passed.
template <typename Condition>
bool WaitFor(Condition condition)
{
    const ULONGLONG until = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount64() >= until)
            return false;
        Sleep(5);
    }
}

// A Unix path as wine sees it: the root file system is drive Z:.
std::wstring WindowsPath(std::wstring path)
{
    if (!path.empty() && path[0] == L'/')
        path = L"Z:" + path;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::wstring ImageOf(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return {};
    wchar_t path[MAX_PATH * 2] = L"";
    DWORD size = static_cast<DWORD>(std::size(path));
    const bool named = QueryFullProcessImageNameW(process, 0, path, &size) != FALSE;
    CloseHandle(process);
    return named ? std::wstring(path, size) : std::wstring();
}

HWND FindMainWindowNow()
{
    for (HWND window = FindWindowExW(nullptr, nullptr, ui::kMainWindowClass, nullptr); window;
         window = FindWindowExW(nullptr, window, ui::kMainWindowClass, nullptr)) {
        if (wantedImage.empty() || _wcsicmp(ImageOf(window).c_str(), wantedImage.c_str()) == 0)
            return window;
    }
    return nullptr;
}

HWND FindMainWindow()
{
    HWND window = nullptr;
    WaitFor([&] { return (window = FindMainWindowNow()) != nullptr; });
    return window;
}

// SendMessage with the timeout: false when the window does not answer.
bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &answer))
        return false;
    result = static_cast<LRESULT>(answer);
    return true;
}

bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return PostMessageW(window, message, wParam, lParam) != FALSE;
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = L"";
    GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return name;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

std::vector<HWND> Descendants(HWND window)
{
    std::vector<HWND> found;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND ControlById(HWND window, int id, const wchar_t* className)
{
    for (HWND child : Descendants(window))
        if (GetDlgCtrlID(child) == id && _wcsicmp(ClassOf(child).c_str(), className) == 0)
            return child;
    return nullptr;
}

// The tray menu of the window's thread while it is open.
HWND OpenMenuOf(HWND window)
{
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    for (HWND menu = FindWindowExW(nullptr, nullptr, kMenuClass, nullptr); menu;
         menu = FindWindowExW(nullptr, menu, kMenuClass, nullptr)) {
        if (IsWindowVisible(menu) && GetWindowThreadProcessId(menu, nullptr) == thread)
            return menu;
    }
    return nullptr;
}

// Opens the tray menu as a release of the right button over the icon does
// and chooses an item by its access key, once the menu is open. A menu that
// closes before its keys reach it (another program took the foreground) is
// opened again, up to three times.
int ChooseTrayMenuItem(HWND window, WPARAM accessKey)
{
    constexpr int kTries = 3;
    for (int attempt = 1;; ++attempt) {
        if (!Post(window, ui::kTrayMessage, ui::kTrayIconId, ui::kTrayRightButtonUp))
            return Fail(kNoAnswer, "cannot post");
        HWND menu = nullptr;
        if (!WaitFor([&] { return (menu = OpenMenuOf(window)) != nullptr; }))
            return Fail(kTimedOut, "the tray menu did not open");
        // The menu's loop takes the key from its thread's queue.
        const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(accessKey), MAPVK_VK_TO_VSC)) << 16;
        if (Post(menu, WM_KEYDOWN, accessKey, scan | 1) &&
            Post(menu, WM_KEYUP, accessKey, scan | 1 | (LPARAM{1} << 30) | (LPARAM{1} << 31)))
            break;
        if (attempt == kTries)
            return Fail(kNoAnswer, "cannot post to the tray menu");
        std::fprintf(stderr, "velmora-ctl: the tray menu closed before its keys reached it; opening it again\n");
        WaitFor([&] { return OpenMenuOf(window) == nullptr; });
    }
    return WaitFor([&] { return OpenMenuOf(window) == nullptr; }) ? kOk : Fail(kTimedOut, "the tray menu stayed open");
}

int PrintState(HWND window)
{
    const HWND enableBox = ControlById(window, ui::kCheckBox1Id, L"Button");
    const HWND pages = ControlById(window, ui::kRzPageControl1Id, WC_TABCONTROLW);
    const HWND counter = ControlById(window, ui::kLabel1Id, L"Static");
    LRESULT checked = -1;
    LRESULT page = -1;
    if (enableBox && !Send(enableBox, BM_GETCHECK, 0, 0, checked))
        return Fail(kNoAnswer, "the Enable box does not answer");
    if (pages && !Send(pages, TCM_GETCURSEL, 0, 0, page))
        return Fail(kNoAnswer, "the tabs do not answer");
    std::printf("visible=%d\n", IsWindowVisible(window) ? 1 : 0);
    std::printf("caption=%s\n", Utf8(ui::WindowText(window)).c_str());
    std::printf("label1=%s\n", counter ? Utf8(ui::WindowText(counter)).c_str() : "?");
    std::printf("enabled=%s\n", checked < 0 ? "?" : checked == BST_CHECKED ? "1" : "0");
    std::printf("tab=%lld\n", static_cast<long long>(page));
    std::fflush(stdout);
    return enableBox && pages && counter ? kOk : Fail(kNoAnswer, "some controls were not found");
}

int MeasureLatency(HWND window, int count)
{
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        LARGE_INTEGER start{}, end{};
        QueryPerformanceCounter(&start);
        LRESULT ignored = 0;
        if (!Send(window, WM_NULL, 0, 0, ignored))
            return Fail(kNoAnswer, "the window did not answer WM_NULL within the timeout");
        QueryPerformanceCounter(&end);
        times.push_back(static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 /
                        static_cast<double>(frequency.QuadPart));
    }
    std::sort(times.begin(), times.end());
    std::printf("min=%.2f median=%.2f max=%.2f ms (%d round trips)\n", times.front(), times[times.size() / 2],
                times.back(), count);
    std::fflush(stdout);
    return kOk;
}

int Click(HWND window, int id, const char* what)
{
    const HWND button = ControlById(window, id, L"Button");
    if (!button) {
        std::fprintf(stderr, "velmora-ctl: no %s found\n", what);
        return kNoAnswer;
    }
    LRESULT ignored = 0;
    return Send(button, BM_CLICK, 0, 0, ignored) ? kOk : Fail(kNoAnswer, "the button did not answer");
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: velmora-ctl [--timeout SECONDS] [--exe PATH] COMMAND\n"
                 "commands: wait-window, wait-shown, wait-hidden, exit, show, show-item, tray-other-id, close,\n"
                 "          endsession, state, latency N, click-enable, click-refresh,\n"
                 "          status, redial [--wait SECONDS]\n");
    return kUsage;
}

// The exit codes of the commands that go to the HTTP API.
enum ApiExitCode : int { kApiOk = 0, kApiRefused = 1, kApiNoAnswer = 2 };

// A whole number of seconds from 1 to 999999.
bool WholeSeconds(const std::wstring& text, unsigned long& seconds)
{
    if (text.empty() || text.size() > 6 || !std::all_of(text.begin(), text.end(), iswdigit))
        return false;
    seconds = std::wcstoul(text.c_str(), nullptr, 10);
    return seconds >= 1;
}

// status and redial [--wait S]: one request to the program's HTTP API.
int CallApi(const std::wstring& command, const std::vector<std::wstring>& arguments)
{
    const wchar_t* method = L"GET";
    std::string path = "/status";
    unsigned long timeout = timeoutMs;
    if (command == L"status") {
        if (!arguments.empty())
            return Usage();
    } else {
        method = L"POST";
        path = "/redial";
        unsigned long seconds = 0;
        if (arguments.size() == 2 && arguments[0] == L"--wait" && WholeSeconds(arguments[1], seconds)) {
            path += "?wait=" + std::to_string(seconds);
            timeout = std::max(timeout, (seconds + 10) * 1000);
        } else if (!arguments.empty()) {
            return Usage();
        }
    }

    std::wstring exe = wantedImage;
    if (exe.empty()) {
        const HWND window = FindMainWindow();
        if (!window)
            return Fail(kApiNoAnswer, "no Velmora window appeared within the timeout; name the program with --exe");
        exe = ImageOf(window);
        if (exe.empty())
            return Fail(kApiNoAnswer, "the Velmora window's program cannot be found; name it with --exe");
    } else {
        wchar_t full[MAX_PATH * 4] = L"";
        const DWORD length = GetFullPathNameW(exe.c_str(), static_cast<DWORD>(std::size(full)), full, nullptr);
        if (length > 0 && length < std::size(full))
            exe.assign(full, length);
    }
    const ctl::ApiTarget target = ctl::ApiTargetFromSettings(ctl::ReadSettingsBeside(exe));
    if (!target.enabled) {
        std::fprintf(stderr, "velmora-ctl: the HTTP API is not switched on (api=1) in the dialup.ini beside %s\n",
                     Utf8(exe).c_str());
        return kApiNoAnswer;
    }
    const ctl::ApiReply reply = ctl::CallApi(target, method, path, timeout);
    if (!reply.answered) {
        std::fprintf(stderr, "velmora-ctl: no answer from %s port %u: %s\n", target.host.c_str(),
                     static_cast<unsigned>(target.port), reply.error.c_str());
        return kApiNoAnswer;
    }
    // The body's bytes as they came, with one line end after them.
    _setmode(_fileno(stdout), _O_BINARY);
    std::fwrite(reply.body.data(), 1, reply.body.size(), stdout);
    if (reply.body.empty() || reply.body.back() != '\n')
        std::fputc('\n', stdout);
    std::fflush(stdout);
    return reply.status >= 200 && reply.status <= 299 ? kApiOk : kApiRefused;
}

int Run(const std::vector<std::wstring>& args)
{
    std::size_t next = 0;
    while (next + 1 < args.size() && args[next].starts_with(L"--")) {
        if (args[next] == L"--timeout") {
            const double seconds = _wtof(args[next + 1].c_str());
            if (seconds <= 0)
                return Usage();
            timeoutMs = static_cast<DWORD>(seconds * 1000);
        } else if (args[next] == L"--exe") {
            wantedImage = WindowsPath(args[next + 1]);
        } else {
            return Usage();
        }
        next += 2;
    }
    if (next >= args.size())
        return Usage();
    const std::wstring command = args[next++];
    const std::wstring argument = next < args.size() ? args[next] : L"";
    if (command == L"status" || command == L"redial")
        return CallApi(command,
                       std::vector<std::wstring>(args.begin() + static_cast<std::ptrdiff_t>(next), args.end()));

    const HWND window = FindMainWindow();
    if (!window)
        return Fail(kNoWindow, "the Velmora window did not appear within the timeout");

    if (command == L"wait-window")
        return kOk;
    if (command == L"wait-shown")
        return WaitFor([&] { return IsWindowVisible(window) != FALSE; }) ? kOk
                                                                         : Fail(kTimedOut, "the window stayed hidden");
    if (command == L"wait-hidden")
        return WaitFor([&] { return IsWindowVisible(window) == FALSE; }) ? kOk
                                                                         : Fail(kTimedOut, "the window stayed shown");
    if (command == L"exit")
        return ChooseTrayMenuItem(window, kExitItemKey);
    if (command == L"show-item")
        return ChooseTrayMenuItem(window, kShowItemKey);
    if (command == L"show")
        return Post(window, ui::kTrayMessage, ui::kTrayIconId, ui::kTrayDoubleClick) ? kOk
                                                                                     : Fail(kNoAnswer, "cannot post");
    if (command == L"tray-other-id")
        return Post(window, ui::kTrayMessage, ui::kTrayIconId + 1, ui::kTrayDoubleClick)
                   ? kOk
                   : Fail(kNoAnswer, "cannot post");
    if (command == L"close")
        return Post(window, WM_CLOSE, 0, 0) ? kOk : Fail(kNoAnswer, "cannot post");
    if (command == L"endsession") {
        LRESULT mayEnd = 0;
        if (!Send(window, WM_QUERYENDSESSION, 0, 0, mayEnd))
            return Fail(kNoAnswer, "no answer to WM_QUERYENDSESSION");
        if (!mayEnd)
            return Fail(kNoAnswer, "the window refused to let the session end");
        LRESULT ignored = 0;
        return Send(window, WM_ENDSESSION, TRUE, 0, ignored) ? kOk : Fail(kNoAnswer, "no answer to WM_ENDSESSION");
    }
    if (command == L"state")
        return PrintState(window);
    if (command == L"latency") {
        const int count = argument.empty() ? 20 : _wtoi(argument.c_str());
        return count > 0 ? MeasureLatency(window, count) : Usage();
    }
    if (command == L"click-enable")
        return Click(window, ui::kCheckBox1Id, "Enable box");
    if (command == L"click-refresh")
        return Click(window, ui::kSpeedButton43Id, "refresh button");
    return Usage();
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    std::vector<std::wstring> args(argv + 1, argv + argc);
    return Run(args);
}
