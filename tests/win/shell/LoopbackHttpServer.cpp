#include "tests/win/shell/LoopbackHttpServer.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <stdexcept>

namespace {

struct Winsock {
    Winsock()
    {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
            throw std::runtime_error("WSAStartup failed");
        }
    }
    ~Winsock() { WSACleanup(); }
};

void EnsureWinsock()
{
    static Winsock winsock;
}

std::string SmallPage()
{
    const std::string body = "<html><body>update</body></html>";
    return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nCache-Control: no-cache\r\n"
           "Content-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

}  // namespace

LoopbackHttpServer::LoopbackHttpServer() : LoopbackHttpServer(SmallPage()) {}

LoopbackHttpServer::LoopbackHttpServer(std::string reply) : reply_(std::move(reply))
{
    Listen();
}

LoopbackHttpServer::LoopbackHttpServer(std::string reply, std::chrono::milliseconds pausePerByte)
    : reply_(std::move(reply)),
      pause_(pausePerByte)
{
    Listen();
}

LoopbackHttpServer::LoopbackHttpServer(NeverAnswer) : answers_(false)
{
    Listen();
}

void LoopbackHttpServer::Listen()
{
    EnsureWinsock();
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        throw std::runtime_error("socket failed");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof address;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, 8) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closesocket(s);
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    listener_ = s;
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

unsigned short LoopbackHttpServer::RefusingPort()
{
    EnsureWinsock();
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    const bool bound = s != INVALID_SOCKET && bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    closesocket(s);
    if (!bound) {
        throw std::runtime_error("no free port on 127.0.0.1");
    }
    return ntohs(address.sin_port);
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    stopping_ = true;
    closesocket(static_cast<SOCKET>(listener_));
    thread_.join();
    for (const unsigned long long client : held_) {
        closesocket(static_cast<SOCKET>(client));
    }
}

std::vector<std::string> LoopbackHttpServer::Requests() const
{
    std::vector<std::string> lines;
    for (const std::string& head : RequestHeads()) {
        lines.push_back(head.substr(0, head.find("\r\n")));
    }
    return lines;
}

std::vector<std::string> LoopbackHttpServer::RequestHeads() const
{
    std::lock_guard lock(mutex_);
    return heads_;
}

void LoopbackHttpServer::Serve()
{
    for (;;) {
        const SOCKET client = accept(static_cast<SOCKET>(listener_), nullptr, nullptr);
        if (client == INVALID_SOCKET) {
            return;  // the listener was closed
        }
        std::string received;
        char buffer[2048];
        while (received.find("\r\n\r\n") == std::string::npos) {
            const int n = recv(client, buffer, sizeof buffer, 0);
            if (n <= 0) {
                break;
            }
            received.append(buffer, static_cast<std::size_t>(n));
        }
        if (!received.empty()) {
            std::lock_guard lock(mutex_);
            const std::size_t end = received.find("\r\n\r\n");
            heads_.push_back(end == std::string::npos ? received : received.substr(0, end + 2));
        }
        if (!answers_) {
            std::lock_guard lock(mutex_);
            held_.push_back(client);
            continue;
        }
        if (pause_.count() == 0) {
            send(client, reply_.data(), static_cast<int>(reply_.size()), 0);
        } else {
            for (std::size_t at = 0; at < reply_.size() && !stopping_; ++at) {
                if (send(client, reply_.data() + at, 1, 0) != 1) {
                    break;
                }
                std::this_thread::sleep_for(pause_);
            }
        }
        shutdown(client, SD_SEND);
        closesocket(client);
    }
}
