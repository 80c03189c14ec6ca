// The tray icon's record as the shell receives it, byte for byte.

#include "ui/shell/TrayIcon.h"

#include "tests/win/shell/RecordingPlatform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct NotifyCall {
    DWORD message;
    std::vector<unsigned char> bytes;  // the record as passed
};

using namespace ui;

// Stands in for Shell_NotifyIconA and keeps the record's bytes as passed.
struct NotifyRecorder : RecordingPlatform {
    std::vector<NotifyCall> records;

    BOOL NotifyIcon(DWORD message, NotifyIconDataA88& data) override
    {
        const auto* p = reinterpret_cast<const unsigned char*>(&data);
        records.push_back({message, std::vector<unsigned char>(p, p + sizeof data)});
        return TRUE;
    }
};

template <class T>
T At(const std::vector<unsigned char>& bytes, std::size_t offset)
{
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

const HWND kWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
const HICON kIcon = reinterpret_cast<HICON>(static_cast<INT_PTR>(0x5678));

TEST(TrayIconTest, AddPassesTheFirstFormOfTheRecord)
{
    NotifyRecorder shell;
    NotifyIconDataA88 record{};
    TrayIcon icon(record, shell);
    icon.Add(kWindow, kIcon, L"Velmora V2.0.10");

    ASSERT_EQ(shell.records.size(), 1u);
    EXPECT_EQ(shell.records[0].message, static_cast<DWORD>(NIM_ADD));
    const auto& b = shell.records[0].bytes;
    // Read at the platform record's own offsets.
    EXPECT_EQ(At<DWORD>(b, offsetof(NOTIFYICONDATAA, cbSize)), sizeof(void*) == 8 ? 104u : 88u);
    EXPECT_EQ(At<HWND>(b, offsetof(NOTIFYICONDATAA, hWnd)), kWindow);
    EXPECT_EQ(At<UINT>(b, offsetof(NOTIFYICONDATAA, uID)), 34953u);
    EXPECT_EQ(At<UINT>(b, offsetof(NOTIFYICONDATAA, uFlags)), 7u);
    EXPECT_EQ(At<UINT>(b, offsetof(NOTIFYICONDATAA, uCallbackMessage)), 1035u);
    EXPECT_EQ(At<HICON>(b, offsetof(NOTIFYICONDATAA, hIcon)), kIcon);
    const char* tip = reinterpret_cast<const char*>(b.data() + offsetof(NOTIFYICONDATAA, szTip));
    EXPECT_EQ(std::string(tip, 64), std::string("Velmora V2.0.10") + std::string(64 - 15, '\0'));
}

TEST(TrayIconTest, RemovePassesTheRecordUnchanged)
{
    NotifyRecorder shell;
    NotifyIconDataA88 record{};
    TrayIcon icon(record, shell);
    icon.Add(kWindow, kIcon, L"Velmora V2.0.10");
    icon.Remove();

    ASSERT_EQ(shell.records.size(), 2u);
    EXPECT_EQ(shell.records[1].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(shell.records[1].bytes, shell.records[0].bytes);
}

TEST(TrayIconTest, DestructionRemovesAnIconStillShownOnly)
{
    NotifyRecorder shown;
    {
        NotifyIconDataA88 record{};
        TrayIcon icon(record, shown);
        icon.Add(kWindow, kIcon, L"tip");
    }
    ASSERT_EQ(shown.records.size(), 2u);
    EXPECT_EQ(shown.records[1].message, static_cast<DWORD>(NIM_DELETE));

    NotifyRecorder removed;
    {
        NotifyIconDataA88 record{};
        TrayIcon icon(record, removed);
        icon.Add(kWindow, kIcon, L"tip");
        icon.Remove();
    }
    EXPECT_EQ(removed.records.size(), 2u);
}

struct TipCase {
    const char* name;
    std::wstring caption;
    UINT codePage;
    std::string tip;
};

class TrayTipTest : public ::testing::TestWithParam<TipCase> {};

TEST_P(TrayTipTest, FitsSixtyThreeBytesOnACharacterBoundary)
{
    const TipCase& c = GetParam();
    ASSERT_TRUE(IsValidCodePage(c.codePage));
    const std::string tip = MakeTrayTip(c.caption, c.codePage);
    EXPECT_EQ(tip, c.tip);
    EXPECT_LE(tip.size(), 63u);
}

const std::wstring kHan = L"\u62E8";  // 拨: two bytes in GB2312 (B2 A6)
std::wstring Repeat(const std::wstring& s, int n)
{
    std::wstring out;
    for (int i = 0; i < n; ++i) {
        out += s;
    }
    return out;
}
std::string RepeatBytes(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) {
        out += s;
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrayTipTest,
    ::testing::Values(
        TipCase{"Short", L"Velmora V2.0.10", 1252, "Velmora V2.0.10"}, TipCase{"Empty", L"", 1252, ""},
        TipCase{"Exactly63", std::wstring(63, L'x'), 1252, std::string(63, 'x')},
        TipCase{"Ascii64Cut", std::wstring(64, L'x'), 1252, std::string(63, 'x')},
        TipCase{"GbFits", L"A" + Repeat(kHan, 31), 936, std::string(1, 'A').append(RepeatBytes("\xB2\xA6", 31))},
        TipCase{"GbCutBeforeHalfCharacter", Repeat(kHan, 32), 936, RepeatBytes("\xB2\xA6", 31)},
        TipCase{"SurrogatePairKeptWhole", std::wstring(60, L'a') + L"\U0001F600", CP_UTF8, std::string(60, 'a')},
        TipCase{"SurrogatePairFits", std::wstring(59, L'a') + L"\U0001F600", CP_UTF8,
                std::string(59, 'a').append("\xF0\x9F\x98\x80")}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
