// The address check against a loopback server scripted per test: what each
// reply becomes, the overall limit, refused and malformed addresses, and
// that answers arrive on the thread that pumps messages, never after the
// check object is gone.

#include "app/WinHttpAddressCheck.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "tests/win/shell/LoopbackHttpServer.h"

namespace {

using app::WinHttpAddressCheck;
using scheduler::AddressCheckAnswer;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// Runs this thread's messages until `until` holds or the time is up; false
// when the time ran out first.
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
        const Clock::time_point now = Clock::now();
        if (now >= end) {
            return false;
        }
        // Short slices: `until` may also wait for other threads.
        const auto left = std::chrono::duration_cast<milliseconds>(end - now).count();
        ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(std::min<long long>(left + 1, 10)), QS_ALLINPUT,
                                      MWMO_INPUTAVAILABLE);
    }
}

void PumpFor(milliseconds time)
{
    PumpUntil([] { return false; }, time);
}

std::string Ok(const std::string& body)
{
    return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

std::string UrlOf(const LoopbackHttpServer& server, const std::string& path = "/")
{
    return "http://" + server.Host() + path;
}

// The answers as they arrive, with the thread and the time of each.
struct Answers {
    struct Arrival {
        AddressCheckAnswer answer;
        DWORD thread;
        milliseconds after;  // since Start
    };
    std::vector<Arrival> arrivals;
    std::vector<std::string> names;  // as given to For

    WinHttpAddressCheck::Done For(std::string name = {})
    {
        const Clock::time_point started = Clock::now();
        return [this, started, name](const AddressCheckAnswer& answer) {
            arrivals.push_back(
                {answer, ::GetCurrentThreadId(), std::chrono::duration_cast<milliseconds>(Clock::now() - started)});
            names.push_back(name);
        };
    }

    bool Count(std::size_t n) const { return arrivals.size() >= n; }
};

constexpr milliseconds kPatience{5000};

TEST(WinHttpAddressCheckTest, AddressComesOnThePumpingThread)
{
    LoopbackHttpServer server(Ok("203.0.113.7\n"));
    WinHttpAddressCheck check;
    Answers answers;

    check.Start(UrlOf(server, "/ip?format=text#top"), answers.For());
    EXPECT_TRUE(answers.arrivals.empty()) << "answered inside Start";

    ASSERT_TRUE(PumpUntil([&] { return answers.Count(1); }, kPatience));
    const auto& arrival = answers.arrivals[0];
    EXPECT_TRUE(arrival.answer.received);
    EXPECT_EQ(arrival.answer.body, "203.0.113.7\n");
    EXPECT_EQ(arrival.answer.error, "");
    EXPECT_EQ(arrival.thread, ::GetCurrentThreadId());

    const std::vector<std::string> heads = server.RequestHeads();
    ASSERT_EQ(heads.size(), 1u);
    EXPECT_EQ(heads[0].rfind("GET /ip?format=text HTTP/1.1\r\n", 0), 0u) << heads[0];
    EXPECT_NE(heads[0].find("\r\nUser-Agent: Velmora/2.0.10\r\n"), std::string::npos) << heads[0];
    EXPECT_NE(heads[0].find("\r\nHost: " + server.Host() + "\r\n"), std::string::npos) << heads[0];

    PumpFor(milliseconds(200));
    EXPECT_EQ(answers.arrivals.size(), 1u) << "answered twice";
}

struct ReplyCase {
    const char* name;
    std::string reply;
    bool received;
    std::string body;
    std::string error;
};

class ReplyTest : public testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyTest, ReplyBecomesTheAnswer)
{
    const ReplyCase& c = GetParam();
    LoopbackHttpServer server(c.reply);
    WinHttpAddressCheck check;
    Answers answers;

    check.Start(UrlOf(server), answers.For());

    ASSERT_TRUE(PumpUntil([&] { return answers.Count(1); }, kPatience));
    const AddressCheckAnswer& answer = answers.arrivals[0].answer;
    EXPECT_EQ(answer.received, c.received);
    EXPECT_EQ(answer.body, c.body);
    EXPECT_EQ(answer.error, c.error);
}

const std::string kPage = "<html><body><p>Your address: 198.51.100.23</p></body></html>";
const std::string kNoAddress = "<html><body>Down for maintenance</body></html>";

