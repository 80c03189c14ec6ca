// The hook runner with real processes: hook_child (beside this test) and a
// .cmd script, in a fresh folder per test that is also their working
// directory. What reaches the command, one command at a time, the time
// limit, commands that cannot start, a full queue, and that results come on
// the thread that pumps messages and never after the runner is gone.

#include "app/HookRunner.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "ui/AnsiText.h"

namespace {

using app::HookRunner;
using scheduler::HookResult;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

constexpr milliseconds kPatience{20000};
constexpr milliseconds kLongLimit{30000};

template <class Predicate>
bool PumpUntil(Predicate until, milliseconds limit)
{
    const Clock::time_point end = Clock::now() + limit;
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (until()) {
            return true;
        }
        if (Clock::now() >= end) {
            return false;
        }
        ::MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void PumpFor(milliseconds time)
{
    PumpUntil([] { return false; }, time);
}

std::wstring Folder(const std::wstring& path)
{
    return path.substr(0, path.rfind(L'\\') + 1);
}

std::wstring ThisFolder()
{
    wchar_t path[MAX_PATH * 2] = L"";
    ::GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    return Folder(path);
}

// The child's command line: hook_child with its arguments, as ANSI bytes.
std::string Child(const std::string& arguments)
{
    return "\"" + ui::AnsiFromWide(ThisFolder() + L"hook_child.exe") + "\" " + arguments;
}

// The results as they arrive, with the thread and the time of each.
struct Results {
    struct Arrival {
        HookResult result;
        std::string name;
        DWORD thread;
        Clock::time_point at;
    };
    std::vector<Arrival> arrivals;

    HookRunner::Ended For(std::string name)
    {
        return [this, name](const HookResult& result) {
            arrivals.push_back({result, name, ::GetCurrentThreadId(), Clock::now()});
        };
    }
    bool Count(std::size_t n) const { return arrivals.size() >= n; }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const Arrival& arrival : arrivals) {
            names.push_back(arrival.name);
        }
        return names;
    }
};

class HookRunnerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH] = L"";
        ::GetTempPathW(MAX_PATH, temp);
        static int made = 0;
        folder_ = std::wstring(temp) + L"velmora-hook-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                  std::to_wstring(++made) + L"\\";
        ASSERT_TRUE(::CreateDirectoryW(folder_.c_str(), nullptr));
    }

    void TearDown() override
    {
        WIN32_FIND_DATAW found;
        const HANDLE find = ::FindFirstFileW((folder_ + L"*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                ::DeleteFileW((folder_ + found.cFileName).c_str());
            } while (::FindNextFileW(find, &found));
            ::FindClose(find);
        }
        ::RemoveDirectoryW(folder_.c_str());
    }

    bool Exists(const std::wstring& name) const
    {
        return ::GetFileAttributesW((folder_ + name).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    std::string Read(const std::wstring& name) const
    {
        std::ifstream in((folder_ + name).c_str(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::vector<std::string> Lines(const std::wstring& name) const
    {
        std::vector<std::string> lines;
        std::istringstream in(Read(name));
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    // "start <ms>" and "end <ms>" of a sleeping child.
    std::pair<unsigned long long, unsigned long long> Span(const std::wstring& name) const
    {
        unsigned long long start = 0;
        unsigned long long end = 0;
        std::sscanf(Read(name).c_str(), "start %llu end %llu", &start, &end);
        return {start, end};
    }

    std::wstring folder_;
};

TEST_F(HookRunnerTest, TheVariablesAndTheFolderReachTheCommand)
{
    ASSERT_TRUE(::SetEnvironmentVariableW(L"VELMORA_ADDRESS", L"stale"));
    ASSERT_TRUE(::SetEnvironmentVariableW(L"HOOKTEST_KEPT", L"kept"));
    HookRunner runner(kLongLimit, folder_);
    Results results;
    const std::string entry = "ADSL \xc4\xe3\xba\xc3";  // ANSI bytes, whatever the code page makes of them
    runner.Run(Child("env env.txt 7"),
               {{"VELMORA_EVENT", "connected"},
                {"VELMORA_ENTRY", entry},
                {"velmora_address", "10.0.0.2"},
                {"VELMORA_PREVIOUS_ADDRESS", ""},
                {"VELMORA_FRESH", std::string("1\0junk", 6)},
                {"BAD=NAME", "x"},
                {"", "x"}},
               results.For("env"));
    EXPECT_TRUE(results.arrivals.empty()) << "ended inside Run";

    ASSERT_TRUE(PumpUntil([&] { return results.Count(1); }, kPatience));
    const HookResult& result = results.arrivals[0].result;
    EXPECT_TRUE(result.started);
    EXPECT_TRUE(result.ended);
    EXPECT_FALSE(result.killed);
    EXPECT_EQ(result.exitCode, 7u);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(results.arrivals[0].thread, ::GetCurrentThreadId());

    const std::vector<std::string> lines = Lines(L"env.txt");
    ASSERT_FALSE(lines.empty());
    std::wstring folder = folder_;
    folder.pop_back();
    EXPECT_EQ(lines[0], "cwd=" + ui::Utf8FromWide(folder));
    const auto has = [&](const std::string& line) { return std::count(lines.begin(), lines.end(), line); };
    EXPECT_EQ(has("VELMORA_EVENT=connected"), 1);
    EXPECT_EQ(has("VELMORA_ENTRY=" + ui::Utf8FromWide(ui::WideFromAnsi(entry))), 1);
    EXPECT_EQ(has("velmora_address=10.0.0.2"), 1);
    EXPECT_EQ(has("VELMORA_ADDRESS=stale"), 0) << "the program's own variable of that name stayed";
    EXPECT_EQ(has("VELMORA_PREVIOUS_ADDRESS="), 1);
    EXPECT_EQ(has("VELMORA_FRESH=1"), 1);
    EXPECT_EQ(has("HOOKTEST_KEPT=kept"), 1);
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(), [](const std::string& line) { return line.starts_with("BAD"); }), 0);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& line) { return line.starts_with("=x"); }),
              0);
    ::SetEnvironmentVariableW(L"VELMORA_ADDRESS", nullptr);
    ::SetEnvironmentVariableW(L"HOOKTEST_KEPT", nullptr);
}

