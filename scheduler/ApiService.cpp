#include "scheduler/ApiService.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string_view>
#include <utility>

#include "scheduler/LocalTime.h"
#include "scheduler/RedialStatus.h"
#include "settings/Int32Text.h"
#include "text/AsciiText.h"

namespace scheduler {
namespace {

using Json = nlohmann::ordered_json;

ApiAnswer JsonAnswer(int status, const Json& body)
{
    ApiAnswer answer;
    answer.status = status;
    // Texts that are not valid UTF-8 are replaced, never a failure.
    answer.body = body.dump(-1, ' ', false, Json::error_handler_t::replace);
    return answer;
}

ApiAnswer Error(int status, const std::string& error)
{
    return JsonAnswer(status, Json{{"error", error}});
}

Json TextOrNull(const std::string& text)
{
    return text.empty() ? Json(nullptr) : Json(text);
}

// The value of one query parameter; nothing when it is missing.
std::optional<std::string> QueryValue(std::string_view query, std::string_view name)
{
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        const std::size_t eq = pair.find('=');
        if (pair.substr(0, eq) == name)
            return std::string(eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1));
        if (amp == std::string_view::npos)
            break;
        query.remove_prefix(amp + 1);
    }
    return std::nullopt;
}

}  // namespace

bool IsLoopbackHost(const std::string& host)
{
    return host.rfind("127.", 0) == 0 || host == "::1" || host == "0:0:0:0:0:0:0:1";
}

ApiListening PlanApiListening(const settings::RedialOptions& options)
{
    ApiListening plan;
    plan.host = options.apiHost;
    plan.port = options.apiPort;
    if (!options.api)
        return plan;
    if (!IsLoopbackHost(options.apiHost) && options.apiToken.empty()) {
        plan.problem = "not listening on " + options.apiHost + ": a host that is not a loopback address needs apitoken";
        return plan;
    }
    plan.listen = true;
    return plan;
}

bool EqualInConstantTime(const std::string& a, const std::string& b)
{
    unsigned difference = a.size() == b.size() ? 0u : 1u;
    const std::size_t length = a.size() > b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char x = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
        const unsigned char y = i < b.size() ? static_cast<unsigned char>(b[i]) : 0;
        difference |= static_cast<unsigned>(x ^ y);
    }
    return difference == 0;
}

ApiService::ApiService(RedialCycle& cycle, SteadyClock clock, Utf8Of utf8, std::string version)
    : cycle_(cycle),
      clock_(std::move(clock)),
      utf8_(std::move(utf8)),
      version_(std::move(version))
{
    cycle_.AddWatcher(this);
}

ApiService::~ApiService()
{
    cycle_.RemoveWatcher(this);
}

void ApiService::Handle(const ApiRequest& request, Reply reply)
{
    if (!window_) {
        reply(Error(503, "starting"));
        return;
    }
    RedialWindow& window = *window_;
    const std::string& token = options_.apiToken;
    if (!token.empty() && !EqualInConstantTime(request.authorization, "Bearer " + token)) {
        reply(Error(401, "unauthorized"));
        return;
    }

    const std::size_t question = request.target.find('?');
    const std::string path = request.target.substr(0, question);
    const std::string query = question == std::string::npos ? std::string() : request.target.substr(question + 1);
    struct Route {
        const char* path;
        const char* method;
    };
    static constexpr Route kRoutes[] = {{"/status", "GET"}, {"/ip", "GET"}, {"/redial", "POST"}};
    for (const Route& route : kRoutes) {
        if (path != route.path)
            continue;
        if (request.method != route.method) {
            ApiAnswer answer = Error(405, "method not allowed");
            answer.allow = route.method;
            reply(std::move(answer));
            return;
        }
        if (path == "/status")
            reply(Status(window));
        else if (path == "/ip")
            reply(Ip());
        else
            Redial(query, std::move(reply));
        return;
    }
    reply(Error(404, "not found"));
}

