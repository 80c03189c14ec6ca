// velmora-ctl's status and redial against a loopback server scripted per
// test, with a dialup.ini beside the exe that --exe names: the request
// line, the Authorization header, the printed body and the exit code; and
// how the settings file's API keys are read.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/win/shell/LoopbackHttpServer.h"
#include "tools/ctl/ApiClient.h"
#include "ui/AnsiText.h"

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// ---- the settings file's keys ----

struct TargetCase {
    const char* name;
    std::string file;
    ctl::ApiTarget expected;
};

class ApiTargetTest : public ::testing::TestWithParam<TargetCase> {};

TEST_P(ApiTargetTest, TheSettingsFileNamesTheTarget)
{
    const ctl::ApiTarget target = ctl::ApiTargetFromSettings(GetParam().file);
    EXPECT_EQ(target.enabled, GetParam().expected.enabled);
    EXPECT_EQ(target.host, GetParam().expected.host);
    EXPECT_EQ(target.port, GetParam().expected.port);
    EXPECT_EQ(target.token, GetParam().expected.token);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ApiTargetTest,
    ::testing::Values(
        TargetCase{"noFile", "", {false, "127.0.0.1", 17080, ""}},
        TargetCase{"defaults", "dialtime=60\r\napi=1\r\n", {true, "127.0.0.1", 17080, ""}},
        TargetCase{"apiOff", "api=0\r\napiport=9000\r\n", {false, "127.0.0.1", 9000, ""}},
        TargetCase{"keysInAnyCase",
                   "API= 1 \r\nApiHost=127.0.0.2\r\nAPIPORT=9000\r\nApiToken=s3cret\r\n",
                   {true, "127.0.0.2", 9000, "s3cret"}},
        TargetCase{"firstLineCounts",
                   "api=1\napiport=9000\napiport=9001\napitoken=a\napitoken=b\n",
                   {true, "127.0.0.1", 9000, "a"}},
        TargetCase{"invalidValuesAreNotSet",
                   "api=1\r\napihost=localhost\r\napiport=70000\r\napitoken=has blank\r\n",
                   {true, "127.0.0.1", 17080, ""}},
        TargetCase{
            "everyAddressMeansLoopback", "api=1\r\napihost=0.0.0.0\r\napitoken=t\r\n", {true, "127.0.0.1", 17080, "t"}},
        TargetCase{"everyIpv6AddressMeansLoopback", "api=1\r\napihost=::\r\napitoken=t\r\n", {true, "::1", 17080, "t"}},
        TargetCase{"ipv6", "api=1\r\napihost=::1\r\n", {true, "::1", 17080, ""}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- velmora-ctl in its own process ----

std::wstring WindowsPath(std::wstring path)
{
    if (!path.empty() && path[0] == L'/') {
        path = L"Z:" + path;
    }
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::string Ok(const std::string& body, int status = 200, const char* reason = "OK")
{
    return "HTTP/1.1 " + std::to_string(status) + " " + reason +
           "\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

struct CtlRun {
    DWORD exitCode = 0;
    std::string out;
    std::string err;
    milliseconds took{0};
};

class CtlApiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH] = L"";
        ::GetTempPathW(MAX_PATH, temp);
        static int made = 0;
        folder_ = std::wstring(temp) + L"velmora-ctl-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                  std::to_wstring(++made) + L"\\";
        ASSERT_TRUE(::CreateDirectoryW(folder_.c_str(), nullptr));
    }

    void TearDown() override
    {
        for (const wchar_t* name : {L"dialup.ini", L"out.txt", L"err.txt"}) {
            ::DeleteFileW((folder_ + name).c_str());
        }
        ::RemoveDirectoryW(folder_.c_str());
    }

    void WriteSettings(const std::string& bytes) const
    {
        std::ofstream file((folder_ + L"dialup.ini").c_str(), std::ios::binary);
        file << bytes;
    }

    std::string Read(const wchar_t* name) const
    {
        std::ifstream in((folder_ + name).c_str(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Starts velmora-ctl aimed at a Velmora.exe in the test's folder (which
    // need not exist: only its dialup.ini is read), its output in files.
    PROCESS_INFORMATION Start(const std::wstring& arguments) const
    {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        const HANDLE out = ::CreateFileW((folder_ + L"out.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        const HANDLE err = ::CreateFileW((folder_ + L"err.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = nullptr;
        startup.hStdOutput = out;
        startup.hStdError = err;
        std::wstring line = L"\"" + WindowsPath(ui::WideFromAnsi(VELMORA_CTL_EXE)) + L"\" --exe \"" + folder_ +
                            L"Velmora.exe\" " + arguments;
        PROCESS_INFORMATION started{};
        const BOOL made = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                           nullptr, &startup, &started);
        ::CloseHandle(out);
        ::CloseHandle(err);
        EXPECT_TRUE(made) << "cannot start velmora-ctl";
        if (made) {
            ::CloseHandle(started.hThread);
        }
        return started;
    }

    CtlRun Run(const std::wstring& arguments) const
    {
        CtlRun run;
        const Clock::time_point start = Clock::now();
        const PROCESS_INFORMATION started = Start(arguments);
        if (!started.hProcess) {
            return run;
        }
        EXPECT_EQ(::WaitForSingleObject(started.hProcess, 60000), WAIT_OBJECT_0);
        run.took = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
        ::GetExitCodeProcess(started.hProcess, &run.exitCode);
        ::CloseHandle(started.hProcess);
        run.out = Read(L"out.txt");
        run.err = Read(L"err.txt");
        return run;
    }

    std::string Settings(const LoopbackHttpServer& server, const std::string& more = {}) const
    {
        return "dialuser=someone\r\napi=1\r\napiport=" + std::to_string(server.Port()) + "\r\n" + more;
    }

    std::wstring folder_;
};

TEST_F(CtlApiTest, StatusCarriesTheTokenAndPrintsTheBody)
{
    const std::string body = R"({"state":"counting","enabled":true,"entry":"ADSL"})";
    LoopbackHttpServer server(Ok(body));
    WriteSettings(Settings(server, "apitoken=s3cret\r\n"));

    const CtlRun run = Run(L"status");
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.out, body + "\n");
    EXPECT_EQ(run.err, "");
    const std::vector<std::string> heads = server.RequestHeads();
    ASSERT_EQ(heads.size(), 1u);
    EXPECT_EQ(heads[0].rfind("GET /status HTTP/1.1\r\n", 0), 0u) << heads[0];
    EXPECT_NE(heads[0].find("\r\nAuthorization: Bearer s3cret\r\n"), std::string::npos) << heads[0];
    EXPECT_NE(heads[0].find("\r\nHost: " + server.Host() + "\r\n"), std::string::npos) << heads[0];
}

struct AnswerCase {
    const char* name;
    std::wstring arguments;
    std::string reply;
    std::string requestLine;
    DWORD exitCode;
    std::string printed;
};

class CtlAnswerTest : public CtlApiTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(CtlAnswerTest, TheAnswersStatusIsTheExitCode)
{
    const AnswerCase& c = GetParam();
    LoopbackHttpServer server(c.reply);
    WriteSettings(Settings(server));

    const CtlRun run = Run(c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_EQ(run.out, c.printed);
    const std::vector<std::string> heads = server.RequestHeads();
    ASSERT_EQ(heads.size(), 1u);
    EXPECT_EQ(heads[0].substr(0, heads[0].find("\r\n")), c.requestLine);
    EXPECT_EQ(heads[0].find("Authorization:"), std::string::npos) << "a token that is not set was sent";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CtlAnswerTest,
    ::testing::Values(AnswerCase{"redial", L"redial", Ok(R"({"accepted":true})", 202, "Accepted"),
                                 "POST /redial HTTP/1.1", 0, "{\"accepted\":true}\n"},
                      AnswerCase{"redialWaits", L"redial --wait 30", Ok(R"({"address":"10.0.0.2","fresh":true})"),
                                 "POST /redial?wait=30 HTTP/1.1", 0, "{\"address\":\"10.0.0.2\",\"fresh\":true}\n"},
                      AnswerCase{"redialRefused", L"redial",
                                 Ok(R"({"error":"re-dialling is not enabled"})", 409, "Conflict"),
                                 "POST /redial HTTP/1.1", 1, "{\"error\":\"re-dialling is not enabled\"}\n"},
                      AnswerCase{"unauthorized", L"status", Ok(R"({"error":"unauthorized"})", 401, "Unauthorized"),
                                 "GET /status HTTP/1.1", 1, "{\"error\":\"unauthorized\"}\n"},
                      AnswerCase{"bodyWithItsOwnLineEnd", L"status", Ok("{}\n"), "GET /status HTTP/1.1", 0, "{}\n"},
                      AnswerCase{"emptyBody", L"redial", Ok("", 204, "No Content"), "POST /redial HTTP/1.1", 0, "\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct NoRequestCase {
    const char* name;
    std::string settings;  // "<port>" stands for the server's port
    std::wstring arguments;
    DWORD exitCode;
};

class CtlNoRequestTest : public CtlApiTest, public ::testing::WithParamInterface<NoRequestCase> {};

TEST_P(CtlNoRequestTest, NothingIsSent)
{
    const NoRequestCase& c = GetParam();
    LoopbackHttpServer server(Ok("{}"));
    std::string settings = c.settings;
    if (const std::size_t at = settings.find("<port>"); at != std::string::npos) {
        settings.replace(at, 6, std::to_string(server.Port()));
    }
    if (!settings.empty()) {
        WriteSettings(settings);
    }
    const CtlRun run = Run(c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err, "");
    EXPECT_TRUE(server.Requests().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CtlNoRequestTest,
    ::testing::Values(NoRequestCase{"noSettingsFile", "", L"status", 2},
                      NoRequestCase{"apiOff", "api=0\r\napiport=<port>\r\n", L"status", 2},
                      NoRequestCase{"apiNotOne", "api=yes\r\napiport=<port>\r\n", L"redial", 2},
                      NoRequestCase{"waitNotANumber", "api=1\r\napiport=<port>\r\n", L"redial --wait soon", 1},
                      NoRequestCase{"waitZero", "api=1\r\napiport=<port>\r\n", L"redial --wait 0", 1},
                      NoRequestCase{"statusTakesNoArgument", "api=1\r\napiport=<port>\r\n", L"status now", 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CtlApiTest, AClosedPortIsNoAnswer)
{
    WriteSettings("api=1\r\napiport=" + std::to_string(LoopbackHttpServer::RefusingPort()) + "\r\n");
    const CtlRun run = Run(L"status");
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("no answer"), std::string::npos) << run.err;
}

TEST_F(CtlApiTest, AServerThatNeverAnswersEndsAtTheTimeout)
{
    LoopbackHttpServer server{LoopbackHttpServer::NeverAnswer{}};
    WriteSettings(Settings(server));
    const CtlRun run = Run(L"--timeout 1 status");
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err, "");
    EXPECT_GE(run.took, milliseconds(900));
    EXPECT_LT(run.took, milliseconds(8000));
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(CtlApiTest, ARedialThatWaitsOutlastsTheTimeout)
{
    // The re-dial answers only once its wait is over: the request waits at
    // least that long and 10 s more, whatever --timeout says.
    LoopbackHttpServer server{LoopbackHttpServer::NeverAnswer{}};
    WriteSettings(Settings(server));
    const PROCESS_INFORMATION started = Start(L"--timeout 1 redial --wait 2");
    ASSERT_NE(started.hProcess, nullptr);
    EXPECT_EQ(::WaitForSingleObject(started.hProcess, 5000), WAIT_TIMEOUT) << "gave up before the wait was over";
    ::TerminateProcess(started.hProcess, 0);
    ::WaitForSingleObject(started.hProcess, 5000);
    ::CloseHandle(started.hProcess);
    const std::vector<std::string> lines = server.Requests();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "POST /redial?wait=2 HTTP/1.1");
}

}  // namespace
