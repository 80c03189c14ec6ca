#include "app/HttpApiServer.h"

// Boost 1.74's asio needs <utility> before its own headers under C++20.
#include <utility>

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/address.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core/error.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/string_body.hpp>
#include <boost/beast/http/write.hpp>
#include <nlohmann/json.hpp>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <deque>
#include <limits>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "ui/WindowClass.h"
#include "ui/WindowProtocol.h"

namespace app {

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
// Everything runs on one io_context: its own executor type, rather than the
// type-erased default, keeps the program small.
using Executor = asio::io_context::executor_type;
using Socket = asio::basic_stream_socket<tcp, Executor>;
using Acceptor = asio::basic_socket_acceptor<tcp, Executor>;
using Timer =
    asio::basic_waitable_timer<std::chrono::steady_clock, asio::wait_traits<std::chrono::steady_clock>, Executor>;
using Stream = beast::basic_stream<tcp, Executor, beast::unlimited_rate_policy>;
using boost::system::error_code;
using scheduler::ApiAnswer;
using scheduler::ApiRequest;

constexpr wchar_t kWindowClass[] = L"VelmoraApiRequests";
// How long a connection that is being closed still takes what the client
// sends (the rest of a refused request, say), and how much of it: closing
// a socket with unread data resets the connection, and the client could
// lose the answer.
constexpr std::chrono::milliseconds kLinger{1000};
constexpr std::size_t kLingerBytes = 64 * 1024;
// After a failed accept (no memory, too many sockets) the next one waits
// this long, so that a lasting failure does not spin the thread.
constexpr std::chrono::milliseconds kAcceptRetry{100};

// A JSON body {"error": text}.
std::string ErrorBody(const std::string& text)
{
    return nlohmann::json{{"error", text}}.dump();
}

ApiAnswer ErrorAnswer(int status, const std::string& text)
{
    return ApiAnswer{status, "application/json", ErrorBody(text), {}};
}

// A header value as given by the handler, without line breaks or other
// control characters that would end the header early.
std::string HeaderValue(const std::string& value)
{
    std::string clean;
    clean.reserve(value.size());
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7f) {
            clean += c;
        } else if (c == '\t') {
            clean += ' ';
        }
    }
    return clean;
}

// The listening error as a sentence of plain English; the system's own
// text follows the computer's language.
std::string ListenError(const error_code& error, const std::string& host, unsigned short port)
{
    switch (error.value()) {
    case WSAEADDRINUSE:
        return "port " + std::to_string(port) + " is in use";
    case WSAEADDRNOTAVAIL:
        return "address " + host + " is not on this computer";
    case WSAEACCES:
        return "port " + std::to_string(port) + " is reserved or not permitted";
    case WSAEAFNOSUPPORT:
        return "address " + host + " is of a kind this computer does not support";
    default:
        return "cannot listen on " + host + " port " + std::to_string(port) + " (error " +
               std::to_string(error.value()) + ")";
    }
}

// The system's parser also takes "127.0.0.1:80" (and ignores the port),
// "127.1" and the like; an address is taken only as it is written in full.
bool IsPlainLiteral(const std::string& literal, const asio::ip::address& address)
{
    if (address.is_v4()) {
        return address.to_string() == literal;
    }
    const std::string scope = literal.substr(0, literal.find('%'));
    return !scope.empty() && scope.find_first_not_of("0123456789abcdefABCDEF:.") == std::string::npos;
}

// Keeps a socket out of the processes the program starts (a hook, say): an
// inherited listening socket would hold the port after the program ends.
void KeepFromChildren(SOCKET socket)
{
    ::SetHandleInformation(reinterpret_cast<HANDLE>(socket), HANDLE_FLAG_INHERIT, 0);
}

// Only this socket may bind its address and port: without it, another
// program that binds with SO_REUSEADDR could take the port over on Windows.
using ExclusiveAddressUse = asio::detail::socket_option::boolean<SOL_SOCKET, SO_EXCLUSIVEADDRUSE>;

class Session;

// Where the replies go: the server's io_context while the server lives,
// nowhere afterwards. Shared with every reply, which may outlive the server.
class ReplyGate {
public:
    explicit ReplyGate(asio::io_context& io) : io_(&io) {}