TEST_F(HookRunnerTest, AScriptAppendsEachAddress)
{
    {
        std::ofstream script((folder_ + L"newip.cmd").c_str(), std::ios::binary);
        script << "@echo off\r\necho %VELMORA_EVENT% %VELMORA_ADDRESS%>>addresses.txt\r\n";
    }
    HookRunner runner(kLongLimit, folder_);
    Results results;
    const std::string script = "\"" + ui::AnsiFromWide(folder_) + "newip.cmd\"";
    runner.Run(script, {{"VELMORA_EVENT", "connected"}, {"VELMORA_ADDRESS", "10.0.0.2"}}, results.For("first"));
    runner.Run(script, {{"VELMORA_EVENT", "connected"}, {"VELMORA_ADDRESS", "10.0.0.3"}}, results.For("second"));

    ASSERT_TRUE(PumpUntil([&] { return results.Count(2); }, kPatience));
    EXPECT_EQ(results.Names(), (std::vector<std::string>{"first", "second"}));
    for (const auto& arrival : results.arrivals) {
        EXPECT_TRUE(arrival.result.ended) << arrival.name << ": " << arrival.result.error;
        EXPECT_EQ(arrival.result.exitCode, 0u) << arrival.name;
    }
    const std::vector<std::string> lines = Lines(L"addresses.txt");
    ASSERT_EQ(lines.size(), 2u) << Read(L"addresses.txt");
    EXPECT_EQ(lines[0].substr(0, lines[0].find_last_not_of("\r ") + 1), "connected 10.0.0.2");
    EXPECT_EQ(lines[1].substr(0, lines[1].find_last_not_of("\r ") + 1), "connected 10.0.0.3");
}

