// The window over the real entry list, settings file and scheduler, with a
// simulated remote-access service and a settings file in a temporary
// directory.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "SimulatedCore.h"
#include "TempDirectory.h"
#include "WindowDoubles.h"
#include "ui/DialUpUnit.h"
#include "ui/WindowText.h"

namespace {

std::optional<std::string> ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

class CoreWindowTest : public ::testing::Test {
protected:
    CoreWindowTest() : core(directory.Path()) {}
    ~CoreWindowTest() override { EXPECT_TRUE(platform.reports.empty()); }

    std::unique_ptr<ui::TDialUpFrm> MakeWindow()
    {
        return std::make_unique<ui::TDialUpFrm>(core.Actions(), application, platform);
    }

    RecordingPlatform platform;
    RecordingApplication application;
    TempDirectory directory;
    SimulatedCore core;
    const std::string gbkName = "\xB2\xE2\xCA\xD4\xC1\xAC\xBD\xD3";  // 测试连接 in GBK
};

TEST_F(CoreWindowTest, WithoutASettingsFileNothingIsLoadedOrWritten)
{
    core.AddEntry("ADSL");
    auto window = MakeWindow();
    EXPECT_EQ(window->EntryItemCount(), 1u);
    EXPECT_EQ(window->EntryIndex(), -1);
    EXPECT_EQ(window->PeriodText(), "0");
    EXPECT_EQ(window->PauseText(), "5");
    EXPECT_FALSE(window->EnabledTicked());
    EXPECT_FALSE(window->Timer1Running());
    EXPECT_EQ(window->Label1Text(), L"");
    EXPECT_FALSE(ReadFile(core.SettingsPath()).has_value());

    window.reset();  // the end of the run writes the settings
    EXPECT_EQ(ReadFile(core.SettingsPath()), std::optional<std::string>("dialertext=-1\r\ndialtime=0\r\n"
                                                                        "dialwainttime=5\r\nstart=0\r\n"));
}

TEST_F(CoreWindowTest, StoredSettingsFillTheWidgetsAndStartOneStartsTheTimerAndRewritesTheFile)
{
    core.AddEntry("ADSL");
    core.AddEntry(gbkName);
    WriteFile(core.SettingsPath(), "START=1\r\nnoise=x\r\ndialertext=1\r\ndialuser=alice\r\ndialpwd=s=cret\r\n"
                                   "dialtime=180\r\ndialwainttime=abc\r\n");
    auto window = MakeWindow();
    EXPECT_EQ(window->EntryIndex(), 1);
    EXPECT_EQ(window->EntryText(), gbkName);
    EXPECT_EQ(window->AccountText(), "alice");
    EXPECT_EQ(window->PasswordText(), "s=cret");
    EXPECT_EQ(window->PeriodText(), "180");
    EXPECT_EQ(window->PeriodValue(), 180);
    EXPECT_EQ(window->PauseText(), "abc");  // placed as stored, reads as 0
    EXPECT_EQ(window->PauseValue(), 0);
    EXPECT_TRUE(window->EnabledTicked());
    EXPECT_TRUE(window->Timer1Running());
    EXPECT_EQ(window->Label1Text(), L"0");
    EXPECT_FALSE(window->Shown());
    // Written again by the Enable box's handler, before any showing.
    EXPECT_EQ(ReadFile(core.SettingsPath()),
              std::optional<std::string>("dialertext=1\r\ndialuser=alice\r\ndialpwd=s=cret\r\ndialtime=180\r\n"
                                         "dialwainttime=abc\r\nstart=1\r\n"));
}

TEST_F(CoreWindowTest, StoredOptionsFillTheirWidgetsAndAreWrittenBackAfterTheSettings)
{
    core.AddEntry("ADSL");
    // \x81 is no character in the western code page: the address's bytes
    // still come back unchanged.
    WriteFile(core.SettingsPath(), "authstop=99\r\nballoon= 1\r\ndialertext=0\r\nlog=yes\r\nnewip=3\r\n"
                                   "ipcheckurl=http://ip.example/\x81\xB2\r\nstart=1\r\n");
    auto window = MakeWindow();
    EXPECT_EQ(ui::WindowText(window->edtNewIp.Edit()), L"3");
    EXPECT_EQ(ui::WindowText(window->edtAuthStop.Edit()), L"20");  // held at the cap
    EXPECT_EQ(ui::WindowText(window->edtNewIpHours.Edit()), L"0");
    EXPECT_EQ(SendMessageW(window->chkBalloon, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(window->chkLog, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(window->Options().ipCheckUrl, "http://ip.example/\x81\xB2");
    EXPECT_EQ(ReadFile(core.SettingsPath()),
              std::optional<std::string>("dialertext=0\r\ndialtime=0\r\ndialwainttime=5\r\nstart=1\r\nnewip=3\r\n"
                                         "ipcheckurl=http://ip.example/\x81\xB2\r\nauthstop=20\r\nballoon=1\r\n"));

    // Options turned off are not written at all.
    window->SetOptionText(settings::OptionKey::NewIp, "0");
    SetWindowTextW(window->edtIpCheckUrl, L"");
    SendMessageW(window->chkBalloon, BM_CLICK, 0, 0);
    window.reset();
    EXPECT_EQ(
        ReadFile(core.SettingsPath()),
        std::optional<std::string>("dialertext=0\r\ndialtime=0\r\ndialwainttime=5\r\nstart=1\r\nauthstop=20\r\n"));
}

TEST_F(CoreWindowTest, UntickingTheBoxStopsTheTimerAndSavesTheState)
{
    core.AddEntry("ADSL");
    WriteFile(core.SettingsPath(), "dialertext=0\r\nstart=1\r\n");
    auto window = MakeWindow();
    ASSERT_TRUE(window->Timer1Running());
    SendMessageW(window->EnableBox(), BM_CLICK, 0, 0);
    EXPECT_FALSE(window->Timer1Running());
    EXPECT_EQ(window->Label1Text(), L"0");
    const auto saved = ReadFile(core.SettingsPath());
    ASSERT_TRUE(saved.has_value());
    EXPECT_NE(saved->find("start=0\r\n"), std::string::npos);
}

TEST_F(CoreWindowTest, ATickCountsAndShowsTheCount)
{
    core.AddEntry("ADSL");
    auto window = MakeWindow();
    SendMessageW(window->EnableBox(), BM_CLICK, 0, 0);
    ASSERT_TRUE(window->Timer1Running());
    SendMessageW(window->Handle(), WM_TIMER, window->Timer1.Id(), 0);
    SendMessageW(window->Handle(), WM_TIMER, window->Timer1.Id(), 0);
    EXPECT_EQ(window->Label1Text(), L"2");
    EXPECT_EQ(window->TickCount(), 2);
    EXPECT_TRUE(window->Timer1Running());
}

TEST_F(CoreWindowTest, APasswordTheCodePageCannotHoldMakesNoDialAndIsSavedWithoutALookAlike)
{
    if (GetACP() != 1252)
        GTEST_SKIP() << "the characters below assume the western code page";
    const struct {
        const wchar_t* typed;
        std::vector<std::string> dialled;
        const char* saved;
    } cases[] = {
        {L"s\x0113"
         L"cret",
         {},
         "dialpwd=s?cret\r\n"},                   // ē: "e" by best fit
        {L"\x5BC6\x7801", {}, "dialpwd=??\r\n"},  // 密码
        {L"s\x00E9"
         L"cret",
         {"s\xE9"
          "cret"},
         "dialpwd=s\xE9"
         "cret\r\n"},
    };
    for (const auto& c : cases) {
        SimulatedCore fresh(directory.Path());
        fresh.AddEntry("ADSL");
        WriteFile(fresh.SettingsPath(), "dialertext=0\r\ndialpwd=secret\r\ndialtime=3\r\ndialwainttime=0\r\n");
        auto window = std::make_unique<ui::TDialUpFrm>(fresh.Actions(), application, platform);
        SetWindowTextW(window->PasswordBox(), c.typed);
        SendMessageW(window->EnableBox(), BM_CLICK, 0, 0);
        // Four ticks pass the period of 3 (nothing to hang up: a re-dial is
        // owed); the fifth waits the pause of 0 and dials.
        for (int tick = 0; tick < 5; ++tick)
            SendMessageW(window->Handle(), WM_TIMER, window->Timer1.Id(), 0);
        EXPECT_EQ(fresh.DialledPasswords(), c.dialled);
        window.reset();
        const auto saved = ReadFile(fresh.SettingsPath());
        ASSERT_TRUE(saved.has_value());
        EXPECT_NE(saved->find(c.saved), std::string::npos) << ::testing::PrintToString(*saved);
    }
}

}  // namespace
