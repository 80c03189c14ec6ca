#include "scheduler/ApiService.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

#include "scheduler/Tick.h"
#include "tests/core/ras/ScriptedRasService.h"
#include "tests/core/scheduler/SchedulerFakes.h"

namespace scheduler {
namespace {

using ras::testing::FakeHandle;
using Json = nlohmann::json;

class ApiServiceTest : public ::testing::Test {
protected:
    ApiServiceTest()
        : control(service),
          cycle(control, parts.Clock(), parts.check, parts.log),
          api(
              cycle, [this] { return steady; }, [](const std::string& ansi) { return ansi; }, "2.0.10")
    {
        api.SetWindow(&window);
        window.period = 0;  // re-dials only when asked
        window.pause = 0;
        service.duringDial = [this] {
            dialHandles.push_back(service.nextDialHandle);
            service.nextDialHandle = FakeHandle(0x1000 + dialHandles.size());
        };
        service.connections = {{"ADSL", FakeHandle(0x99)}};
        service.addresses[FakeHandle(0x99)] = "10.0.0.1";
    }

    // The answers, in the order given.
    std::vector<ApiAnswer> answers;
    void Ask(const std::string& method, const std::string& target, const std::string& authorization = {})
    {
        // What serves the API refreshes these twice a second.
        api.SetOptions(window.options);
        cycle.Refresh(window);
        api.Handle(ApiRequest{method, target, authorization},
                   [this](ApiAnswer answer) { answers.push_back(std::move(answer)); });
    }
    ApiAnswer AskOne(const std::string& method, const std::string& target, const std::string& authorization = {})
    {
        answers.clear();
        Ask(method, target, authorization);
        EXPECT_EQ(answers.size(), 1u) << method << " " << target;
        return answers.empty() ? ApiAnswer{} : answers.back();
    }
    void Tick()
    {
        pump.SleepSlice(1000);
        parts.clock.ms = pump.now;
        steady += std::chrono::milliseconds(1000);
        Timer1Timer(window, control, pump, lookup, cycle);
    }
    void Connect(const std::string& address)
    {
        service.connections.push_back({"ADSL", dialHandles.back()});
        service.addresses[dialHandles.back()] = address;
        service.Report(ras::RASCS_Connected);
        control.DeliverReports();
    }

