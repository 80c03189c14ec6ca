#include "app/WinHttpAddressCheck.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "ui/AnsiText.h"
#include "ui/WindowClass.h"
#include "ui/WindowProtocol.h"

namespace app {

namespace {

constexpr wchar_t kWindowClass[] = L"VelmoraAddressChecks";
constexpr wchar_t kUserAgent[] = L"Velmora/2.0.10";
constexpr DWORD kReadChunk = 8192;
// Far longer than any address a browser takes; a longer text is no address.
constexpr std::size_t kLongestUrl = 8192;
// How long closing the checks waits for a worker whose call closing its
// request did not end.
constexpr std::chrono::milliseconds kLetGoAfter{300};

using Clock = std::chrono::steady_clock;
using scheduler::AddressCheckAnswer;

AddressCheckAnswer Failure(std::string error)
{
    return AddressCheckAnswer{false, {}, std::move(error)};
}

// A WinHTTP failure as the user reads it.
std::string ErrorText(DWORD error)
{
    switch (error) {
    case ERROR_WINHTTP_TIMEOUT:
    case WSAETIMEDOUT:  // what wine's WinHTTP reports for a wait that ran out
        return "timeout";
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
        return "name not resolved";
    case ERROR_WINHTTP_CANNOT_CONNECT:
        return "cannot connect";
    case ERROR_WINHTTP_CONNECTION_ERROR:
        return "connection broken";
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
        return "invalid reply";
    case ERROR_WINHTTP_REDIRECT_FAILED:
        return "redirect failed";
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED:
    case ERROR_WINHTTP_CLIENT_AUTH_CERT_NEEDED:
        return "secure connection failed";
    case ERROR_WINHTTP_OPERATION_CANCELLED:
        return "cancelled";
    default:
        return "error " + std::to_string(error);
    }
}

AddressCheckAnswer LastFailure()
{
    return Failure(ErrorText(::GetLastError()));
}

// Closes a WinHTTP handle when it goes.
class InternetHandle {
public:
    explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
    ~InternetHandle()
    {
        if (handle_) {
            ::WinHttpCloseHandle(handle_);
        }
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;

    HINTERNET Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    HINTERNET handle_;
};

}  // namespace

// The checks of one WinHttpAddressCheck: each runs on a worker thread; a
// watchdog thread answers "timeout" for those past their deadline and
// closes their request, which makes the worker's pending WinHTTP call fail
// at once; the message-only window runs the answers' `done` on the
// program's thread. The workers share this object, so that one still
// stuck in a call that closing did not end (wine's WinHTTP ends a blocked
// receive only at its own timeout) can be let go when the checks close.
class WinHttpAddressCheck::Checks : public std::enable_shared_from_this<Checks> {
public:
    explicit Checks(std::chrono::milliseconds limit) : limit_(std::max(limit, std::chrono::milliseconds(1))) {}

    Checks(const Checks&) = delete;
    Checks& operator=(const Checks&) = delete;

    void Open()
    {
        ui::RegisterWindowClassOnce(kWindowClass, WindowProc);
        window_ = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    ::GetModuleHandleW(nullptr), this);
        if (!window_) {
            throw std::runtime_error("cannot create the address check window");
        }
        watchdog_ = std::thread([this] { Watch(); });
    }

    // On the program's thread, once: cancels every check, drops their
    // callbacks, and waits a moment for the workers, which closing their
    // requests ends at once; one that has not ended by then is let go and
    // ends on its own, with nothing left to answer to.
    void Close()
    {
        if (closed_) {
            return;
        }
        closed_ = true;
        std::vector<Done> dropped;  // destroyed on this thread, after the lock
        std::vector<std::shared_ptr<Check>> all;
        HWND window = nullptr;
        {
            std::unique_lock lock(mutex_);
            stopping_ = true;
            for (const std::shared_ptr<Check>& check : checks_) {
                CloseRequest(*check);
                check->delivered = true;
                dropped.push_back(std::move(check->done));
            }
            wake_.notify_all();
            ended_.wait_for(lock, kLetGoAfter, [this] {
                return std::all_of(checks_.begin(), checks_.end(),
                                   [](const std::shared_ptr<Check>& check) { return check->workerDone; });
            });
            all.assign(checks_.begin(), checks_.end());
            checks_.clear();
            window = std::exchange(window_, nullptr);
        }
        if (watchdog_.joinable()) {
            watchdog_.join();
        }
        for (const std::shared_ptr<Check>& check : all) {
            if (!check->worker.joinable()) {
                continue;
            }
            bool ended = false;
            {
                std::lock_guard lock(mutex_);
                ended = check->workerDone;
            }
            if (ended) {
                check->worker.join();
            } else {
                check->worker.detach();
            }
        }
        if (window) {
            ::DestroyWindow(window);
        }
    }