    template <class Work>
    void Post(Work&& work)
    {
        std::lock_guard lock(mutex_);
        if (io_) {
            asio::post(*io_, std::forward<Work>(work));
        }
    }

    void Close()
    {
        std::lock_guard lock(mutex_);
        io_ = nullptr;
    }

private:
    std::mutex mutex_;
    asio::io_context* io_;
};

// The server's side that lives on the server's thread, as a session sees it.
class Sessions {
public:
    virtual ~Sessions() = default;
    virtual const HttpApiLimits& Limits() const = 0;
    // Hands a complete request to the program's thread.
    virtual void HandOver(ApiRequest request, std::weak_ptr<Session> session, std::uint64_t number) = 0;
    virtual void Forget(const Session& session) = 0;
};

// One connection, on the server's thread. It reads one request at a time:
// the next is read only once the previous one is answered.
class Session : public std::enable_shared_from_this<Session> {
public:
    Session(Sessions& sessions, Socket socket) : sessions_(sessions), stream_(std::move(socket)) {}

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void Serve() { Read(); }

    // Answers 503 and closes: the server has enough connections.
    void Turn(const std::string& text) { Refuse(503, text); }

    // The answer to request `number`; nothing when the connection has gone
    // on or is closed.
    void Answer(std::uint64_t number, ApiAnswer answer)
    {
        if (closed_ || number == 0 || number != waiting_) {
            return;
        }
        waiting_ = 0;
        Write(answer, !keepAlive_);
    }

private:
    void Read()
    {
        parser_.emplace();
        parser_->header_limit(static_cast<std::uint32_t>(
            std::min<std::size_t>(sessions_.Limits().headerBytes, std::numeric_limits<std::uint32_t>::max())));
        parser_->body_limit(sessions_.Limits().bodyBytes);
        stream_.expires_after(sessions_.Limits().idle);
        http::async_read(stream_, buffer_, *parser_,
                         [self = shared_from_this()](const error_code& error, std::size_t) { self->Received(error); });
    }

    void Received(const error_code& error)
    {
        if (closed_) {
            return;
        }
        if (error) {
            if (error == http::error::header_limit) {
                Refuse(431, "request line or headers too large");
            } else if (error == http::error::body_limit) {
                Refuse(413, "request body too large");
            } else if (error.category() == http::make_error_code(http::error::end_of_stream).category() &&
                       error != http::error::end_of_stream && error != http::error::partial_message) {
                Refuse(400, "malformed request");
            } else {
                // The client closed, the time ran out, or the server stops.
                Close();
            }
            return;
        }
        stream_.expires_never();
        const http::request<http::string_body>& message = parser_->get();
        version_ = message.version();
        keepAlive_ = message.keep_alive();
        head_ = message.method() == http::verb::head;
        ApiRequest request{std::string(message.method_string()), std::string(message.target()),
                           std::string(message[http::field::authorization])};
        parser_.reset();
        waiting_ = ++requests_;
        sessions_.HandOver(std::move(request), weak_from_this(), waiting_);
    }

    // Answers a request the server refuses itself, and closes.
    void Refuse(int status, const std::string& text)
    {
        parser_.reset();
        version_ = 11;
        head_ = false;
        Write(ErrorAnswer(status, text), true);
    }

    void Write(const ApiAnswer& answer, bool close)
    {
        int status = answer.status;
        std::string body = answer.body;
        if (status < 200 || status > 599) {
            status = 500;
            body = ErrorBody("invalid answer");
        } else if (status == 204 || status == 304) {
            body.clear();  // these never carry a body
        }
        response_.emplace();
        response_->version(version_);
        response_->result(static_cast<unsigned>(status));
        if (!answer.contentType.empty()) {
            response_->set(http::field::content_type, HeaderValue(answer.contentType));
        }
        if (!answer.allow.empty()) {
            response_->set(http::field::allow, HeaderValue(answer.allow));
        }
        response_->set(http::field::cache_control, "no-store");
        response_->body() = std::move(body);
        response_->keep_alive(!close);
        if (close) {
            response_->set(http::field::connection, "close");  // whatever the version
        }
        response_->prepare_payload();
        closeAfter_ = close;

        serializer_.emplace(*response_);
        stream_.expires_after(sessions_.Limits().idle);
        auto written = [self = shared_from_this()](const error_code& error, std::size_t) { self->Written(error); };
        if (head_) {
            // The answer to HEAD is the head of the answer to GET.
            http::async_write_header(stream_, *serializer_, std::move(written));
        } else {
            http::async_write(stream_, *serializer_, std::move(written));
        }
    }