    ras::testing::ScriptedRasService service;
    ras::ConnectionControl control;
    testing::CycleParts parts;
    RedialCycle cycle;
    std::chrono::steady_clock::time_point steady{};
    ApiService api;
    testing::PlainWindow window;
    testing::FakePump pump;
    TextLookup lookup = [](const std::string&) { return std::string(); };
    std::vector<ras::HRASCONN> dialHandles;
};

TEST_F(ApiServiceTest, RoutesMethodsAndTokens)
{
    const struct {
        std::string token;
        std::string method;
        std::string target;
        std::string authorization;
        int status;
        std::string allow;
    } cases[] = {
        {"", "GET", "/status", "", 200, ""},
        {"", "GET", "/status?x=1", "", 200, ""},
        {"", "GET", "/ip", "", 503, ""},
        {"", "GET", "/nothing", "", 404, ""},
        {"", "GET", "/", "", 404, ""},
        {"", "POST", "/status", "", 405, "GET"},
        {"", "DELETE", "/ip", "", 405, "GET"},
        {"", "GET", "/redial", "", 405, "POST"},
        {"", "POST", "/redial?wait=0", "", 400, ""},
        {"", "POST", "/redial?wait=301", "", 400, ""},
        {"", "POST", "/redial?wait=abc", "", 400, ""},
        {"", "POST", "/redial?wait=", "", 400, ""},
        {"tok", "GET", "/status", "", 401, ""},
        {"tok", "GET", "/status", "Bearer tok", 200, ""},
        {"tok", "GET", "/status", "Bearer tokk", 401, ""},
        {"tok", "GET", "/status", "Bearer to", 401, ""},
        {"tok", "GET", "/status", "bearer tok", 401, ""},
        {"tok", "GET", "/status", "tok", 401, ""},
        {"tok", "GET", "/nothing", "", 401, ""},
    };
    for (const auto& c : cases) {
        window.options.apiToken = c.token;
        const ApiAnswer answer = AskOne(c.method, c.target, c.authorization);
        EXPECT_EQ(answer.status, c.status) << c.method << " " << c.target << " [" << c.authorization << "]";
        EXPECT_EQ(answer.allow, c.allow) << c.target;
        if (c.target.rfind("/ip", 0) != 0) {
            EXPECT_EQ(answer.contentType, "application/json");
            EXPECT_TRUE(Json::accept(answer.body)) << answer.body;
        }
        if (c.status == 401) {
            EXPECT_EQ(answer.body, "{\"error\":\"unauthorized\"}");
        }
    }
}

TEST_F(ApiServiceTest, StatusTellsTheStateTheAddressAndTheEvents)
{
    window.entry = std::string("ADSL\xB2\xA6", 6);  // bytes that are not UTF-8 are replaced
    service.connections[0].entry = window.entry;
    window.period = 180;
    Tick();
    const Json status = Json::parse(AskOne("GET", "/status").body);
    EXPECT_EQ(status["version"], "2.0.10");
    EXPECT_EQ(status["enabled"], true);
    EXPECT_EQ(status["state"], "connected");
    EXPECT_EQ(status["address"], "10.0.0.1");
    EXPECT_TRUE(status["public_address"].is_null());
    EXPECT_EQ(status["since"], "2026-12-10T10:00:01.000");
    EXPECT_EQ(status["elapsed"], 1);
    EXPECT_EQ(status["period"], 180);
    EXPECT_EQ(status["pause"], 0);
    EXPECT_EQ(status["redials"], 0);
    EXPECT_EQ(status["distinct_addresses"], 1);
    EXPECT_TRUE(status["events"].is_array());
    EXPECT_EQ(status["entry"].get<std::string>().substr(0, 4), "ADSL");

    const ApiAnswer ip = AskOne("GET", "/ip");
    EXPECT_EQ(ip.status, 200);
    EXPECT_EQ(ip.contentType, "text/plain");
    EXPECT_EQ(ip.body, "10.0.0.1\n");
}

TEST_F(ApiServiceTest, ARequestReadsNoWidgetButTheFieldsAsLastRead)
{
    window.period = 180;
    Tick();  // reads the fields
    int entryReads = 0;
    window.onEntryRead = [&] { ++entryReads; };
    window.period = 600;
    window.pause = 9;
    auto handle = [this](const std::string& method, const std::string& target) {
        answers.clear();
        api.Handle(ApiRequest{method, target, {}}, [this](ApiAnswer answer) { answers.push_back(std::move(answer)); });
        EXPECT_EQ(answers.size(), 1u) << target;
        return answers.empty() ? ApiAnswer{} : answers.back();
    };
    const Json status = Json::parse(handle("GET", "/status").body);
    EXPECT_EQ(status["period"], 180);
    EXPECT_EQ(status["pause"], 0);
    EXPECT_EQ(handle("GET", "/ip").status, 200);
    EXPECT_EQ(handle("POST", "/redial").status, 202);
    EXPECT_EQ(entryReads, 0);

    // Unticking the box is seen at once; the fields' edits at the next read.
    window.ticked = false;
    CheckBox1Click(window, control, cycle);
    EXPECT_EQ(handle("POST", "/redial").status, 409);
    EXPECT_EQ(Json::parse(handle("GET", "/status").body)["period"], 600);
    window.period = 30;
    cycle.Refresh(window);
    EXPECT_EQ(Json::parse(handle("GET", "/status").body)["period"], 30);
}

TEST_F(ApiServiceTest, ARedialWithAWaitAnswersWithTheCyclesOutcomeAndALaterRequestJoinsIt)
{
    Tick();  // looks the connection up
    Ask("POST", "/redial?wait=60");
    EXPECT_TRUE(answers.empty());
    Tick();  // the hang-up path, whatever the period
    EXPECT_EQ(service.hangUps, std::vector<ras::HRASCONN>{FakeHandle(0x99)});
    Ask("POST", "/redial?wait=60");  // joins
    Ask("POST", "/redial");          // joins, answered at once
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].status, 202);
    EXPECT_EQ(answers[0].body, "{\"accepted\":true}");
    Tick();  // the pause and the dial
    ASSERT_EQ(service.dials.size(), 1u);
    Connect("10.0.0.2");
    ASSERT_EQ(answers.size(), 3u);
    for (std::size_t i : {1u, 2u}) {
        EXPECT_EQ(answers[i].status, 200);
        EXPECT_EQ(Json::parse(answers[i].body),
                  Json::parse(R"({"address":"10.0.0.2","previous_address":"10.0.0.1","fresh":true,"attempts":1})"));
    }
    // With a period of 0 nothing more happens until asked again.
    for (int i = 0; i < 10; ++i)
        Tick();
    EXPECT_EQ(service.dials.size(), 1u);
    EXPECT_EQ(service.hangUps.size(), 1u);
}