ApiAnswer ApiService::Status(RedialWindow& window) const
{
    const RedialStatus status = cycle_.SeenStatus(window.ElapsedSeconds());
    Json events = Json::array();
    std::size_t count = 0;
    for (const RedialEvent& event : cycle_.Events()) {
        if (count++ == kStatusEvents)
            break;
        events.push_back(Json{
            {"time", FormatIsoTime(event.time)},
            {"event", EventWord(event.kind)},
            {"address", TextOrNull(event.address)},
            {"public_address", TextOrNull(event.publicAddress)},
            {"code", event.code ? Json(*event.code) : Json(nullptr)},
            {"text", utf8_(event.text)},
        });
    }
    return JsonAnswer(200, Json{
                               {"version", version_},
                               {"entry", utf8_(status.entry)},
                               {"enabled", status.enabled},
                               {"state", StateWord(status.state)},
                               {"address", TextOrNull(status.address)},
                               {"public_address", TextOrNull(status.publicAddress)},
                               {"since", status.since ? Json(FormatIsoTime(*status.since)) : Json(nullptr)},
                               {"elapsed", status.elapsed},
                               {"period", status.period},
                               {"pause", status.pause},
                               {"redials", status.redials},
                               {"failures", status.failures},
                               {"distinct_addresses", status.distinctAddresses},
                               {"events", std::move(events)},
                           });
}

ApiAnswer ApiService::Ip() const
{
    const RedialStatus status = cycle_.SeenStatus(0);
    const std::string address =
        !options_.ipCheckUrl.empty() && !status.publicAddress.empty() ? status.publicAddress : status.address;
    ApiAnswer answer;
    answer.contentType = "text/plain";
    if (address.empty()) {
        answer.status = 503;
        answer.body = "not connected\n";
    } else {
        answer.body = address + "\n";
    }
    return answer;
}

void ApiService::Redial(const std::string& query, Reply reply)
{
    std::optional<int> waitSeconds;
    if (const std::optional<std::string> wait = QueryValue(query, "wait")) {
        const std::optional<std::int32_t> seconds = settings::ParseInt32(*wait);
        if (!seconds || *seconds < 1 || *seconds > kMaxRedialWaitSeconds || wait->find(' ') != std::string::npos) {
            reply(Error(400, "wait must be a whole number of seconds from 1 to 300"));
            return;
        }
        waitSeconds = *seconds;
    }
    if (!cycle_.Seen().enabled) {
        reply(Error(409, "re-dialling is not enabled"));
        return;
    }
    if (text::IsBlank(cycle_.Seen().entry)) {
        reply(Error(409, "no entry is chosen"));
        return;
    }
    const std::uint64_t cycle = cycle_.RequestRedial();
    if (!waitSeconds) {
        reply(JsonAnswer(202, Json{{"accepted", true}}));
        return;
    }
    waits_.push_back(Wait{cycle, clock_() + std::chrono::seconds(*waitSeconds), std::move(reply)});
}

void ApiService::CycleEnded(const CycleOutcome& outcome)
{
    std::vector<Wait> done;
    std::erase_if(waits_, [&](Wait& wait) {
        if (wait.cycle != outcome.cycle)
            return false;
        done.push_back(std::move(wait));
        return true;
    });
    if (done.empty())
        return;
    ApiAnswer answer;
    if (outcome.connected) {
        answer = JsonAnswer(
            200, Json{
                     {"address", TextOrNull(outcome.publicAddress.empty() ? outcome.address : outcome.publicAddress)},
                     {"previous_address", TextOrNull(outcome.previousAddress)},
                     {"fresh", outcome.fresh},
                     {"attempts", outcome.attempts},
                 });
    } else if (outcome.stopped) {
        answer = Error(409, outcome.text);
    } else {
        answer = JsonAnswer(502, Json{
                                     {"error", "the dials failed and the re-dial gave up"},
                                     {"code", outcome.code},
                                     {"text", utf8_(outcome.text)},
                                 });
    }
    for (Wait& wait : done)
        wait.reply(answer);
}

void ApiService::ExpireWaits()
{
    const auto now = clock_();
    std::vector<Wait> late;
    std::erase_if(waits_, [&](Wait& wait) {
        if (wait.deadline > now)
            return false;
        late.push_back(std::move(wait));
        return true;
    });
    for (Wait& wait : late)
        wait.reply(Error(504, "the re-dial had no outcome in time"));
}

}  // namespace scheduler
