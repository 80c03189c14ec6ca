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

}  // namespace

LoopbackHttpServer::LoopbackHttpServer()
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

LoopbackHttpServer::~LoopbackHttpServer()
{
    closesocket(static_cast<SOCKET>(listener_));
    thread_.join();
}

std::vector<std::string> LoopbackHttpServer::Requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
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
            requests_.push_back(received.substr(0, received.find("\r\n")));
        }
        const std::string body = "<html><body>update</body></html>";
        const std::string reply = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nCache-Control: no-cache\r\n"
                                  "Content-Length: " +
                                  std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
        send(client, reply.data(), static_cast<int>(reply.size()), 0);
        shutdown(client, SD_SEND);
        closesocket(client);
    }
}