    void Written(const error_code& error)
    {
        serializer_.reset();
        response_.reset();
        if (closed_) {
            return;
        }
        if (error) {
            Close();
        } else if (closeAfter_) {
            Linger();
        } else {
            Read();
        }
    }

    // Closes the sending side and takes what the client still sends, for a
    // moment, before closing.
    void Linger()
    {
        error_code ignored;
        stream_.socket().shutdown(Socket::shutdown_send, ignored);
        stream_.expires_after(std::min<std::chrono::milliseconds>(kLinger, sessions_.Limits().idle));
        lingerBuffer_.resize(4096);
        Drain();
    }

    void Drain()
    {
        stream_.async_read_some(asio::buffer(lingerBuffer_),
                                [self = shared_from_this()](const error_code& error, std::size_t size) {
                                    self->lingered_ += size;
                                    if (error || self->lingered_ >= kLingerBytes) {
                                        self->Close();
                                    } else {
                                        self->Drain();
                                    }
                                });
    }

    void Close()
    {
        if (closed_) {
            return;
        }
        closed_ = true;
        error_code ignored;
        stream_.socket().shutdown(Socket::shutdown_both, ignored);
        stream_.close();
        sessions_.Forget(*this);
    }

    Sessions& sessions_;
    Stream stream_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    std::optional<http::response<http::string_body>> response_;
    std::optional<http::response_serializer<http::string_body>> serializer_;
    std::vector<char> lingerBuffer_;
    std::size_t lingered_ = 0;
    unsigned version_ = 11;
    bool keepAlive_ = false;
    bool head_ = false;
    bool closeAfter_ = false;
    bool closed_ = false;
    std::uint64_t requests_ = 0;  // requests read so far
    std::uint64_t waiting_ = 0;   // the one whose answer is awaited, 0 when none
};

// One reply of the handler: answers its request once; dropped without an
// answer, it answers 500, so that the client is not left waiting.
class ReplyState {
public:
    ReplyState(std::shared_ptr<ReplyGate> gate, std::weak_ptr<Session> session, std::uint64_t number)
        : gate_(std::move(gate)),
          session_(std::move(session)),
          number_(number)
    {
    }
    ~ReplyState() { Send(ErrorAnswer(500, "no answer")); }

    ReplyState(const ReplyState&) = delete;
    ReplyState& operator=(const ReplyState&) = delete;

    void Send(ApiAnswer answer)
    {
        if (answered_.exchange(true)) {
            return;
        }
        gate_->Post([session = session_, number = number_, answer = std::move(answer)]() mutable {
            if (const std::shared_ptr<Session> open = session.lock()) {
                open->Answer(number, std::move(answer));
            }
        });
    }

private:
    std::shared_ptr<ReplyGate> gate_;
    std::weak_ptr<Session> session_;
    std::uint64_t number_;
    std::atomic<bool> answered_{false};
};

// The program's side: a message-only window on the program's thread. The
// server's thread queues each complete request and posts
// ui::WM_APIREQUEST; whichever loop runs delivers it, and the requests are
// handed to the handler here, one at a time, in the order they came.
class Handoff : public std::enable_shared_from_this<Handoff> {
public:
    Handoff(scheduler::ApiHandler& handler, std::shared_ptr<ReplyGate> gate) : handler_(handler), gate_(std::move(gate))
    {
    }

    Handoff(const Handoff&) = delete;
    Handoff& operator=(const Handoff&) = delete;

