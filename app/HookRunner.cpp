#include "app/HookRunner.h"

#include <windows.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

#include "settings/win/UniqueHandle.h"
#include "ui/AnsiText.h"
#include "ui/WindowClass.h"
#include "ui/WindowProtocol.h"

namespace app {

namespace {

using scheduler::HookResult;
using settings::UniqueHandle;

constexpr wchar_t kWindowClass[] = L"VelmoraHookRunner";
// How long the watcher waits for a process it has ended to be gone.
constexpr DWORD kEndingWaitMs = 5000;

// The text up to its first NUL: a NUL cannot cross into a command line or
// an environment block, where it ends the text.
std::string_view BeforeNul(std::string_view text)
{
    return text.substr(0, text.find('\0'));
}

// The folder of the running exe, with its final backslash; empty when the
// path has no backslash.
std::wstring ExeFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// The system's text for a failure to start a process, in the ANSI code page.
std::string StartErrorText(DWORD error)
{
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const std::unique_ptr<wchar_t, decltype(&::LocalFree)> owned(buffer, &::LocalFree);
    std::wstring text = length && buffer ? std::wstring(buffer, length) : std::wstring();
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.pop_back();
    }
    if (text.empty()) {
        return "CreateProcess failed: " + std::to_string(error);
    }
    return ui::AnsiFromWide(text);
}

bool SameName(std::wstring_view a, std::wstring_view b)
{
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool NameBefore(std::wstring_view a, std::wstring_view b)
{
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_LESS_THAN;
}

// A variable's name: the text before its "=", where a first "=" belongs to
// the name (the system's "=C:=C:\..." entries).
std::wstring_view NameOf(std::wstring_view entry)
{
    const std::size_t equals = entry.find(L'=', 1);
    return entry.substr(0, equals);
}

// The program's environment now, with the variables added or replacing
// those of the same name, as a block for CreateProcessW: sorted by name
// without regard to case, each entry ended by a NUL, and one more NUL.
std::wstring EnvironmentBlock(const scheduler::HookLauncher::Environment& variables)
{
    std::vector<std::wstring> entries;
    {
        const std::unique_ptr<wchar_t, decltype(&::FreeEnvironmentStringsW)> own(::GetEnvironmentStringsW(),
                                                                                 &::FreeEnvironmentStringsW);
        for (const wchar_t* at = own.get(); at && *at;) {
            std::wstring entry(at);
            at += entry.size() + 1;
            entries.push_back(std::move(entry));
        }
    }
    for (const auto& [name, value] : variables) {
        if (name.empty() || name.find('=') != std::string::npos || name.find('\0') != std::string::npos) {
            continue;
        }
        const std::wstring wideName = ui::WideFromAnsi(name);
        std::erase_if(entries, [&](const std::wstring& entry) { return SameName(NameOf(entry), wideName); });
        entries.push_back(wideName + L"=" + ui::WideFromAnsi(BeforeNul(value)));
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const std::wstring& a, const std::wstring& b) { return NameBefore(NameOf(a), NameOf(b)); });
    std::wstring block;
    for (const std::wstring& entry : entries) {
        block += entry;
        block += L'\0';
    }
    if (block.empty()) {
        block += L'\0';
    }
    block += L'\0';
    return block;
}

}  // namespace

// The runs of one HookRunner. The program's thread queues commands and
// takes the results; the watcher thread starts them one after the other
// and waits for each. Every `ended` is made, moved and destroyed under the
// lock or on the program's thread, and called only there.
class HookRunner::Runs : public std::enable_shared_from_this<Runs> {
public:
    Runs(std::chrono::milliseconds limit, std::wstring folder, std::size_t maxWaiting)
        : limitMs_(static_cast<DWORD>(std::clamp<long long>(limit.count(), 0, INFINITE - 1))),
          folder_(folder.empty() ? ExeFolder() : std::move(folder)),
          maxWaiting_(std::max<std::size_t>(maxWaiting, 1))
    {
    }

    Runs(const Runs&) = delete;
    Runs& operator=(const Runs&) = delete;

    void Open()
    {
        stop_.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!stop_) {
            throw std::runtime_error("cannot create the hook runner's stop event");
        }
        ui::RegisterWindowClassOnce(kWindowClass, WindowProc);
        window_ = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    ::GetModuleHandleW(nullptr), this);
        if (!window_) {
            throw std::runtime_error("cannot create the hook runner's window");
        }
        watcher_ = std::thread([this] { Watch(); });
    }

    // On the program's thread, once.
    void Close()
    {
        if (closed_) {
            return;
        }
        closed_ = true;
        // Destroyed here, on this thread, once the lock is released.
        std::deque<Waiting> waiting;
        std::vector<Finished> finished;
        Ended running;
        HWND window = nullptr;
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            waiting.swap(waiting_);
            finished.swap(finished_);
            running = std::move(running_);
            window = std::exchange(window_, nullptr);
        }
        if (stop_) {
            ::SetEvent(stop_.Get());
        }
        wake_.notify_all();
        if (watcher_.joinable()) {
            watcher_.join();
        }
        if (window) {
            ::DestroyWindow(window);
        }
    }

    void Run(const std::string& commandLine, Environment environment, Ended ended)
    {
        std::lock_guard lock(mutex_);
        if (waiting_.size() >= maxWaiting_) {
            HookResult dropped;
            dropped.error = kHookDroppedError;
            finished_.push_back({std::move(waiting_.front().ended), std::move(dropped)});
            waiting_.pop_front();
            Post();
        }
        waiting_.push_back({commandLine, std::move(environment), std::move(ended)});
        wake_.notify_all();
    }