INSTANTIATE_TEST_SUITE_P(
    Replies, ReplyTest,
    testing::Values(ReplyCase{"HtmlPage", Ok(kPage), true, kPage, ""},
                    ReplyCase{"NoAddressInIt", Ok(kNoAddress), true, kNoAddress, ""},
                    ReplyCase{"EmptyBody", Ok(""), true, "", ""},
                    ReplyCase{"UntilClosed", "HTTP/1.0 200 OK\r\n\r\n203.0.113.9", true, "203.0.113.9", ""},
                    ReplyCase{"Chunked",
                              "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
                              "4\r\n203.\r\n8\r\n0.113.7\n\r\n0\r\n\r\n",
                              true, "203.0.113.7\n", ""},
                    ReplyCase{"NotFound", "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found", false, "",
                              "HTTP 404"},
                    ReplyCase{"Unavailable", "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\n\r\n", false, "",
                              "HTTP 503"},
                    ReplyCase{"NoReplyAtAll", "", false, "", "invalid reply"}),
    [](const testing::TestParamInfo<ReplyCase>& info) { return std::string(info.param.name); });

TEST(WinHttpAddressCheckTest, LongBodyIsCutAtTheLimit)
{
    std::string body;
    while (body.size() < 3 * scheduler::kMaxAddressCheckBody) {
        body += "203.0.113." + std::to_string(body.size() % 256) + "\n";
    }
    LoopbackHttpServer server(Ok(body));
    WinHttpAddressCheck check;
    Answers answers;

    check.Start(UrlOf(server), answers.For());

    ASSERT_TRUE(PumpUntil([&] { return answers.Count(1); }, kPatience));
    const AddressCheckAnswer& answer = answers.arrivals[0].answer;
    EXPECT_TRUE(answer.received);
    ASSERT_EQ(answer.body.size(), scheduler::kMaxAddressCheckBody);
    EXPECT_EQ(answer.body, body.substr(0, scheduler::kMaxAddressCheckBody));
}

// A server that takes the request and never answers: the answer is
// "timeout" at the limit, and a check started after it is not held back.
TEST(WinHttpAddressCheckTest, SilentServerTimesOutAtTheLimitAndHoldsNoOtherCheckBack)
{
    const milliseconds limit(1500);
    LoopbackHttpServer silent{LoopbackHttpServer::NeverAnswer{}};
    LoopbackHttpServer good(Ok("203.0.113.7"));
    WinHttpAddressCheck check(limit);
    Answers answers;

    check.Start(UrlOf(silent), answers.For("silent"));
    check.Start(UrlOf(good), answers.For("good"));

    ASSERT_TRUE(PumpUntil([&] { return answers.Count(2); }, limit + kPatience));
    EXPECT_EQ(answers.names, (std::vector<std::string>{"good", "silent"}));
    EXPECT_TRUE(answers.arrivals[0].answer.received);
    EXPECT_LT(answers.arrivals[0].after, limit);

    const auto& timedOut = answers.arrivals[1];
    EXPECT_FALSE(timedOut.answer.received);
    EXPECT_EQ(timedOut.answer.body, "");
    EXPECT_EQ(timedOut.answer.error, "timeout");
    EXPECT_GE(timedOut.after, limit - milliseconds(50));
    EXPECT_LE(timedOut.after, limit + milliseconds(1000));
    EXPECT_EQ(timedOut.thread, ::GetCurrentThreadId());
    EXPECT_EQ(silent.Requests().size(), 1u);
}

// Each byte comes well within any single wait's limit, the whole reply
// would take seconds: the overall limit still ends the check.
TEST(WinHttpAddressCheckTest, TricklingReplyIsCutOffAtTheLimit)
{
    const milliseconds limit(1500);
    LoopbackHttpServer trickling(Ok("203.0.113.7\n"), milliseconds(100));
    WinHttpAddressCheck check(limit);
    Answers answers;

    check.Start(UrlOf(trickling), answers.For());

    ASSERT_TRUE(PumpUntil([&] { return answers.Count(1); }, limit + kPatience));
    const auto& arrival = answers.arrivals[0];
    EXPECT_FALSE(arrival.answer.received);
    EXPECT_EQ(arrival.answer.error, "timeout");
    EXPECT_GE(arrival.after, limit - milliseconds(50));
    EXPECT_LE(arrival.after, limit + milliseconds(1000));
}