    // On the program's thread; throws std::runtime_error.
    void Open()
    {
        ui::RegisterWindowClassOnce(kWindowClass, WindowProc);
        window_ = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    ::GetModuleHandleW(nullptr), this);
        if (!window_) {
            throw std::runtime_error("cannot create the API request window");
        }
    }

    // On the program's thread, once the server's thread has ended: drops
    // the requests still queued; the handler is not called again.
    void Close()
    {
        std::deque<Pending> dropped;
        {
            std::lock_guard lock(mutex_);
            dropped.swap(queue_);
        }
        closed_ = true;
        if (window_) {
            ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
            ::DestroyWindow(window_);
            window_ = nullptr;
        }
    }

    // On the server's thread. False when the program's thread cannot be
    // told (its message queue is full); the request is then not queued.
    bool Queue(ApiRequest request, std::weak_ptr<Session> session, std::uint64_t number)
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(Pending{std::move(request), std::move(session), number});
        if (::PostMessageW(window_, ui::WM_APIREQUEST, 0, 0)) {
            return true;
        }
        // Taken already by a delivery an earlier message started, it is
        // on its way all the same.
        const auto found = std::find_if(queue_.begin(), queue_.end(),
                                        [number](const Pending& pending) { return pending.number == number; });
        if (found == queue_.end()) {
            return true;
        }
        queue_.erase(found);
        return false;
    }

private:
    struct Pending {
        ApiRequest request;
        std::weak_ptr<Session> session;
        std::uint64_t number = 0;
    };

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<Handoff*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == ui::WM_APIREQUEST && self) {
            self->Deliver();
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    // A handler may run a message loop of its own (a modal showing, a
    // pumped wait), which delivers the next request inside this one; so
    // each request is taken from the queue just before it is handled.
    void Deliver()
    {
        const std::shared_ptr<Handoff> keep = shared_from_this();
        while (!closed_) {
            std::optional<Pending> next;
            {
                std::lock_guard lock(mutex_);
                if (queue_.empty()) {
                    return;
                }
                next.emplace(std::move(queue_.front()));
                queue_.pop_front();
            }
            auto state = std::make_shared<ReplyState>(gate_, std::move(next->session), next->number);
            scheduler::ApiHandler::Reply reply = [state](ApiAnswer answer) { state->Send(std::move(answer)); };
            try {
                handler_.Handle(next->request, std::move(reply));
            } catch (const std::exception&) {
                // The one place where a failure of the handler is swallowed:
                // the client gets 500 (unless it was answered already) and
                // the program carries on.
                state->Send(ErrorAnswer(500, "internal error"));
            }
        }
    }

    scheduler::ApiHandler& handler_;
    std::shared_ptr<ReplyGate> gate_;
    HWND window_ = nullptr;
    bool closed_ = false;  // the program's thread only
    std::mutex mutex_;
    std::deque<Pending> queue_;
};

}  // namespace

class HttpApiServer::Impl final : public Sessions {
public:
    Impl(scheduler::ApiHandler& handler, const HttpApiLimits& limits)
        : limits_(limits),
          gate_(std::make_shared<ReplyGate>(io_)),
          handoff_(std::make_shared<Handoff>(handler, gate_))
    {
        limits_.connections = std::max<std::size_t>(limits_.connections, 1);
        limits_.idle = std::max(limits_.idle, std::chrono::milliseconds(1));
    }

    ~Impl() override
    {
        gate_->Close();
        io_.stop();
        if (thread_.joinable()) {
            thread_.join();
        }
        handoff_->Close();
        // The sessions close their sockets as they go; those still held by
        // pending operations go with the io_context.
        sessions_.clear();
        error_code ignored;
        acceptor_.close(ignored);
    }

    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    // On the program's thread; an empty text when listening.
    std::string Listen(const std::string& host, unsigned short port)
    {
        std::string literal = host;
        if (literal.size() >= 2 && literal.front() == '[' && literal.back() == ']') {
            literal = literal.substr(1, literal.size() - 2);
        }
        error_code error;
        const asio::ip::address address = asio::ip::make_address(literal, error);
        if (error || !IsPlainLiteral(literal, address)) {
            return "\"" + host + "\" is not an IP address";
        }
        const tcp::endpoint endpoint(address, port);
        if (acceptor_.open(endpoint.protocol(), error)) {
            return ListenError(error, literal, port);
        }
        KeepFromChildren(acceptor_.native_handle());
        acceptor_.set_option(ExclusiveAddressUse(true), error);  // a refusal leaves the usual rules
        if (acceptor_.bind(endpoint, error) || acceptor_.listen(asio::socket_base::max_listen_connections, error)) {
            return ListenError(error, literal, port);
        }
        port_ = acceptor_.local_endpoint(error).port();
        return {};
    }