private:
    struct Waiting {
        std::string commandLine;
        Environment environment;
        Ended ended;
    };
    struct Finished {
        Ended ended;
        HookResult result;
    };

    // With the lock held. Nothing once the runner is closing.
    void Post()
    {
        if (window_) {
            ::PostMessageW(window_, ui::WM_HOOKENDED, 0, 0);
        }
    }

    // The watcher thread.
    void Watch()
    {
        for (;;) {
            std::string commandLine;
            Environment environment;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
                if (stopping_) {
                    return;
                }
                commandLine = std::move(waiting_.front().commandLine);
                environment = std::move(waiting_.front().environment);
                running_ = std::move(waiting_.front().ended);
                waiting_.pop_front();
            }
            const std::optional<HookResult> result = Execute(commandLine, environment);
            std::lock_guard lock(mutex_);
            if (!result || stopping_) {
                return;
            }
            finished_.push_back({std::move(running_), *result});
            running_ = nullptr;
            Post();
        }
    }

    // Starts one command and waits for it; nothing when the runner began
    // closing meanwhile (the process is then left running).
    std::optional<HookResult> Execute(const std::string& commandLine, const Environment& environment)
    {
        HookResult result;
        std::wstring line = ui::WideFromAnsi(BeforeNul(commandLine));
        std::wstring block = EnvironmentBlock(environment);
        // The processes the command starts go into a job of their own, so
        // that the time limit ends them all; closing the job's handle
        // leaves them running. Where the process cannot join the job, the
        // limit ends the command's own process only.
        const UniqueHandle job(::CreateJobObjectW(nullptr, nullptr));
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE,
                              CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT | CREATE_SUSPENDED, block.data(),
                              folder_.empty() ? nullptr : folder_.c_str(), &startup, &started)) {
            result.error = StartErrorText(::GetLastError());
            return result;
        }
        const UniqueHandle process(started.hProcess);
        UniqueHandle thread(started.hThread);
        const bool inJob = job && ::AssignProcessToJobObject(job.Get(), process.Get());
        const bool resumed = ::ResumeThread(thread.Get()) != static_cast<DWORD>(-1);
        const DWORD resumeError = ::GetLastError();
        thread.Reset();
        if (!resumed) {
            ::TerminateProcess(process.Get(), kKilledHookExitCode);
            result.error = StartErrorText(resumeError);
            return result;
        }
        result.started = true;

        const HANDLE waits[] = {process.Get(), stop_.Get()};
        DWORD waited = ::WaitForMultipleObjects(2, waits, FALSE, limitMs_);
        if (waited == WAIT_OBJECT_0 + 1) {
            return std::nullopt;
        }
        if (waited != WAIT_OBJECT_0) {
            if (!(inJob && ::TerminateJobObject(job.Get(), kKilledHookExitCode))) {
                ::TerminateProcess(process.Get(), kKilledHookExitCode);
            }
            result.killed = true;
            result.exitCode = kKilledHookExitCode;
            if (waited != WAIT_TIMEOUT) {
                result.error = "cannot wait for the command: " + std::to_string(::GetLastError());
            }
            if (::WaitForMultipleObjects(2, waits, FALSE, kEndingWaitMs) == WAIT_OBJECT_0 + 1) {
                return std::nullopt;
            }
            return result;
        }
        DWORD exitCode = 0;
        if (::GetExitCodeProcess(process.Get(), &exitCode)) {
            result.ended = true;
            result.exitCode = exitCode;
        } else {
            result.error = "cannot read the exit code: " + std::to_string(::GetLastError());
        }
        return result;
    }

    // On the program's thread: runs `ended` of each result that has come.
    void Deliver()
    {
        const std::shared_ptr<Runs> keep = shared_from_this();
        std::vector<Finished> ready;
        {
            std::lock_guard lock(mutex_);
            ready.swap(finished_);
        }
        for (Finished& finished : ready) {
            // An `ended` may end the runner; then the rest are dropped.
            if (closed_) {
                return;
            }
            if (finished.ended) {
                finished.ended(finished.result);
            }
        }
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<Runs*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == ui::WM_HOOKENDED && self) {
            self->Deliver();
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    const DWORD limitMs_;
    const std::wstring folder_;
    const std::size_t maxWaiting_;
    UniqueHandle stop_;    // set when the runner closes
    bool closed_ = false;  // the program's thread only

    std::mutex mutex_;
    std::condition_variable wake_;  // for the watcher
    bool stopping_ = false;
    HWND window_ = nullptr;
    std::deque<Waiting> waiting_;
    Ended running_;  // of the command the watcher runs
    std::vector<Finished> finished_;
    std::thread watcher_;
};

HookRunner::HookRunner(std::chrono::milliseconds limit, std::wstring folder, std::size_t maxWaiting)
    : runs_(std::make_shared<Runs>(limit, std::move(folder), maxWaiting))
{
    try {
        runs_->Open();
    } catch (...) {
        runs_->Close();
        throw;
    }
}

HookRunner::~HookRunner()
{
    runs_->Close();
}

void HookRunner::Run(const std::string& commandLine, Environment environment, Ended ended)
{
    runs_->Run(commandLine, std::move(environment), std::move(ended));
}

}  // namespace app
