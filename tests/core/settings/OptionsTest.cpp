#include "settings/Options.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/SettingsFile.h"
#include "tests/core/settings/MemoryFileStore.h"
#include "tests/core/settings/PlainSettingsView.h"

namespace {

using settings::OptionInForce;
using settings::OptionKey;

TEST(OptionInForce, KeepsValidValuesAndTurnsTheRestOff)
{
    const struct {
        OptionKey key;
        std::string text;
        std::string inForce;
    } cases[] = {
        {OptionKey::NewIp, "3", "3"},
        {OptionKey::NewIp, " 3 ", "3"},
        {OptionKey::NewIp, "+4", "4"},
        {OptionKey::NewIp, "0", ""},
        {OptionKey::NewIp, "", ""},
        {OptionKey::NewIp, "-2", ""},
        {OptionKey::NewIp, "21", "20"},
        {OptionKey::NewIp, "2147483647", "20"},
        {OptionKey::NewIp, "99999999999", ""},
        {OptionKey::NewIp, "three", ""},
        {OptionKey::NewIp, "3\t", ""},
        {OptionKey::NewIp, std::string("3\0", 2), ""},
        {OptionKey::NewIpHours, "24", "24"},
        {OptionKey::NewIpHours, "100000", "720"},
        {OptionKey::AuthStop, "3", "3"},
        {OptionKey::AuthStop, "50", "20"},
        {OptionKey::IpCheckUrl, "http://ip.example/", "http://ip.example/"},
        {OptionKey::IpCheckUrl, "HTTPS://ip.example:8443/raw?x=1", "HTTPS://ip.example:8443/raw?x=1"},
        {OptionKey::IpCheckUrl, "ftp://ip.example/", ""},
        {OptionKey::IpCheckUrl, "ip.example", ""},
        {OptionKey::IpCheckUrl, "http://", ""},
        {OptionKey::IpCheckUrl, "http:///path", ""},
        {OptionKey::IpCheckUrl, "http://ip.example/a b", ""},
        {OptionKey::IpCheckUrl, "http://ip.example/\r\nHost: x", ""},
        {OptionKey::IpCheckUrl, "http://" + std::string(2100, 'a'), ""},
        {OptionKey::Log, "1", "1"},
        {OptionKey::Log, " 1 ", "1"},
        {OptionKey::Log, "true", ""},
        {OptionKey::Log, "01", ""},
        {OptionKey::Balloon, "1\x01", ""},
        {OptionKey::RedialOnDrop, "1", "1"},
        {OptionKey::Api, "1", "1"},
        {OptionKey::ApiHost, "127.0.0.1", "127.0.0.1"},
        {OptionKey::ApiHost, "0.0.0.0", "0.0.0.0"},
        {OptionKey::ApiHost, "::1", "::1"},
        {OptionKey::ApiHost, "fe80::1:2", "fe80::1:2"},
        {OptionKey::ApiHost, "localhost", ""},
        {OptionKey::ApiHost, "256.0.0.1", ""},
        {OptionKey::ApiHost, "10.0.0", ""},
        {OptionKey::ApiHost, "010.0.0.1", ""},
        {OptionKey::ApiHost, " 127.0.0.1", ""},
        {OptionKey::ApiPort, "8080", "8080"},
        {OptionKey::ApiPort, "0", ""},
        {OptionKey::ApiPort, "65536", ""},
        {OptionKey::ApiPort, "-1", ""},
        {OptionKey::ApiToken, "s3cr3t-T0ken_~", "s3cr3t-T0ken_~"},
        {OptionKey::ApiToken, "two words", ""},
        {OptionKey::ApiToken, std::string(257, 'a'), ""},
        {OptionKey::ApiToken, "Ã©tÃ©", ""},
        {OptionKey::OnNewIp, "C:\\hooks\\new ip.cmd", "C:\\hooks\\new ip.cmd"},
        {OptionKey::OnNewIp, "   ", ""},
        {OptionKey::OnNewIp, "a.cmd\r\ndel x", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OptionInForce(c.key, c.text), c.inForce) << settings::OptionName(c.key) << "=" << c.text;
    }
}

TEST(ReadOptions, GivesTheValuesInForce)
{
    const settings::RedialOptions options =
        settings::ReadOptions({"5", "48", "https://ip.example/", "x", "1", "", "1"});
    EXPECT_EQ(options.newIp, 5);
    EXPECT_EQ(options.newIpHours, 48);
    EXPECT_EQ(options.ipCheckUrl, "https://ip.example/");
    EXPECT_EQ(options.authStop, 0);
    EXPECT_TRUE(options.redialOnDrop);
    EXPECT_FALSE(options.log);
    EXPECT_TRUE(options.balloon);
    EXPECT_EQ(settings::ReadOptions({}), settings::RedialOptions{});
    EXPECT_EQ(settings::ReadOptions({}).apiHost, "127.0.0.1");
    EXPECT_EQ(settings::ReadOptions({}).apiPort, settings::kDefaultApiPort);
    const settings::RedialOptions api =
        settings::ReadOptions({"", "", "", "", "", "", "", "1", "0.0.0.0", "9000", "t", "x.cmd"});
    EXPECT_TRUE(api.api);
    EXPECT_EQ(api.apiHost, "0.0.0.0");
    EXPECT_EQ(api.apiPort, 9000);
    EXPECT_EQ(api.apiToken, "t");
    EXPECT_EQ(api.onNewIp, "x.cmd");
}

class OptionsFileTest : public testing::Test {
protected:
    OptionsFileTest()
    {
        view.onEnabledClick = [this] { settings::SaveSettings(view, store); };
    }
    void WriteFile(const std::string& bytes) { store.files[store.settingsPath] = bytes; }