    void Start(const std::string& url, Done done)
    {
        std::wstring wide = url.size() <= kLongestUrl ? ui::WideFromAnsi(url) : std::wstring();
        auto check = std::make_shared<Check>();
        check->done = std::move(done);
        check->deadline = Clock::now() + limit_;
        std::lock_guard lock(mutex_);
        checks_.push_back(check);
        try {
            check->worker =
                std::thread([self = shared_from_this(), check, wide = std::move(wide)] { self->Run(*check, wide); });
        } catch (const std::system_error&) {
            check->answer = Failure("cannot start");
            check->workerDone = true;
            Post();
        }
        wake_.notify_all();
    }

private:
    struct Check {
        Done done;
        Clock::time_point deadline;
        std::optional<AddressCheckAnswer> answer;  // the first one counts: the worker's or "timeout"
        bool delivered = false;                    // `done` has run or never will
        bool workerDone = false;
        bool closing = false;         // the request is closed or is to be closed at once
        HINTERNET request = nullptr;  // while open
        std::thread worker;           // the program's thread only
    };

    // The worker's request handle: registered with its check so that the
    // watchdog or Close can close it meanwhile, and closed when this goes
    // (before the connection and the session).
    class RequestLease {
    public:
        RequestLease(Checks& owner, Check& check, HINTERNET request) : owner_(owner), check_(check)
        {
            std::lock_guard lock(owner_.mutex_);
            if (check_.closing) {
                ::WinHttpCloseHandle(request);
            } else {
                check_.request = request;
            }
        }
        ~RequestLease()
        {
            std::lock_guard lock(owner_.mutex_);
            owner_.CloseRequest(check_);
        }
        RequestLease(const RequestLease&) = delete;
        RequestLease& operator=(const RequestLease&) = delete;

        // Null once the request has been closed.
        HINTERNET Get() const
        {
            std::lock_guard lock(owner_.mutex_);
            return check_.request;
        }

    private:
        Checks& owner_;
        Check& check_;
    };

    // With the lock held.
    void CloseRequest(Check& check)
    {
        check.closing = true;
        if (check.request) {
            ::WinHttpCloseHandle(check.request);
            check.request = nullptr;
        }
    }

    // With the lock held. Nothing once the checks are closed.
    void Post()
    {
        if (window_) {
            ::PostMessageW(window_, ui::WM_ADDRESSCHECKDONE, 0, 0);
        }
    }

    void Run(Check& check, const std::wstring& url)
    {
        AddressCheckAnswer answer = Fetch(check, url);
        std::lock_guard lock(mutex_);
        if (!check.answer) {
            check.answer = std::move(answer);
        }
        check.workerDone = true;
        ended_.notify_all();
        Post();
    }

    AddressCheckAnswer Fetch(Check& check, const std::wstring& url)
    {
        URL_COMPONENTS parts{};
        parts.dwStructSize = sizeof parts;
        parts.dwSchemeLength = static_cast<DWORD>(-1);
        parts.dwHostNameLength = static_cast<DWORD>(-1);
        parts.dwUrlPathLength = static_cast<DWORD>(-1);
        parts.dwExtraInfoLength = static_cast<DWORD>(-1);
        if (url.empty() || !::WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts) ||
            (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) ||
            parts.dwHostNameLength == 0) {
            return Failure("not an http or https address");
        }
        const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
        std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
        path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
        path = path.substr(0, path.find(L'#'));  // the fragment is the browser's, not the server's
        if (path.empty()) {
            path = L"/";
        }

        const InternetHandle session(::WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                                   WINHTTP_NO_PROXY_BYPASS, 0));
        if (!session) {
            return LastFailure();
        }
        // Each step's own limit; the watchdog keeps the whole within it.
        const int timeout = static_cast<int>(std::min<long long>(limit_.count(), 0x7fffffff));
        ::WinHttpSetTimeouts(session.Get(), timeout, timeout, timeout, timeout);
        const InternetHandle connection(::WinHttpConnect(session.Get(), host.c_str(), parts.nPort, 0));
        if (!connection) {
            return LastFailure();
        }
        const DWORD flags = WINHTTP_FLAG_REFRESH | (parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0);
        HINTERNET opened = ::WinHttpOpenRequest(connection.Get(), L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                                WINHTTP_DEFAULT_ACCEPT_TYPES, flags);
        if (!opened) {
            return LastFailure();
        }
        // Waiting for the reply's head has a limit of its own.
        DWORD responseTimeout = static_cast<DWORD>(timeout);
        ::WinHttpSetOption(opened, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout, sizeof responseTimeout);
        const RequestLease request(*this, check, opened);

