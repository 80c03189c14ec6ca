// The HTTP API's server against plain winsock clients, with a scripted
// handler on the test's thread, which pumps messages as the program's
// thread does: requests reach the handler there and its answers, at once or
// late, reach the client; the limits the server answers itself; listening
// failures; the end of the server with connections open and a reply
// pending.

#include "app/HttpApiServer.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cctype>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using app::HttpApiLimits;
using app::HttpApiServer;
using scheduler::ApiAnswer;
using scheduler::ApiHandler;
using scheduler::ApiRequest;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

constexpr milliseconds kPatience{5000};

struct Winsock {
    Winsock()
    {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~Winsock() { ::WSACleanup(); }
} winsock;

void PumpWaiting()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

// Runs this thread's messages until `until` holds or the time is up; false
// when the time ran out first.
template <class Predicate>
bool PumpUntil(Predicate until, milliseconds limit = kPatience)
{
    const Clock::time_point end = Clock::now() + limit;
    for (;;) {
        PumpWaiting();
        if (until()) {
            return true;
        }
        if (Clock::now() >= end) {
            return false;
        }
        ::MsgWaitForMultipleObjectsEx(0, nullptr, 5, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void PumpFor(milliseconds time)
{
    PumpUntil([] { return false; }, time);
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// An answer as the client read it.
struct Response {
    int status = 0;
    std::string head;  // status line and headers, without the blank line
    std::string body;

    // The value of a header, or nullopt when there is none.
    std::optional<std::string> Header(const std::string& name) const
    {
        const std::string lower = Lower(head);
        const std::string key = "\r\n" + Lower(name) + ": ";
        const std::size_t at = lower.find(key);
        if (at == std::string::npos) {
            return std::nullopt;
        }
        const std::size_t start = at + key.size();
        return head.substr(start, head.find("\r\n", start) - start);
    }

    std::string Error() const { return nlohmann::json::parse(body).at("error").get<std::string>(); }
};

// A plain winsock client on this thread; its waits pump messages, so the
// handler on this thread keeps answering meanwhile.
class Client {
public:
    explicit Client(unsigned short port, const char* address = "127.0.0.1")
    {
        addrinfo hints{};
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_NUMERICHOST;
        addrinfo* found = nullptr;
        if (::getaddrinfo(address, std::to_string(port).c_str(), &hints, &found) != 0) {
            throw std::runtime_error("bad address");
        }
        socket_ = ::socket(found->ai_family, SOCK_STREAM, IPPROTO_TCP);
        const int connected = ::connect(socket_, found->ai_addr, static_cast<int>(found->ai_addrlen));
        ::freeaddrinfo(found);
        if (socket_ == INVALID_SOCKET || connected != 0) {
            throw std::runtime_error("cannot connect");
        }
    }
    ~Client() { Close(); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    void Send(const std::string& bytes)
    {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const int n = ::send(socket_, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
            if (n <= 0) {
                return;  // the server closed; what it answered is still to be read
            }
            sent += static_cast<std::size_t>(n);
        }
    }

    void Close()
    {
        if (socket_ != INVALID_SOCKET) {
            ::closesocket(socket_);
            socket_ = INVALID_SOCKET;
        }
    }

    // One whole answer (its head and a body of Content-Length bytes), or
    // nullopt when none came within `limit`.
    std::optional<Response> Read(milliseconds limit = kPatience)
    {
        std::optional<Response> response;
        PumpUntil(
            [&] {
                response = Take();
                return response.has_value() || closed_;
            },
            limit);
        if (!response) {
            response = Take();
        }
        return response;
    }

    // True when the server closed the connection within `limit`.
    bool ClosedWithin(milliseconds limit)
    {
        PumpUntil([&] { return Receive(), closed_; }, limit);
        return closed_;
    }

    // What came but was not taken as an answer.
    const std::string& Unread() const { return received_; }

private:
    // Takes what has come, without waiting.
    void Receive()
    {
        while (!closed_) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(socket_, &readable);
            timeval none{0, 0};
            if (::select(0, &readable, nullptr, nullptr, &none) != 1) {
                return;
            }
            char buffer[4096];
            const int n = ::recv(socket_, buffer, sizeof buffer, 0);
            if (n <= 0) {
                closed_ = true;  // an orderly close or a reset
                return;
            }
            received_.append(buffer, static_cast<std::size_t>(n));
        }
    }

    std::optional<Response> Take()
    {
        Receive();
        const std::size_t end = received_.find("\r\n\r\n");
        if (end == std::string::npos) {
            return std::nullopt;
        }
        Response response;
        response.head = received_.substr(0, end);
        if (response.head.rfind("HTTP/1.", 0) != 0 || response.head.size() < 12) {
            return std::nullopt;
        }
        response.status = std::stoi(response.head.substr(9, 3));
        const std::size_t length = std::stoul(response.Header("Content-Length").value_or("0"));
        const bool head = headRequest_;
        if (!head && received_.size() < end + 4 + length) {
            return std::nullopt;
        }
        response.body = head ? std::string() : received_.substr(end + 4, length);
        received_.erase(0, end + 4 + (head ? 0 : length));
        headRequest_ = false;
        return response;
    }

public:
    // The next answer is to a HEAD request: it has no body.
    void ExpectHeadOnly() { headRequest_ = true; }

private:
    SOCKET socket_ = INVALID_SOCKET;
    std::string received_;
    bool closed_ = false;
    bool headRequest_ = false;
};

std::string Get(const std::string& target, const std::string& extra = {})
{
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extra + "\r\n";
}

// Answers as scripted, on the thread that pumps; by default 200 with the
// target as a text body. A script may keep the reply (in `held`) or drop it.
struct ScriptedHandler : ApiHandler {
    struct Seen {
        ApiRequest request;
        DWORD thread;
    };
    using Script = std::function<void(const ApiRequest&, Reply&)>;

    std::vector<Seen> seen;
    std::vector<Reply> held;
    Script script = [](const ApiRequest& request, Reply& reply) {
        reply(ApiAnswer{200, "text/plain", request.target, {}});
    };

    void Handle(const ApiRequest& request, Reply reply) override
    {
        seen.push_back({request, ::GetCurrentThreadId()});
        script(request, reply);
    }

    void Hold()
    {
        script = [this](const ApiRequest&, Reply& reply) { held.push_back(std::move(reply)); };
    }
};

std::unique_ptr<HttpApiServer> StartOrFail(ScriptedHandler& handler, const HttpApiLimits& limits = {},
                                           const std::string& host = "127.0.0.1")
{
    std::string error = "untouched";
    std::unique_ptr<HttpApiServer> server = HttpApiServer::Start(host, 0, handler, error, limits);
    EXPECT_TRUE(server) << error;
    EXPECT_EQ(error, "");
    if (server) {
        EXPECT_NE(server->Port(), 0);
    }
    return server;
}

TEST(HttpApiServerTest, RequestReachesTheHandlerOnThisThreadAndItsAnswerComesBack)
{
    ScriptedHandler handler;
    handler.script = [](const ApiRequest& request, ApiHandler::Reply& reply) {
        if (request.method == "PUT") {
            reply(ApiAnswer{405, "application/json", R"({"error":"method not allowed"})", "GET"});
        } else {
            reply(ApiAnswer{200, "application/json", R"({"state":"counting"})", {}});
        }
    };
    const auto server = StartOrFail(handler);
    ASSERT_TRUE(server);
    Client client(server->Port());

    client.Send("PUT /status?x=1 HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: Bearer s3cret\r\n"
                "Content-Length: 3\r\n\r\nabc");
    const std::optional<Response> refused = client.Read();
    ASSERT_TRUE(refused) << client.Unread();
    ASSERT_EQ(handler.seen.size(), 1u);
    EXPECT_EQ(handler.seen[0].request.method, "PUT");
    EXPECT_EQ(handler.seen[0].request.target, "/status?x=1");
    EXPECT_EQ(handler.seen[0].request.authorization, "Bearer s3cret");
    EXPECT_EQ(handler.seen[0].thread, ::GetCurrentThreadId());
    EXPECT_EQ(refused->status, 405) << refused->head;
    EXPECT_EQ(refused->Header("Content-Type"), "application/json");
    EXPECT_EQ(refused->Header("Allow"), "GET");
    EXPECT_EQ(refused->Header("Cache-Control"), "no-store");
    EXPECT_EQ(refused->Header("Content-Length"), std::to_string(refused->body.size()));
    EXPECT_EQ(refused->Header("Connection"), std::nullopt) << "a kept-alive connection says nothing of it";
    EXPECT_EQ(refused->body, R"({"error":"method not allowed"})");

    // The same connection serves the next request.
    client.Send(Get("/status"));
    const std::optional<Response> status = client.Read();
    ASSERT_TRUE(status);
    ASSERT_EQ(handler.seen.size(), 2u);
    EXPECT_EQ(handler.seen[1].request.method, "GET");
    EXPECT_EQ(handler.seen[1].request.authorization, "");
    EXPECT_EQ(status->status, 200);
    EXPECT_EQ(status->Header("Allow"), std::nullopt);
    EXPECT_EQ(status->body, R"({"state":"counting"})");
}

// How the server writes what the handler answers.
struct AnswerCase {
    const char* name;
    ApiAnswer answer;
    int status;
    std::optional<std::string> contentType;
    std::string body;
};

TEST(HttpApiServerTest, AnswersAreWrittenAsGivenWithinHttpRules)
{
    const AnswerCase cases[] = {
        {"text",
         {200, "text/plain; charset=utf-8", "203.0.113.7\n", {}},
         200,
         "text/plain; charset=utf-8",
         "203.0.113.7\n"},
        {"accepted",
         {202, "application/json", R"({"accepted":true})", {}},
         202,
         "application/json",
         R"({"accepted":true})"},
        {"gateway timeout", {504, "application/json", "{}", {}}, 504, "application/json", "{}"},
        {"no content never has a body", {204, "application/json", "dropped", {}}, 204, "application/json", ""},
        {"no content type", {200, "", "x", {}}, 200, std::nullopt, "x"},
        {"a status that is no final answer",
         {99, "text/plain", "x", {}},
         500,
         "text/plain",
         R"({"error":"invalid answer"})"},
        {"a line break in a header value",
         {200, "text/plain\r\nX-Injected: 1", "x", {}},
         200,
         "text/plainX-Injected: 1",
         "x"},
    };
    ScriptedHandler handler;
    const ApiAnswer* next = nullptr;
    handler.script = [&](const ApiRequest&, ApiHandler::Reply& reply) { reply(*next); };
    const auto server = StartOrFail(handler);
    ASSERT_TRUE(server);
    Client client(server->Port());
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(c.name);
        next = &c.answer;
        client.Send(Get("/ip"));
        const std::optional<Response> response = client.Read();
        ASSERT_TRUE(response) << client.Unread();
        EXPECT_EQ(response->status, c.status) << response->head;
        EXPECT_EQ(response->Header("Content-Type"), c.contentType);
        EXPECT_EQ(response->Header("Cache-Control"), "no-store");
        EXPECT_EQ(response->body, c.body);
        EXPECT_EQ(response->head.find("\r\nX-Injected"), std::string::npos);
    }
}

TEST(HttpApiServerTest, HeadGetsTheHeadOfTheAnswerOnly)
{
    ScriptedHandler handler;
    const auto server = StartOrFail(handler);
    ASSERT_TRUE(server);
    Client client(server->Port());

    client.Send("HEAD /status HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n" + Get("/ip"));
    client.ExpectHeadOnly();
    const std::optional<Response> head = client.Read();
    ASSERT_TRUE(head);
    EXPECT_EQ(head->status, 200);
    EXPECT_EQ(head->Header("Content-Length"), "7");  // "/status"
    const std::optional<Response> next = client.Read();
    ASSERT_TRUE(next) << "the head's body came after all: " << client.Unread();
    EXPECT_EQ(next->body, "/ip");
    ASSERT_EQ(handler.seen.size(), 2u);
    EXPECT_EQ(handler.seen[0].request.method, "HEAD");
}

TEST(HttpApiServerTest, ConnectionThatAsksToCloseIsClosedAfterItsAnswer)
{
    ScriptedHandler handler;
    const auto server = StartOrFail(handler);
    ASSERT_TRUE(server);
    const std::string requests[] = {"GET /status HTTP/1.0\r\n\r\n", Get("/status", "Connection: close\r\n")};
    for (const std::string& request : requests) {
        SCOPED_TRACE(request);
        Client client(server->Port());
        client.Send(request);
        const std::optional<Response> response = client.Read();
        ASSERT_TRUE(response);
        EXPECT_EQ(response->status, 200);
        EXPECT_EQ(response->Header("Connection"), "close");
        EXPECT_TRUE(client.ClosedWithin(kPatience));
    }
}

TEST(HttpApiServerTest, LateReplyArrivesAndWaitingForItIsNoIdleTime)
{
    HttpApiLimits limits;
    limits.idle = milliseconds(500);
    ScriptedHandler handler;
    handler.Hold();
    const auto server = StartOrFail(handler, limits);
    ASSERT_TRUE(server);
    Client client(server->Port());
    client.Send("POST /redial?wait=1 HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 0\r\n\r\n");
    ASSERT_TRUE(PumpUntil([&] { return handler.held.size() == 1; }));

    EXPECT_FALSE(client.Read(milliseconds(1200))) << "answered before the reply";
    EXPECT_FALSE(client.ClosedWithin(milliseconds(0)));
    handler.held[0](ApiAnswer{200, "application/json", R"({"result":"connected"})", {}});
    const std::optional<Response> response = client.Read();
    ASSERT_TRUE(response);
    EXPECT_EQ(response->status, 200);
    EXPECT_EQ(response->body, R"({"result":"connected"})");

    // A second call of the same reply goes nowhere.
    handler.held[0](ApiAnswer{500, "text/plain", "twice", {}});
    EXPECT_FALSE(client.Read(milliseconds(300)));
}

TEST(HttpApiServerTest, ReplyAfterTheClientWentAwayIsHarmless)
{
    ScriptedHandler handler;
    handler.Hold();
    const auto server = StartOrFail(handler);
    ASSERT_TRUE(server);
    {
        Client client(server->Port());
        client.Send(Get("/status"));
        ASSERT_TRUE(PumpUntil([&] { return handler.held.size() == 1; }));
    }
    PumpFor(milliseconds(300));
    handler.held[0](ApiAnswer{200, "application/json", "{}", {}});
    PumpFor(milliseconds(300));

    handler.script = ScriptedHandler().script;
    Client next(server->Port());
    next.Send(Get("/ip"));
    const std::optional<Response> response = next.Read();
    ASSERT_TRUE(response);
    EXPECT_EQ(response->body, "/ip");
}

TEST(HttpApiServerTest, ReplyDroppedOrHandlerFailingAnswers500)
{
    ScriptedHandler handler;
    handler.script = [](const ApiRequest& request, ApiHandler::Reply&) {
        if (request.target == "/throw") {
            throw std::runtime_error("broken");
        }
    };
    const auto server = StartOrFail(handler);
    ASSERT_TRUE(server);
    Client client(server->Port());
    for (const auto& [target, error] : {std::pair{"/drop", "no answer"}, std::pair{"/throw", "internal error"}}) {
        SCOPED_TRACE(target);
        client.Send(Get(target));
        const std::optional<Response> response = client.Read();
        ASSERT_TRUE(response);
        EXPECT_EQ(response->status, 500);
        EXPECT_EQ(response->Header("Content-Type"), "application/json");
        EXPECT_EQ(response->Error(), error);
    }
}

// Requests the server answers itself, never reaching the handler.
struct RefusedCase {
    const char* name;
    std::string request;
    int status;  // 0: not refused, the handler answers
    const char* error;
};

std::string Chunked(std::size_t first, std::size_t second)
{
    auto chunk = [](std::size_t size) {
        char length[20];
        std::snprintf(length, sizeof length, "%zx", size);
        return std::string(length) + "\r\n" + std::string(size, 'b') + "\r\n";
    };
    return "POST /redial HTTP/1.1\r\nHost: 127.0.0.1\r\nTransfer-Encoding: chunked\r\n\r\n" + chunk(first) +
           chunk(second) + "0\r\n\r\n";
}

std::string WithBody(std::size_t size)
{
    return "POST /redial HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n" +
           std::string(size, 'b');
}

TEST(HttpApiServerTest, OversizedAndMalformedRequestsAreRefusedByTheServer)
{
    const RefusedCase cases[] = {
        {"headers of 9000 bytes", Get("/status", "X-Padding: " + std::string(9000, 'p') + "\r\n"), 431,
         "request line or headers too large"},
        {"a request line of 9000 bytes", Get("/" + std::string(9000, 's')), 431, "request line or headers too large"},
        {"headers just under the limit", Get("/status", "X-Padding: " + std::string(8000, 'p') + "\r\n"), 0, ""},
        {"a body of 1025 bytes", WithBody(1025), 413, "request body too large"},
        {"a body announced far too large", "POST /redial HTTP/1.1\r\nContent-Length: 99999999999\r\n\r\n", 413,
         "request body too large"},
        {"chunks of 1025 bytes", Chunked(1000, 25), 413, "request body too large"},
        {"a body of 1024 bytes", WithBody(1024), 0, ""},
        {"chunks of 1024 bytes", Chunked(1000, 24), 0, ""},
        {"no HTTP at all", "HELLO\r\n\r\n", 400, "malformed request"},
        {"a header without a colon", Get("/status", "No colon here\r\n"), 400, "malformed request"},
        {"a bad length", "POST /redial HTTP/1.1\r\nContent-Length: 12x\r\n\r\n", 400, "malformed request"},
        {"a bad chunk", "POST /redial HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n", 400, "malformed request"},
        {"an unknown version", "GET /status HTTP/2.5\r\n\r\n", 400, "malformed request"},
    };
    ScriptedHandler handler;
    const auto server = StartOrFail(handler);
    ASSERT_TRUE(server);
    for (const RefusedCase& c : cases) {
        SCOPED_TRACE(c.name);
        handler.seen.clear();
        Client client(server->Port());
        client.Send(c.request);
        const std::optional<Response> response = client.Read();
        ASSERT_TRUE(response) << client.Unread();
        if (c.status == 0) {
            EXPECT_EQ(response->status, 200) << response->head;
            EXPECT_EQ(handler.seen.size(), 1u);
            continue;
        }
        EXPECT_EQ(response->status, c.status) << response->head;
        EXPECT_EQ(response->Header("Content-Type"), "application/json");
        EXPECT_EQ(response->Header("Connection"), "close");
        EXPECT_EQ(response->Header("Cache-Control"), "no-store");
        EXPECT_EQ(response->Error(), c.error);
        EXPECT_TRUE(client.ClosedWithin(kPatience));
        EXPECT_TRUE(handler.seen.empty());
    }
}

TEST(HttpApiServerTest, SeventeenthConnectionIsAnswered503AndClosed)
{
    ScriptedHandler handler;
    const auto server = StartOrFail(handler);
    ASSERT_TRUE(server);
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < 16; ++i) {
        clients.push_back(std::make_unique<Client>(server->Port()));
        clients.back()->Send("GET /sta");  // an unfinished request
    }
    Client extra(server->Port());
    extra.Send(Get("/status"));
    const std::optional<Response> turned = extra.Read();
    ASSERT_TRUE(turned) << extra.Unread();
    EXPECT_EQ(turned->status, 503);
    EXPECT_EQ(turned->Header("Connection"), "close");
    EXPECT_EQ(turned->Error(), "too many connections");
    EXPECT_TRUE(extra.ClosedWithin(kPatience));

    // The first sixteen are still served, and one leaving makes room.
    clients[15]->Send("tus HTTP/1.1\r\n\r\n");
    const std::optional<Response> served = clients[15]->Read();
    ASSERT_TRUE(served);
    EXPECT_EQ(served->body, "/status");
    clients[0]->Close();
    PumpFor(milliseconds(300));
    Client next(server->Port());
    next.Send(Get("/ip"));
    const std::optional<Response> room = next.Read();
    ASSERT_TRUE(room);
    EXPECT_EQ(room->status, 200);
    EXPECT_EQ(handler.seen.size(), 2u);
}

TEST(HttpApiServerTest, ConnectionWithoutAWholeRequestInTimeIsClosed)
{
    HttpApiLimits limits;
    limits.idle = milliseconds(1000);
    ScriptedHandler handler;
    const auto server = StartOrFail(handler, limits);
    ASSERT_TRUE(server);

    struct IdleCase {
        const char* name;
        std::string before;  // answered first
        std::string partial;
    };
    const IdleCase cases[] = {
        {"nothing sent", "", ""},
        {"half a request", "", "GET /status HTTP/1.1\r\nHost: 127"},
        {"kept alive after an answer", Get("/ip"), ""},
    };
    for (const IdleCase& c : cases) {
        SCOPED_TRACE(c.name);
        Client client(server->Port());
        if (!c.before.empty()) {
            client.Send(c.before);
            ASSERT_TRUE(client.Read());
        }
        const Clock::time_point start = Clock::now();
        client.Send(c.partial);
        // Bytes that trickle in do not keep the connection open.
        for (int i = 0; i < 3 && !c.partial.empty(); ++i) {
            PumpFor(milliseconds(200));
            client.Send("X");
        }
        ASSERT_TRUE(client.ClosedWithin(milliseconds(4000)));
        const auto after = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
        EXPECT_GE(after.count(), 800);
        EXPECT_LE(after.count(), 2500);
        EXPECT_EQ(client.Unread(), "");
    }
    EXPECT_EQ(handler.seen.size(), 1u);
}

TEST(HttpApiServerTest, SecondServerOnThePortFails)
{
    ScriptedHandler handler;
    const auto first = StartOrFail(handler);
    ASSERT_TRUE(first);
    std::string error;
    const auto second = HttpApiServer::Start("127.0.0.1", first->Port(), handler, error);
    EXPECT_FALSE(second);
    EXPECT_EQ(error, "port " + std::to_string(first->Port()) + " is in use");

    // The first one still answers.
    Client client(first->Port());
    client.Send(Get("/status"));
    EXPECT_TRUE(client.Read());
}

TEST(HttpApiServerTest, AddressesThatCannotBeListenedOnFailWithTheirReason)
{
    const std::pair<std::string, std::string> cases[] = {
        {"192.0.2.1", "address 192.0.2.1 is not on this computer"},
        {"localhost", "\"localhost\" is not an IP address"},
        {"", "\"\" is not an IP address"},
        {"127.0.0.1:80", "\"127.0.0.1:80\" is not an IP address"},
        {"256.1.1.1", "\"256.1.1.1\" is not an IP address"},
        {"127.1", "\"127.1\" is not an IP address"},
        {"127.0.0.01", "\"127.0.0.01\" is not an IP address"},
        {"[::1]:80", "\"[::1]:80\" is not an IP address"},
        {"::1 ", "\"::1 \" is not an IP address"},
    };
    ScriptedHandler handler;
    for (const auto& [host, expected] : cases) {
        SCOPED_TRACE(host);
        std::string error;
        EXPECT_FALSE(HttpApiServer::Start(host, 0, handler, error));
        EXPECT_EQ(error, expected);
    }
}

TEST(HttpApiServerTest, ListensOnIpv6Loopback)
{
    for (const char* host : {"::1", "[::1]"}) {
        SCOPED_TRACE(host);
        ScriptedHandler handler;
        const auto server = StartOrFail(handler, {}, host);
        ASSERT_TRUE(server);
        Client client(server->Port(), "::1");
        client.Send(Get("/status"));
        const std::optional<Response> response = client.Read();
        ASSERT_TRUE(response);
        EXPECT_EQ(response->body, "/status");
    }
}

TEST(HttpApiServerTest, RequestsQueueWhileThisThreadIsBusy)
{
    ScriptedHandler handler;
    const auto server = StartOrFail(handler);
    ASSERT_TRUE(server);
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < 5; ++i) {
        clients.push_back(std::make_unique<Client>(server->Port()));
        clients.back()->Send(Get("/n" + std::to_string(i)));
    }
    std::this_thread::sleep_for(milliseconds(500));  // not pumping
    EXPECT_TRUE(handler.seen.empty());
    for (int i = 0; i < 5; ++i) {
        const std::optional<Response> response = clients[i]->Read();
        ASSERT_TRUE(response);
        EXPECT_EQ(response->body, "/n" + std::to_string(i));
    }
    EXPECT_EQ(handler.seen.size(), 5u);
}

TEST(HttpApiServerTest, HandlerRunningAMessageLoopGetsTheNextRequestInsideIt)
{
    ScriptedHandler handler;
    std::vector<std::string> order;
    std::unique_ptr<Client> inner;
    unsigned short port = 0;
    handler.script = [&](const ApiRequest& request, ApiHandler::Reply& reply) {
        order.push_back("begin " + request.target);
        if (request.target == "/outer") {
            // A modal showing or a pumped wait inside a handler: the next
            // request is handed over from there.
            inner = std::make_unique<Client>(port);
            inner->Send(Get("/inner"));
            PumpUntil([&] { return order.size() == 3; });
        }
        order.push_back("end " + request.target);
        reply(ApiAnswer{200, "text/plain", request.target, {}});
    };
    const auto server = StartOrFail(handler);
    ASSERT_TRUE(server);
    port = server->Port();
    Client outer(port);
    outer.Send(Get("/outer"));
    const std::optional<Response> first = outer.Read();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->body, "/outer");
    ASSERT_TRUE(inner);
    const std::optional<Response> second = inner->Read();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->body, "/inner");
    EXPECT_EQ(order, (std::vector<std::string>{"begin /outer", "begin /inner", "end /inner", "end /outer"}));
}