TEST_F(HookRunnerTest, AScriptBesideTheExeIsFoundByItsName)
{
    // As a user names one: onnewip=new-ip.cmd, the script beside the exe,
    // which is also the working directory.
    const std::wstring name = L"velmora-hook-" + std::to_wstring(::GetCurrentProcessId()) + L".cmd";
    const std::wstring beside = ThisFolder() + name;
    {
        std::ofstream script(beside.c_str(), std::ios::binary);
        script << "@echo off\r\necho %CD%>> \"%HOOKTEST_OUT%\"\r\n"
                  "echo %VELMORA_ADDRESS% fresh=%VELMORA_FRESH%>> \"%HOOKTEST_OUT%\"\r\n";
    }
    HookRunner runner(kLongLimit);
    Results results;
    runner.Run(ui::AnsiFromWide(name),
               {{"VELMORA_ADDRESS", "10.0.0.9"},
                {"VELMORA_FRESH", "1"},
                {"HOOKTEST_OUT", ui::AnsiFromWide(folder_ + L"addresses.txt")}},
               results.For("named"));
    const bool came = PumpUntil([&] { return results.Count(1); }, kPatience);
    ::DeleteFileW(beside.c_str());
    ASSERT_TRUE(came);
    EXPECT_TRUE(results.arrivals[0].result.ended) << results.arrivals[0].result.error;
    EXPECT_EQ(results.arrivals[0].result.exitCode, 0u);
    const std::vector<std::string> lines = Lines(L"addresses.txt");
    ASSERT_EQ(lines.size(), 2u) << Read(L"addresses.txt");
    std::wstring folder = ThisFolder();
    folder.pop_back();
    EXPECT_EQ(lines[0].substr(0, lines[0].find_last_not_of("\r ") + 1), ui::Utf8FromWide(folder));
    EXPECT_EQ(lines[1].substr(0, lines[1].find_last_not_of("\r ") + 1), "10.0.0.9 fresh=1");
}

TEST_F(HookRunnerTest, OneCommandRunsAtATimeInTheOrderGiven)
{
    HookRunner runner(kLongLimit, folder_);
    Results results;
    for (const char* name : {"a", "b", "c"}) {
        runner.Run(Child("sleep 500 " + std::string(name) + ".txt"), {}, results.For(name));
    }
    ASSERT_TRUE(PumpUntil([&] { return results.Count(3); }, kPatience));
    EXPECT_EQ(results.Names(), (std::vector<std::string>{"a", "b", "c"}));
    const auto a = Span(L"a.txt");
    const auto b = Span(L"b.txt");
    const auto c = Span(L"c.txt");
    for (const auto& span : {a, b, c}) {
        EXPECT_GE(span.second, span.first + 450) << "did not sleep";
    }
    EXPECT_LE(a.second, b.first) << "b started before a ended";
    EXPECT_LE(b.second, c.first) << "c started before b ended";
}

TEST_F(HookRunnerTest, ACommandPastTheLimitIsEndedWithWhatItStarted)
{
    HookRunner runner(milliseconds(1000), folder_);
    Results results;
    const Clock::time_point start = Clock::now();
    runner.Run(Child("spawn 4000 spawn.txt"), {}, results.For("spawn"));
    runner.Run(Child("touch after.txt"), {}, results.For("after"));

    ASSERT_TRUE(PumpUntil([&] { return results.Count(1); }, kPatience));
    const auto& killed = results.arrivals[0];
    EXPECT_EQ(killed.name, "spawn");
    EXPECT_TRUE(killed.result.started);
    EXPECT_TRUE(killed.result.killed);
    EXPECT_FALSE(killed.result.ended);
    EXPECT_EQ(killed.result.exitCode, app::kKilledHookExitCode);
    EXPECT_GE(killed.at - start, milliseconds(1000));
    EXPECT_LT(killed.at - start, milliseconds(3500)) << "ended late";

    // The process is gone, and so is the one it started, which would
    // otherwise write its file at 4 s.
    const DWORD id = std::stoul(Read(L"spawn.txt"));
    const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, id);
    if (process) {
        EXPECT_EQ(::WaitForSingleObject(process, 0), WAIT_OBJECT_0) << "still running";
        ::CloseHandle(process);
    }
    ASSERT_TRUE(PumpUntil([&] { return results.Count(2); }, kPatience));
    EXPECT_TRUE(results.arrivals[1].result.ended) << "the next one did not run";
    EXPECT_TRUE(Exists(L"after.txt"));
    PumpFor(std::chrono::duration_cast<milliseconds>(start + milliseconds(5000) - Clock::now()));
    EXPECT_FALSE(Exists(L"spawn.txt.late")) << "the command's own child was left running";
}