// Both schemes are fetched: a port where nothing listens is refused at once.
TEST(WinHttpAddressCheckTest, RefusedConnectionFailsAtOnce)
{
    const std::string port = std::to_string(LoopbackHttpServer::RefusingPort());
    WinHttpAddressCheck check;
    Answers answers;

    check.Start("http://127.0.0.1:" + port + "/", answers.For());
    check.Start("https://127.0.0.1:" + port + "/ip", answers.For());

    ASSERT_TRUE(PumpUntil([&] { return answers.Count(2); }, kPatience));
    for (const auto& arrival : answers.arrivals) {
        EXPECT_FALSE(arrival.answer.received);
        EXPECT_EQ(arrival.answer.error, "cannot connect");
        EXPECT_LT(arrival.after, milliseconds(2000));
    }
}

TEST(WinHttpAddressCheckTest, OnlyHttpAndHttpsAddressesAreFetched)
{
    WinHttpAddressCheck check;
    Answers answers;
    const std::vector<std::string> urls{"",
                                        "203.0.113.7",
                                        "ftp://127.0.0.1/ip",
                                        "file:///C:/ip.txt",
                                        "http://",
                                        "http://" + std::string(10000, 'a') + ".example/"};

    for (const std::string& url : urls) {
        check.Start(url, answers.For(url));
    }
    EXPECT_TRUE(answers.arrivals.empty()) << "answered inside Start";

    ASSERT_TRUE(PumpUntil([&] { return answers.Count(urls.size()); }, kPatience));
    for (const auto& arrival : answers.arrivals) {
        EXPECT_FALSE(arrival.answer.received);
        EXPECT_EQ(arrival.answer.error, "not an http or https address");
    }
}

TEST(WinHttpAddressCheckTest, DestroyingCancelsARunningCheckAtOnce)
{
    LoopbackHttpServer silent{LoopbackHttpServer::NeverAnswer{}};
    auto check = std::make_unique<WinHttpAddressCheck>();
    Answers answers;
    check->Start(UrlOf(silent), answers.For());
    ASSERT_TRUE(PumpUntil([&] { return !silent.Requests().empty(); }, kPatience));

    const Clock::time_point before = Clock::now();
    check.reset();
    EXPECT_LT(Clock::now() - before, milliseconds(1000));

    PumpFor(milliseconds(300));
    EXPECT_TRUE(answers.arrivals.empty());
}

// The answer came, but its message had not been pumped yet.
TEST(WinHttpAddressCheckTest, AnswerNotYetDeliveredIsDroppedWithTheCheck)
{
    LoopbackHttpServer server(Ok("203.0.113.7"));
    auto check = std::make_unique<WinHttpAddressCheck>();
    Answers answers;
    check->Start(UrlOf(server), answers.For());
    for (int i = 0; i < 100 && server.Requests().empty(); ++i) {
        ::Sleep(50);
    }
    ASSERT_EQ(server.Requests().size(), 1u);
    ::Sleep(300);  // the worker finishes meanwhile

    check.reset();

    PumpFor(milliseconds(300));
    EXPECT_TRUE(answers.arrivals.empty());
}

// Two answers are delivered together; the first one's callback ends the
// check object, so the second one's never runs.
TEST(WinHttpAddressCheckTest, CallbackMayEndTheCheck)
{
    LoopbackHttpServer first(Ok("203.0.113.7"));
    LoopbackHttpServer second(Ok("203.0.113.8"));
    auto check = std::make_unique<WinHttpAddressCheck>();
    int calls = 0;
    check->Start(UrlOf(first), [&](const AddressCheckAnswer&) {
        ++calls;
        check.reset();
    });
    check->Start(UrlOf(second), [&](const AddressCheckAnswer&) { ++calls; });
    for (int i = 0; i < 100 && (first.Requests().empty() || second.Requests().empty()); ++i) {
        ::Sleep(50);
    }
    ::Sleep(300);

    PumpFor(milliseconds(500));

    EXPECT_EQ(check, nullptr);
    EXPECT_EQ(calls, 1);
}

}  // namespace