    settings_test::MemoryFileStore store;
    settings_test::PlainSettingsView view{3};
};

TEST_F(OptionsFileTest, AFileOfTheEarlierVersionIsWrittenBackByteForByte)
{
    const std::string file =
        "dialertext=1\r\ndialuser=me\r\ndialpwd=pw\r\ndialtime=180\r\ndialwainttime=5\r\nstart=1\r\n";
    WriteFile(file);
    settings::LoadSettings(view, store);
    settings::SaveSettings(view, store);
    EXPECT_EQ(store.SettingsBytes(), file);
}

TEST_F(OptionsFileTest, OptionsFollowTheSixInTheirOrderOnlyWhenOn)
{
    view.values = settings_test::SettingsValues{0, "me", "", "180", "5", true};
    view.values.options = {"3", "0", "http://ip.example/", "", "1", "1", " 1"};
    settings::SaveSettings(view, store);
    EXPECT_EQ(store.SettingsBytes(), "dialertext=0\r\ndialuser=me\r\ndialtime=180\r\ndialwainttime=5\r\nstart=1\r\n"
                                     "newip=3\r\nipcheckurl=http://ip.example/\r\nredialondrop=1\r\nlog=1\r\n"
                                     "balloon=1\r\n");
}

TEST_F(OptionsFileTest, LoadingShowsWhatIsInForceAndKeepsItThroughTheSaveThatTheEnableBoxMakes)
{
    // The Enable box ticks while loading and saves at once: the options
    // must be in their widgets by then.
    WriteFile("start=1\r\nNEWIP=2\r\nnewip=9\r\nauthstop=-1\r\nlog=1\r\nipcheckurl=file:///c:/x\r\nballoon=yes\r\n");
    settings::LoadSettings(view, store);
    EXPECT_EQ(view.values.options, (std::array<std::string, settings::kOptionCount>{"2", "", "", "", "", "1", ""}));
    EXPECT_EQ(store.SettingsBytes(),
              "dialertext=-1\r\ndialtime=0\r\ndialwainttime=5\r\nstart=1\r\nnewip=2\r\nlog=1\r\n");
    // The API's keys follow the first options, in their order.
    view.values.options = {"", "", "", "", "", "", "", "1", "::1", "8080", "tok", "hook.cmd"};
    settings::SaveSettings(view, store);
    EXPECT_EQ(store.SettingsBytes(), "dialertext=-1\r\ndialtime=0\r\ndialwainttime=5\r\nstart=1\r\napi=1\r\n"
                                     "apihost=::1\r\napiport=8080\r\napitoken=tok\r\nonnewip=hook.cmd\r\n");
}

}  // namespace