        HINTERNET handle = request.Get();
        if (!handle) {
            return Failure("cancelled");
        }
        if (!::WinHttpSendRequest(handle, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0)) {
            return LastFailure();
        }
        if (!(handle = request.Get())) {
            return Failure("cancelled");
        }
        if (!::WinHttpReceiveResponse(handle, nullptr)) {
            return LastFailure();
        }
        if (!(handle = request.Get())) {
            return Failure("cancelled");
        }
        DWORD status = 0;
        DWORD size = sizeof status;
        if (!::WinHttpQueryHeaders(handle, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                   WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
            return LastFailure();
        }
        if (status != 200) {
            return Failure("HTTP " + std::to_string(status));
        }

        std::string body;
        char buffer[kReadChunk];
        while (body.size() < scheduler::kMaxAddressCheckBody) {
            if (!(handle = request.Get())) {
                return Failure("cancelled");
            }
            const DWORD wanted =
                static_cast<DWORD>(std::min<std::size_t>(kReadChunk, scheduler::kMaxAddressCheckBody - body.size()));
            DWORD read = 0;
            if (!::WinHttpReadData(handle, buffer, wanted, &read)) {
                return LastFailure();
            }
            if (read == 0) {
                break;
            }
            body.append(buffer, read);
        }
        return AddressCheckAnswer{true, std::move(body), {}};
    }

    void Watch()
    {
        std::unique_lock lock(mutex_);
        while (!stopping_) {
            const Clock::time_point now = Clock::now();
            std::optional<Clock::time_point> next;
            bool answered = false;
            for (const std::shared_ptr<Check>& check : checks_) {
                if (check->answer) {
                    continue;
                }
                if (check->deadline <= now) {
                    check->answer = Failure("timeout");
                    CloseRequest(*check);
                    answered = true;
                } else if (!next || check->deadline < *next) {
                    next = check->deadline;
                }
            }
            if (answered) {
                Post();
            }
            if (next) {
                wake_.wait_until(lock, *next);
            } else {
                wake_.wait(lock);
            }
        }
    }

    // On the program's thread: runs `done` of each answered check, and
    // forgets the checks whose worker has ended.
    void Deliver()
    {
        const std::shared_ptr<Checks> keep = shared_from_this();
        std::vector<std::pair<Done, AddressCheckAnswer>> ready;
        std::vector<std::shared_ptr<Check>> ended;
        {
            std::lock_guard lock(mutex_);
            for (auto it = checks_.begin(); it != checks_.end();) {
                Check& check = **it;
                if (check.answer && !check.delivered) {
                    check.delivered = true;
                    ready.emplace_back(std::move(check.done), *check.answer);
                }
                if (check.delivered && check.workerDone) {
                    ended.push_back(std::move(*it));
                    it = checks_.erase(it);
                } else {
                    ++it;
                }
            }
        }
        for (const std::shared_ptr<Check>& check : ended) {
            if (check->worker.joinable()) {
                check->worker.join();
            }
        }
        for (auto& [done, answer] : ready) {
            // A `done` may end the whole check object; then the rest are
            // dropped.
            if (closed_) {
                return;
            }
            if (done) {
                done(answer);
            }
        }
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<Checks*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == ui::WM_ADDRESSCHECKDONE && self) {
            self->Deliver();
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    const std::chrono::milliseconds limit_;
    HWND window_ = nullptr;
    bool closed_ = false;  // the program's thread only

    std::mutex mutex_;
    std::condition_variable wake_;   // for the watchdog
    std::condition_variable ended_;  // a worker has ended
    bool stopping_ = false;
    std::list<std::shared_ptr<Check>> checks_;
    std::thread watchdog_;
};

WinHttpAddressCheck::WinHttpAddressCheck(std::chrono::milliseconds limit) : checks_(std::make_shared<Checks>(limit))
{
    try {
        checks_->Open();
    } catch (...) {
        checks_->Close();
        throw;
    }
}

WinHttpAddressCheck::~WinHttpAddressCheck()
{
    checks_->Close();
}

void WinHttpAddressCheck::Start(const std::string& url, Done done)
{
    checks_->Start(url, std::move(done));
}

}  // namespace app