TEST(HttpApiServerTest, EndingWithConnectionsOpenAndAReplyPendingClosesThemAll)
{
    ScriptedHandler handler;
    handler.Hold();
    auto server = StartOrFail(handler);
    ASSERT_TRUE(server);
    Client waiting(server->Port());
    waiting.Send(Get("/redial?wait=60"));
    ASSERT_TRUE(PumpUntil([&] { return handler.held.size() == 1; }));
    Client idle(server->Port());
    Client partial(server->Port());
    partial.Send("GET /sta");
    Client queued(server->Port());
    queued.Send(Get("/ip"));
    std::this_thread::sleep_for(milliseconds(300));  // queued, not delivered: this thread does not pump

    const Clock::time_point start = Clock::now();
    server.reset();
    EXPECT_LE(std::chrono::duration_cast<milliseconds>(Clock::now() - start).count(), 1000);

    for (Client* client : {&waiting, &idle, &partial, &queued}) {
        EXPECT_TRUE(client->ClosedWithin(milliseconds(2000)));
        EXPECT_EQ(client->Unread(), "");
    }
    handler.held[0](ApiAnswer{200, "application/json", "{}", {}});
    handler.held.clear();  // and a reply dropped afterwards
    PumpFor(milliseconds(200));
    EXPECT_EQ(handler.seen.size(), 1u) << "a request queued before the end was handed over";
}

}  // namespace
