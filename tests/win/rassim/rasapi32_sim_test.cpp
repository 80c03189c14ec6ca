#include "ras/Ras.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

using EnumEntriesFn = ras::DWORD(RASAPI_CALL*)(const char*, const char*, ras::RASENTRYNAMEA*, ras::DWORD*, ras::DWORD*);
using EnumConnectionsFn = ras::DWORD(RASAPI_CALL*)(ras::RASCONNA*, ras::DWORD*, ras::DWORD*);
using DialFn = ras::DWORD(RASAPI_CALL*)(void*, const char*, ras::RASDIALPARAMSA*, ras::DWORD, void*, ras::HRASCONN*);
using HangUpFn = ras::DWORD(RASAPI_CALL*)(ras::HRASCONN);
using ProjectionFn = ras::DWORD(RASAPI_CALL*)(ras::HRASCONN, ras::RASPROJECTION, void*, ras::DWORD*);
using ErrorStringFn = ras::DWORD(RASAPI_CALL*)(ras::UINT, char*, ras::DWORD);

constexpr char kConfig[] = "# written by rasapi32_sim_test\r\n"
                           "entry=Home\r\n"
                           "connected=Office\r\n"
                           "fail=Flaky:691\r\n"
                           "delay_ms=20\r\n"
                           "addresses=Office:192.0.2.44\r\n";

std::wstring DllPath()
{
    const std::string path = RASSIM_DLL_PATH;
    std::wstring wide(path.begin(), path.end());
    for (wchar_t& c : wide)
        if (c == L'/')
            c = L'\\';
    return wide;
}

std::wstring ConfigPath()
{
    std::wstring path = DllPath();
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"rassim.ini";
}

template <typename Fn>
Fn Export(HMODULE module, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// What the DLL reports to the dial notifier.
struct Reports {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::pair<ras::RASCONNSTATE, ras::DWORD>> seen;
} g_reports;

void RASAPI_CALL Notifier(ras::UINT message, ras::RASCONNSTATE state, ras::DWORD error)
{
    {
        std::lock_guard lock(g_reports.mutex);
        if (message == ras::WM_RASDIALEVENT)
            g_reports.seen.emplace_back(state, error);
    }
    g_reports.arrived.notify_all();
}

bool WaitForReport(ras::RASCONNSTATE state, ras::DWORD error)
{
    std::unique_lock lock(g_reports.mutex);
    return g_reports.arrived.wait_for(lock, std::chrono::seconds(5), [&] {
        for (const auto& [s, e] : g_reports.seen)
            if (s == state && e == error)
                return true;
        return false;
    });
}

class RasApi32SimTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        HANDLE file =
            CreateFileW(ConfigPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, kConfig, sizeof kConfig - 1, &written, nullptr);
        CloseHandle(file);
        // The DLL stays loaded to the end of the process: its service is
        // process-wide.
        module_ = LoadLibraryW(DllPath().c_str());
        ASSERT_NE(module_, nullptr) << "LoadLibraryW failed: " << GetLastError();
        wchar_t loaded[MAX_PATH] = {};
        GetModuleFileNameW(module_, loaded, MAX_PATH);
        const std::wstring loadedPath = loaded;
        ASSERT_EQ(loadedPath.find(L"system32"), std::wstring::npos)
            << "the system's rasapi32 was loaded; under wine run with WINEDLLOVERRIDES=rasapi32=n";
    }

    static void TearDownTestSuite() { DeleteFileW(ConfigPath().c_str()); }

    void SetUp() override
    {
        ASSERT_NE(module_, nullptr);
        enumEntries = Export<EnumEntriesFn>(module_, "RasEnumEntriesA");
        enumConnections = Export<EnumConnectionsFn>(module_, "RasEnumConnectionsA");
        dial = Export<DialFn>(module_, "RasDialA");
        hangUp = Export<HangUpFn>(module_, "RasHangUpA");
        projection = Export<ProjectionFn>(module_, "RasGetProjectionInfoA");
        errorString = Export<ErrorStringFn>(module_, "RasGetErrorStringA");
        ASSERT_TRUE(enumEntries && enumConnections && dial && hangUp && projection && errorString);
    }

    std::vector<std::pair<std::string, ras::HRASCONN>> Connections()
    {
        std::vector<ras::RASCONNA> table(11);
        table[0].dwSize = ras::kConnSize;
        ras::DWORD bytes = static_cast<ras::DWORD>(table.size() * sizeof(ras::RASCONNA));
        ras::DWORD count = 0;
        EXPECT_EQ(enumConnections(table.data(), &bytes, &count), ras::SUCCESS);
        std::vector<std::pair<std::string, ras::HRASCONN>> listed;
        for (ras::DWORD i = 0; i < count; ++i) {
            const ras::HRASCONN handle = table[i].hrasconn;
            listed.emplace_back(table[i].szEntryName, handle);
        }
        return listed;
    }

    ras::DWORD Dial(const char* entry, ras::HRASCONN& handle)
    {
        ras::RASDIALPARAMSA params{};
        params.dwSize = ras::kDialParamsSize;
        std::strcpy(params.szEntryName, entry);
        std::strcpy(params.szUserName, "user");
        std::strcpy(params.szPassword, "password");
        std::strcpy(params.szCallbackNumber, "*");
        std::strcpy(params.szDomain, "*");
        return dial(nullptr, nullptr, &params, ras::kNotifierTypeRasDialFunc, reinterpret_cast<void*>(&Notifier),
                    &handle);
    }

    static inline HMODULE module_ = nullptr;
    EnumEntriesFn enumEntries = nullptr;
    EnumConnectionsFn enumConnections = nullptr;
    DialFn dial = nullptr;
    HangUpFn hangUp = nullptr;
    ProjectionFn projection = nullptr;
    ErrorStringFn errorString = nullptr;
};