TEST_F(ApiServiceTest, AWaitThatRunsOutAnswers504AndTheReDialGoesOn)
{
    Tick();
    Ask("POST", "/redial?wait=3");
    Tick();
    Tick();
    service.Report(ras::RASCS_Disconnected, 678);  // the dial fails; the re-dial stays owed
    control.DeliverReports();
    api.ExpireWaits();
    EXPECT_TRUE(answers.empty());
    steady += std::chrono::seconds(1);
    api.ExpireWaits();
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].status, 504);
    EXPECT_FALSE(api.HasWaits());
    Tick();
    EXPECT_EQ(service.dials.size(), 2u);
}

TEST_F(ApiServiceTest, ACycleThatGivesUpAnswers502WithTheError)
{
    window.options.authStop = 1;
    service.errorTexts[691] = "denied";
    Tick();
    Ask("POST", "/redial?wait=60");
    Tick();
    Tick();
    service.Report(ras::RASCS_Disconnected, 691);
    control.DeliverReports();
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].status, 502);
    const Json body = Json::parse(answers[0].body);
    EXPECT_EQ(body["code"], 691);
    EXPECT_EQ(body["text"], "denied");
}

TEST_F(ApiServiceTest, ARedialNeedsTheEnableBoxAndAnEntry)
{
    window.ticked = false;
    ApiAnswer answer = AskOne("POST", "/redial");
    EXPECT_EQ(answer.status, 409);
    EXPECT_EQ(Json::parse(answer.body)["error"], "re-dialling is not enabled");
    window.ticked = true;
    window.entry = "";
    answer = AskOne("POST", "/redial?wait=5");
    EXPECT_EQ(answer.status, 409);
    EXPECT_EQ(Json::parse(answer.body)["error"], "no entry is chosen");
    EXPECT_FALSE(api.HasWaits());

    // Unticking the box ends a wait at once.
    window.entry = "ADSL";
    answers.clear();
    Ask("POST", "/redial?wait=60");
    window.ticked = false;
    CheckBox1Click(window, control, cycle);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].status, 409);
}

TEST(ApiListening, ALoopbackHostOrAToken)
{
    settings::RedialOptions options;
    EXPECT_FALSE(PlanApiListening(options).listen);
    options.api = true;
    EXPECT_TRUE(PlanApiListening(options).listen);
    for (const char* host : {"127.0.0.1", "127.5.6.7", "::1"}) {
        options.apiHost = host;
        EXPECT_TRUE(PlanApiListening(options).listen) << host;
    }
    for (const char* host : {"0.0.0.0", "192.168.1.5", "::"}) {
        options.apiHost = host;
        options.apiToken = "";
        const ApiListening plan = PlanApiListening(options);
        EXPECT_FALSE(plan.listen) << host;
        EXPECT_NE(plan.problem.find("apitoken"), std::string::npos);
        options.apiToken = "t";
        EXPECT_TRUE(PlanApiListening(options).listen) << host;
    }
    EXPECT_TRUE(EqualInConstantTime("abc", "abc"));
    EXPECT_FALSE(EqualInConstantTime("abc", "abd"));
    EXPECT_FALSE(EqualInConstantTime("abc", "abcd"));
    EXPECT_FALSE(EqualInConstantTime("", "a"));
}

}  // namespace
}  // namespace scheduler
