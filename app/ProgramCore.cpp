#include "app/ProgramCore.h"

#include <windows.h>

#include <stdexcept>

#include "app/ApiControl.h"
#include "app/HookRunner.h"
#include "app/WinHttpAddressCheck.h"
#include "lang/LangUnit.h"
#include "ras/ConnectionControl.h"
#include "ras/win/RasApi32Service.h"
#include "scheduler/ApiService.h"
#include "scheduler/EventLogFile.h"
#include "scheduler/HookTrigger.h"
#include "scheduler/RedialCycle.h"
#include "ui/AnsiText.h"
#include "settings/win/WinFileStore.h"
#include "ui/CoreDialUpActions.h"
#include "ui/WindowClass.h"
#include "ui/WindowProtocol.h"

namespace app {

namespace {

constexpr wchar_t kReportWindowClass[] = L"VelmoraDialReports";

// A message-only window on the program's thread. The service's thread posts
// ui::WM_DIALREPORT to it when a dial report has arrived; whichever loop runs
// (the main loop, a modal showing, a tick's wait, a menu) delivers it, and
// the reports are acted on here, on this thread.
class DialReportWindow {
public:
    explicit DialReportWindow(ras::ConnectionControl& connections) : connections_(connections)
    {
        ui::RegisterWindowClassOnce(kReportWindowClass, WindowProc);
        handle_ = CreateWindowExW(0, kReportWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), this);
        if (!handle_)
            throw std::runtime_error("cannot create the dial report window");
        const HWND target = handle_;
        connections_.SetReportWake([target] { PostMessageW(target, ui::WM_DIALREPORT, 0, 0); });
    }

    ~DialReportWindow()
    {
        // No wake reaches the window once this returns.
        connections_.SetReportWake({});
        DestroyWindow(handle_);
    }

    DialReportWindow(const DialReportWindow&) = delete;
    DialReportWindow& operator=(const DialReportWindow&) = delete;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<DialReportWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == ui::WM_DIALREPORT && self) {
            self->connections_.DeliverReports();
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    ras::ConnectionControl& connections_;
    HWND handle_ = nullptr;
};

// The computer's clock in its time zone.
scheduler::LocalTime LocalNow()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return scheduler::LocalTime{now.wYear,   now.wMonth,  now.wDay,         now.wHour,
                                now.wMinute, now.wSecond, now.wMilliseconds};
}

// Entry names and the platform's texts, from the ANSI code page to UTF-8.
std::string Utf8OfAnsi(const std::string& ansi)
{
    return ui::Utf8FromWide(ui::WideFromAnsi(ansi));
}

}  // namespace

struct ProgramCore::Parts {
    explicit Parts(scheduler::MessagePump& pump)
        : connections(service),
          reports(connections),
          log(store),
          cycle(connections, LocalNow, check, log),
          actions(service, connections, store, pump, *lang::Language, cycle),
          api(cycle, std::chrono::steady_clock::now, Utf8OfAnsi, VELMORA_VERSION),
          trigger(cycle, hooks),
          apiControl(api, cycle, [this](scheduler::RedialWindow& window) { actions.LookUpConnection(window); })
    {
    }

    ras::RasApi32Service service;
    ras::ConnectionControl connections;
    DialReportWindow reports;
    settings::WinFileStore store;
    WinHttpAddressCheck check;
    scheduler::EventLogFile log;
    scheduler::RedialCycle cycle;
    ui::CoreDialUpActions actions;
    scheduler::ApiService api;
    HookRunner hooks;
    scheduler::HookTrigger trigger;
    ApiControl apiControl;
};

ProgramCore::ProgramCore(scheduler::MessagePump& pump) : parts_(std::make_unique<Parts>(pump)) {}

ProgramCore::~ProgramCore() = default;

void ProgramCore::AttachWindow(scheduler::RedialWindow* window)
{
    parts_->apiControl.SetWindow(window);
}

ui::DialUpActions& ProgramCore::Actions()
{
    return parts_->actions;
}

}  // namespace app
