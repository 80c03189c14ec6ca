// The tray icon's record as the shell receives it, byte for byte.

#include "ui/shell/TrayIcon.h"

#include "tests/win/shell/RecordingPlatform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
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

// ---- The balloon -------------------------------------------------------------

TEST(TrayIconTest, BalloonChangesOnlyTheBalloonOfTheIcon)
{
    RecordingPlatform shell;
    NotifyIconDataA88 record{};
    TrayIcon icon(record, shell);
    icon.Add(kWindow, kIcon, L"Velmora V2.0.10");

    icon.ShowBalloon(L"\u65b0\u5730\u5740", L"203.0.113.7");  // 新地址

    ASSERT_EQ(shell.wideNotifications.size(), 1u);
    const auto& [message, data] = shell.wideNotifications[0];
    EXPECT_EQ(message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(data.cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V2_SIZE));
    EXPECT_EQ(data.cbSize, offsetof(NOTIFYICONDATAW, guidItem));
    EXPECT_EQ(data.hWnd, kWindow);
    EXPECT_EQ(data.uID, 34953u);
    EXPECT_EQ(data.uFlags, static_cast<UINT>(NIF_INFO));
    EXPECT_EQ(data.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
    EXPECT_EQ(std::wstring(data.szInfoTitle), L"\u65b0\u5730\u5740");
    EXPECT_EQ(std::wstring(data.szInfo), L"203.0.113.7");
    // The icon's own record is neither sent again nor changed.
    ASSERT_EQ(shell.notifications.size(), 1u);
    EXPECT_EQ(record.uFlags, kTrayIconFlags);
    EXPECT_STREQ(record.szTip, "Velmora V2.0.10");
}

TEST(TrayIconTest, BalloonOnlyWhileTheIconIsInTheTray)
{
    RecordingPlatform shell;
    NotifyIconDataA88 record{};
    TrayIcon icon(record, shell);

    icon.ShowBalloon(L"title", L"before the icon");
    EXPECT_TRUE(shell.wideNotifications.empty());

    icon.Add(kWindow, kIcon, L"tip");
    icon.Remove();
    icon.ShowBalloon(L"title", L"after the icon went");
    EXPECT_TRUE(shell.wideNotifications.empty());

    // Put back, as after the shell restarted.
    icon.Add(kWindow, kIcon, L"tip");
    icon.ShowBalloon(L"title", L"back");
    ASSERT_EQ(shell.wideNotifications.size(), 1u);
    EXPECT_EQ(std::wstring(shell.wideNotifications[0].second.szInfo), L"back");
}

struct BalloonCutCase {
    const char* name;
    std::wstring title, text;
    std::wstring shownTitle, shownText;
};

class BalloonCutTest : public ::testing::TestWithParam<BalloonCutCase> {};

TEST_P(BalloonCutTest, TextsFitTheRecordOnACharacterBoundary)
{
    const BalloonCutCase& c = GetParam();
    RecordingPlatform shell;
    NotifyIconDataA88 record{};
    TrayIcon icon(record, shell);
    icon.Add(kWindow, kIcon, L"tip");

    icon.ShowBalloon(c.title, c.text);

    ASSERT_EQ(shell.wideNotifications.size(), 1u);
    const NOTIFYICONDATAW& data = shell.wideNotifications[0].second;
    // Terminated within the fields.
    EXPECT_NE(std::wmemchr(data.szInfoTitle, L'\0', 64), nullptr);
    EXPECT_NE(std::wmemchr(data.szInfo, L'\0', 256), nullptr);
    EXPECT_EQ(std::wstring(data.szInfoTitle), c.shownTitle);
    EXPECT_EQ(std::wstring(data.szInfo), c.shownText);
}

const std::wstring kPair = L"\U0001F600";

INSTANTIATE_TEST_SUITE_P(
    Cases, BalloonCutTest,
    ::testing::Values(BalloonCutCase{"Fit", std::wstring(63, L't'), std::wstring(255, L'x'), std::wstring(63, L't'),
                                     std::wstring(255, L'x')},
                      BalloonCutCase{"OneTooMany", std::wstring(64, L't'), std::wstring(256, L'x'),
                                     std::wstring(63, L't'), std::wstring(255, L'x')},
                      BalloonCutCase{"FarTooLong", std::wstring(1000, L't'), std::wstring(100000, L'x'),
                                     std::wstring(63, L't'), std::wstring(255, L'x')},
                      BalloonCutCase{"PairKeptWhole", std::wstring(62, L't') + kPair, std::wstring(254, L'x') + kPair,
                                     std::wstring(62, L't'), std::wstring(254, L'x')},
                      BalloonCutCase{"PairFits", std::wstring(61, L't') + kPair, std::wstring(253, L'x') + kPair,
                                     std::wstring(61, L't') + kPair, std::wstring(253, L'x') + kPair},
                      BalloonCutCase{"Empty", L"", L"", L"", L""}),
    [](const auto& info) { return std::string(info.param.name); });

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