    // On the program's thread; throws std::runtime_error or
    // std::system_error.
    void Run()
    {
        handoff_->Open();
        Accept();
        thread_ = std::thread([this] { Serve(); });
    }

    unsigned short Port() const { return port_; }

    const HttpApiLimits& Limits() const override { return limits_; }

    void HandOver(ApiRequest request, std::weak_ptr<Session> session, std::uint64_t number) override
    {
        if (!handoff_->Queue(std::move(request), session, number)) {
            if (const std::shared_ptr<Session> open = session.lock()) {
                open->Answer(number, ErrorAnswer(503, "the program is busy"));
            }
        }
    }

    void Forget(const Session& session) override
    {
        turned_.erase(&session);
        sessions_.erase(&session);
    }

private:
    void Serve()
    {
        for (;;) {
            try {
                io_.run();
                return;
            } catch (const std::exception&) {
                // The one place where a failure on the server's thread (no
                // memory for one connection's answer, say) is swallowed: that
                // step is lost and the thread keeps serving the others.
            }
        }
    }

    void Accept()
    {
        acceptor_.async_accept([this](const error_code& error, Socket socket) {
            if (error == asio::error::operation_aborted) {
                return;
            }
            if (error) {
                retry_.expires_after(kAcceptRetry);
                retry_.async_wait([this](const error_code& waited) {
                    if (waited != asio::error::operation_aborted) {
                        Accept();
                    }
                });
                return;
            }
            KeepFromChildren(socket.native_handle());
            // Each answer goes out whole at once: waiting to fill a segment
            // would only hold it back behind the client's delayed ack.
            error_code ignored;
            socket.set_option(tcp::no_delay(true), ignored);
            const std::size_t served = sessions_.size() - turned_.size();
            if (served >= limits_.connections && turned_.size() >= limits_.connections) {
                // Far too many at once: these are not even answered.
                socket.close(ignored);
            } else {
                auto session = std::make_shared<Session>(*this, std::move(socket));
                sessions_.emplace(session.get(), session);
                if (served >= limits_.connections) {
                    turned_.insert(session.get());
                    session->Turn("too many connections");
                } else {
                    session->Serve();
                }
            }
            Accept();
        });
    }

    HttpApiLimits limits_;
    asio::io_context io_{1};
    asio::executor_work_guard<asio::io_context::executor_type> work_{io_.get_executor()};
    Acceptor acceptor_{io_.get_executor()};
    Timer retry_{io_.get_executor()};
    // The server's thread only, once it runs.
    std::unordered_map<const Session*, std::shared_ptr<Session>> sessions_;
    std::unordered_set<const Session*> turned_;  // those answered 503
    std::shared_ptr<ReplyGate> gate_;
    std::shared_ptr<Handoff> handoff_;
    unsigned short port_ = 0;
    std::thread thread_;
};

std::unique_ptr<HttpApiServer> HttpApiServer::Start(const std::string& host, unsigned short port,
                                                    scheduler::ApiHandler& handler, std::string& error,
                                                    const HttpApiLimits& limits)
{
    error.clear();
    try {
        auto impl = std::make_unique<Impl>(handler, limits);
        error = impl->Listen(host, port);
        if (!error.empty()) {
            return nullptr;
        }
        impl->Run();
        return std::make_unique<HttpApiServer>(std::move(impl));
    } catch (const std::system_error&) {
        error = "cannot start the server's thread";
    } catch (const std::runtime_error&) {
        error = "cannot create the server's window";
    }
    return nullptr;
}

HttpApiServer::HttpApiServer(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

HttpApiServer::~HttpApiServer() = default;

unsigned short HttpApiServer::Port() const
{
    return impl_->Port();
}

}  // namespace app
