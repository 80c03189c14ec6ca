#include "app/ApiControl.h"

#include <windows.h>

#include <stdexcept>
#include <utility>

#include "ui/WindowClass.h"

namespace app {
namespace {

constexpr wchar_t kApiTimerClass[] = L"VelmoraApiTimer";
constexpr UINT_PTR kLookTimerId = 1;

bool SamePlace(const scheduler::ApiListening& a, const scheduler::ApiListening& b)
{
    return a.listen == b.listen && a.host == b.host && a.port == b.port;
}

}  // namespace

// A message-only window whose timer makes ApiControl look.
class ApiControl::Timer {
public:
    explicit Timer(ApiControl& control) : control_(control)
    {
        ui::RegisterWindowClassOnce(kApiTimerClass, WindowProc);
        handle_ = CreateWindowExW(0, kApiTimerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), this);
        if (!handle_)
            throw std::runtime_error("cannot create the API's timer window");
        SetTimer(handle_, kLookTimerId, kLookIntervalMs, nullptr);
    }
    ~Timer()
    {
        KillTimer(handle_, kLookTimerId);
        DestroyWindow(handle_);
    }
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<Timer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_TIMER && wParam == kLookTimerId && self) {
            self->control_.Look();
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    ApiControl& control_;
    HWND handle_ = nullptr;
};

ApiControl::ApiControl(scheduler::ApiService& api, scheduler::RedialCycle& cycle, LookUp lookUp)
    : api_(api),
      cycle_(cycle),
      lookUp_(std::move(lookUp)),
      timer_(std::make_unique<Timer>(*this))
{
}

ApiControl::~ApiControl()
{
    timer_.reset();
    server_.reset();
    api_.SetWindow(nullptr);
}

void ApiControl::SetWindow(scheduler::RedialWindow* window)
{
    window_ = window;
    api_.SetWindow(window);
    Look();
}

void ApiControl::Look()
{
    api_.ExpireWaits();
    const settings::RedialOptions options = window_ ? window_->Options() : settings::RedialOptions{};
    api_.SetOptions(options);
    if (window_) {
        cycle_.Refresh(*window_);
        if (server_ && !cycle_.Seen().enabled) {
            try {
                lookUp_(*window_);
            } catch (...) {
                // Only watching: the next look tries again.
            }
        }
    }
    const scheduler::ApiListening plan = window_ ? scheduler::PlanApiListening(options) : scheduler::ApiListening{};
    // Tried already, and nothing has changed: a port in use is tried again
    // only when the options change.
    if (SamePlace(plan, tried_) && plan.problem == tried_.problem)
        return;
    tried_ = plan;
    if (!SamePlace(plan, serving_)) {
        server_.reset();
        serving_ = {};
    }
    std::string problem = plan.problem;
    if (plan.listen && !server_) {
        std::string error;
        server_ = HttpApiServer::Start(plan.host, plan.port, api_, error);
        if (server_)
            serving_ = plan;
        else
            problem = "the HTTP API is not served: " + error;
    }
    if (problem != problem_) {
        problem_ = problem;
        cycle_.SetApiProblem(problem_);
        if (!problem_.empty())
            cycle_.Note(scheduler::EventKind::Api, std::nullopt, problem_);
    }
}

}  // namespace app
