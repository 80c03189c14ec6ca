// A command for the hook runner's tests to start. Files are named relative
// to the working directory the runner gives; text is written as UTF-8.
//
//   hook_child env FILE CODE      writes "cwd=<folder>" and then every
//                                 variable of its environment, one a line;
//                                 exits with CODE
//   hook_child sleep MS FILE      writes "start <ms>", sleeps, writes "end <ms>"
//                                 (the system's tick count in milliseconds)
//   hook_child spawn MS FILE      writes its process id, starts
//                                 "hook_child late MS FILE.late" and sleeps a minute
//   hook_child late MS FILE       sleeps MS, then writes FILE
//   hook_child touch FILE         writes FILE
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "ui/AnsiText.h"

namespace {

void Append(const std::wstring& file, const std::wstring& text)
{
    FILE* out = _wfopen(file.c_str(), L"ab");
    if (!out) {
        std::exit(90);
    }
    const std::string bytes = ui::Utf8FromWide(text);
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
}

std::wstring Now()
{
    return std::to_wstring(GetTickCount64());
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"env" && argc > 3) {
        wchar_t folder[MAX_PATH * 2] = L"";
        GetCurrentDirectoryW(static_cast<DWORD>(std::size(folder)), folder);
        std::wstring text = std::wstring(L"cwd=") + folder + L"\n";
        const wchar_t* block = GetEnvironmentStringsW();
        for (const wchar_t* at = block; *at; at += std::wcslen(at) + 1) {
            text += at;
            text += L"\n";
        }
        FreeEnvironmentStringsW(const_cast<wchar_t*>(block));
        Append(argv[2], text);
        return _wtoi(argv[3]);
    }
    if (mode == L"sleep" && argc > 3) {
        Append(argv[3], L"start " + Now() + L"\n");
        Sleep(static_cast<DWORD>(_wtoi(argv[2])));
        Append(argv[3], L"end " + Now() + L"\n");
        return 0;
    }
    if (mode == L"spawn" && argc > 3) {
        Append(argv[3], std::to_wstring(GetCurrentProcessId()));
        wchar_t self[MAX_PATH * 2] = L"";
        GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
        std::wstring line = std::wstring(L"\"") + self + L"\" late " + argv[2] + L" \"" + argv[3] + L".late\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
            return 91;
        }
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
        Sleep(60000);
        return 0;
    }
    if (mode == L"late" && argc > 3) {
        Sleep(static_cast<DWORD>(_wtoi(argv[2])));
        Append(argv[3], L"late\n");
        return 0;
    }
    if (mode == L"touch" && argc > 2) {
        Append(argv[2], L"touched\n");
        return 0;
    }
    return 99;
}
