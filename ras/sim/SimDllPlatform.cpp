#include "ras/sim/SimDllPlatform.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <memory>
#include <vector>

namespace ras::sim {
namespace {

HMODULE ThisModule(DWORD extraFlags)
{
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | extraFlags, reinterpret_cast<LPCWSTR>(&PinThisModule),
                       &self);
    return self;
}

std::wstring ConfigPath()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    const DWORD fromEnvironment = GetEnvironmentVariableW(L"RASSIM_CONFIG", buffer.data(), MAX_PATH);
    if (fromEnvironment > 0 && fromEnvironment < MAX_PATH)
        return std::wstring(buffer.data(), fromEnvironment);

    const HMODULE self = ThisModule(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT);
    for (;;) {
        const DWORD length = GetModuleFileNameW(self, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return L"rassim.ini";
        if (length < buffer.size()) {
            std::wstring path(buffer.data(), length);
            const std::size_t slash = path.find_last_of(L"\\/");
            path.resize(slash == std::wstring::npos ? 0 : slash + 1);
            return path + L"rassim.ini";
        }
        buffer.resize(buffer.size() * 2);
    }
}

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

}  // namespace

void PrintOnStandardError(const std::string& text)
{
    const std::string line = "rassim " + text + "\n";
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::optional<std::string> ReadSimConfigText()
{
    const HANDLE opened = CreateFileW(ConfigPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return std::nullopt;
    const FileHandle file(opened);
    std::string text;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0)
        text.append(chunk, read);
    return text;
}

void PinThisModule()
{
    ThisModule(GET_MODULE_HANDLE_EX_FLAG_PIN);
}

}  // namespace ras::sim