TEST_F(RasApi32SimTest, ListsThePhonebookOfItsConfigFile)
{
    std::vector<ras::RASENTRYNAMEA> entries(16);
    entries[0].dwSize = ras::kEntryNameSize;
    ras::DWORD bytes = 16 * ras::kEntryNameSize, count = 0;
    ASSERT_EQ(enumEntries(nullptr, nullptr, entries.data(), &bytes, &count), ras::SUCCESS);
    ASSERT_EQ(count, 3u);
    EXPECT_STREQ(entries[0].szEntryName, "Home");
    EXPECT_STREQ(entries[1].szEntryName, "Office");
    EXPECT_STREQ(entries[2].szEntryName, "Flaky");

    entries[0].dwSize = 532;
    EXPECT_EQ(enumEntries(nullptr, nullptr, entries.data(), &bytes, &count), ras::ERROR_INVALID_SIZE);
}

TEST_F(RasApi32SimTest, DialsConnectsAndHangsUp)
{
    ASSERT_EQ(Connections().size(), 1u);
    EXPECT_EQ(Connections()[0].first, "Office");

    ras::HRASCONN handle = nullptr;
    ASSERT_EQ(Dial("Home", handle), ras::SUCCESS);
    ASSERT_NE(handle, nullptr);
    ASSERT_TRUE(WaitForReport(ras::RASCS_Connected, ras::SUCCESS));
    const auto listed = Connections();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[1].first, "Home");
    EXPECT_EQ(listed[1].second, handle);

    EXPECT_EQ(hangUp(handle), ras::SUCCESS);
    EXPECT_EQ(Connections().size(), 1u);
    EXPECT_EQ(hangUp(handle), static_cast<ras::DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(RasApi32SimTest, AFailingEntryReportsTheEndWithItsCode)
{
    ras::HRASCONN handle = nullptr;
    ASSERT_EQ(Dial("Flaky", handle), ras::SUCCESS);
    ASSERT_TRUE(WaitForReport(ras::RASCS_Disconnected, ras::ERROR_AUTHENTICATION_FAILURE));
    EXPECT_EQ(hangUp(handle), ras::SUCCESS);
}

TEST_F(RasApi32SimTest, GivesAConnectionsAddressThroughTheProjection)
{
    ras::HRASCONN office = nullptr;
    for (const auto& [entry, handle] : Connections())
        if (entry == "Office")
            office = handle;
    ASSERT_NE(office, nullptr);

    ras::RASPPPIPA record{};
    record.dwSize = ras::kPppIpSize;
    ras::DWORD bytes = ras::kPppIpSize;
    ASSERT_EQ(projection(office, ras::RASP_PppIp, &record, &bytes), ras::SUCCESS);
    EXPECT_EQ(record.dwError, ras::SUCCESS);
    EXPECT_STREQ(record.szIpAddress, "192.0.2.44");
    EXPECT_STREQ(record.szServerIpAddress, "10.64.0.1");
    EXPECT_EQ(bytes, ras::kPppIpSize);

    // The platform's codes, as windows.h names them.
    bytes = ras::kPppIpSize - 1;
    EXPECT_EQ(projection(office, ras::RASP_PppIp, &record, &bytes), ras::ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(bytes, ras::kPppIpSize);
    EXPECT_EQ(projection(office, ras::RASP_PppIp, &record, nullptr), static_cast<ras::DWORD>(ERROR_INVALID_PARAMETER));
    const auto unknown = reinterpret_cast<ras::HRASCONN>(std::uintptr_t{0x1230});
    EXPECT_EQ(projection(unknown, ras::RASP_PppIp, &record, &bytes), static_cast<ras::DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(RasApi32SimTest, GivesTheTextOfAnError)
{
    char text[512] = {};
    ASSERT_EQ(errorString(ras::ERROR_NO_ANSWER, text, sizeof text), ras::SUCCESS);
    EXPECT_STREQ(text, "The remote computer did not respond.");
    ASSERT_EQ(errorString(777, text, sizeof text), ras::SUCCESS);
    EXPECT_STREQ(text, "Remote access error 777.");
    EXPECT_EQ(errorString(777, text, 4), static_cast<ras::DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(errorString(5, text, sizeof text), static_cast<ras::DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(errorString(777, nullptr, sizeof text), static_cast<ras::DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