struct StartFailure {
    const char* name;
    std::string commandLine;
};

class HookRunnerStartTest : public HookRunnerTest, public ::testing::WithParamInterface<StartFailure> {};

TEST_P(HookRunnerStartTest, ACommandThatCannotStartEndsWithTheSystemsText)
{
    HookRunner runner(kLongLimit, folder_);
    Results results;
    runner.Run(GetParam().commandLine, {{"VELMORA_EVENT", "connected"}}, results.For("failed"));
    runner.Run(Child("touch after.txt"), {}, results.For("after"));
    EXPECT_TRUE(results.arrivals.empty()) << "ended inside Run";

    ASSERT_TRUE(PumpUntil([&] { return results.Count(2); }, kPatience));
    const auto& failed = results.arrivals[0];
    EXPECT_EQ(failed.name, "failed");
    EXPECT_FALSE(failed.result.started);
    EXPECT_FALSE(failed.result.ended);
    EXPECT_FALSE(failed.result.killed);
    EXPECT_NE(failed.result.error, "");
    EXPECT_EQ(failed.thread, ::GetCurrentThreadId());
    EXPECT_TRUE(results.arrivals[1].result.ended) << "the next one did not run";
}

INSTANTIATE_TEST_SUITE_P(Cases, HookRunnerStartTest,
                         ::testing::Values(StartFailure{"missing", "\"C:\\no\\such\\program.exe\" --now"},
                                           StartFailure{"empty", ""}, StartFailure{"blank", "   "},
                                           StartFailure{"nul", std::string("\0hook_child.exe", 15)}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HookRunnerTest, AFullQueueDropsTheOldestWaiting)
{
    HookRunner runner(kLongLimit, folder_, 2);
    Results results;
    runner.Run(Child("sleep 800 first.txt"), {}, results.For("first"));
    ASSERT_TRUE(PumpUntil([&] { return Exists(L"first.txt"); }, kPatience));
    for (const char* name : {"w1", "w2", "w3"}) {
        runner.Run(Child("touch " + std::string(name) + ".txt"), {}, results.For(name));
    }
    EXPECT_TRUE(results.arrivals.empty()) << "ended inside Run";

    ASSERT_TRUE(PumpUntil([&] { return results.Count(4); }, kPatience));
    EXPECT_EQ(results.Names(), (std::vector<std::string>{"w1", "first", "w2", "w3"}));
    EXPECT_FALSE(results.arrivals[0].result.started);
    EXPECT_EQ(results.arrivals[0].result.error, app::kHookDroppedError);
    EXPECT_FALSE(Exists(L"w1.txt"));
    EXPECT_TRUE(Exists(L"w2.txt"));
    EXPECT_TRUE(Exists(L"w3.txt"));
}

TEST_F(HookRunnerTest, GoingLeavesTheRunningOneRunningAndDropsTheRest)
{
    Results results;
    auto runner = std::make_unique<HookRunner>(kLongLimit, folder_);
    runner->Run(Child("sleep 1500 running.txt"), {}, results.For("running"));
    runner->Run(Child("touch queued.txt"), {}, results.For("queued"));
    ASSERT_TRUE(PumpUntil([&] { return Exists(L"running.txt"); }, kPatience));

    const Clock::time_point start = Clock::now();
    runner.reset();
    EXPECT_LT(Clock::now() - start, milliseconds(500)) << "going waited";

    ASSERT_TRUE(PumpUntil([&] { return Span(L"running.txt").second != 0; }, kPatience))
        << "the running command was ended";
    PumpFor(milliseconds(300));
    EXPECT_TRUE(results.arrivals.empty()) << "a result came after the runner went";
    EXPECT_FALSE(Exists(L"queued.txt"));
}

TEST_F(HookRunnerTest, AnEndedThatEndsTheRunnerGetsNoSuccessor)
{
    auto runner = std::make_unique<HookRunner>(kLongLimit, folder_);
    int calls = 0;
    const auto end = [&](const HookResult&) {
        ++calls;
        runner.reset();
    };
    runner->Run("", {}, end);
    runner->Run("", {}, end);
    PumpUntil([&] { return calls > 0; }, kPatience);
    PumpFor(milliseconds(300));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(runner, nullptr);
}

}  // namespace
