#include "tools/ctl/ApiClient.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <array>

#include "settings/LineList.h"
#include "settings/Options.h"
#include "settings/win/UniqueHandle.h"
#include "ui/AnsiText.h"

namespace ctl {

namespace {

constexpr wchar_t kUserAgent[] = L"velmora-ctl";
constexpr DWORD kReadChunk = 8192;
// Far larger than any settings file.
constexpr LONGLONG kMaxSettingsFile = 4 * 1024 * 1024;

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

// A WinHTTP failure as the user reads it.
std::string ErrorText(DWORD error)
{
    switch (error) {
    case ERROR_WINHTTP_TIMEOUT:
        return "no answer within the timeout";
    case ERROR_WINHTTP_CANNOT_CONNECT:
        return "cannot connect";
    case ERROR_WINHTTP_CONNECTION_ERROR:
        return "the connection was broken";
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
        return "the answer is not HTTP";
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
        return "the host name is not known";
    default:
        return "error " + std::to_string(error);
    }
}

ApiReply Failure(std::string error)
{
    ApiReply reply;
    reply.error = std::move(error);
    return reply;
}

ApiReply LastFailure()
{
    return Failure(ErrorText(::GetLastError()));
}

// True for an address that means every address of the computer.
bool IsUnspecified(const std::string& host)
{
    if (host.find(':') != std::string::npos) {
        return std::all_of(host.begin(), host.end(), [](char c) { return c == '0' || c == ':'; });
    }
    return host == "0.0.0.0";
}

}  // namespace

ApiTarget ApiTargetFromSettings(std::string_view fileBytes)
{
    const settings::LineList lines = settings::LineList::FromText(fileBytes);
    std::array<std::string, settings::kOptionCount> texts;
    for (const settings::OptionKey key : settings::kOptionKeys) {
        texts[static_cast<std::size_t>(key)] = lines.Value(settings::OptionName(key));
    }
    const settings::RedialOptions options = settings::ReadOptions(texts);
    ApiTarget target;
    target.enabled = options.api;
    target.host = options.apiHost;
    if (IsUnspecified(target.host)) {
        target.host = target.host.find(':') != std::string::npos ? "::1" : "127.0.0.1";
    }
    target.port = options.apiPort;
    target.token = options.apiToken;
    return target;
}

std::string ReadSettingsBeside(const std::wstring& exePath)
{
    const std::size_t slash = exePath.find_last_of(L"\\/");
    const std::wstring path =
        (slash == std::wstring::npos ? std::wstring() : exePath.substr(0, slash + 1)) + L"dialup.ini";
    // Shared every way: the program may save the file meanwhile.
    const settings::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart > kMaxSettingsFile) {
        return {};
    }
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && !::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        return {};
    }
    bytes.resize(read);
    return bytes;
}

ApiReply CallApi(const ApiTarget& target, const wchar_t* method, const std::string& path, unsigned long timeoutMs)
{
    // The program is this computer's or the user's own: never through a proxy.
    const InternetHandle session(
        ::WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) {
        return LastFailure();
    }
    const int timeout = static_cast<int>(std::min<unsigned long>(timeoutMs, 0x7fffffff));
    ::WinHttpSetTimeouts(session.Get(), timeout, timeout, timeout, timeout);
    const std::wstring host = ui::WideFromAnsi(target.host);
    const InternetHandle connection(::WinHttpConnect(session.Get(), host.c_str(), target.port, 0));
    if (!connection) {
        return LastFailure();
    }
    const std::wstring object = ui::WideFromAnsi(path);
    const InternetHandle request(::WinHttpOpenRequest(connection.Get(), method, object.c_str(), nullptr,
                                                      WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                      WINHTTP_FLAG_REFRESH));
    if (!request) {
        return LastFailure();
    }
    DWORD responseTimeout = static_cast<DWORD>(timeout);
    ::WinHttpSetOption(request.Get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout,
                       sizeof responseTimeout);
    std::wstring headers = L"Accept: application/json\r\n";
    if (!target.token.empty()) {
        headers += L"Authorization: Bearer " + ui::WideFromAnsi(target.token) + L"\r\n";
    }
    if (!::WinHttpSendRequest(request.Get(), headers.c_str(), static_cast<DWORD>(headers.size()),
                              WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !::WinHttpReceiveResponse(request.Get(), nullptr)) {
        return LastFailure();
    }
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!::WinHttpQueryHeaders(request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
        return LastFailure();
    }
    ApiReply reply;
    reply.status = static_cast<int>(status);
    char buffer[kReadChunk];
    for (;;) {
        DWORD read = 0;
        if (!::WinHttpReadData(request.Get(), buffer, kReadChunk, &read)) {
            return LastFailure();
        }
        if (read == 0) {
            break;
        }
        if (reply.body.size() + read > kMaxApiBody) {
            return Failure("the answer is longer than " + std::to_string(kMaxApiBody) + " bytes");
        }
        reply.body.append(buffer, read);
    }
    reply.answered = true;
    return reply;
}

}  // namespace ctl
