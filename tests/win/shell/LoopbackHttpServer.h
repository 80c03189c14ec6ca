#pragma once
// A tiny HTTP server on 127.0.0.1 with an ephemeral port, on a thread of its
// own: answers every request with a small page and records its request line.

#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LoopbackHttpServer {
public:
    LoopbackHttpServer();   // listening when it returns; throws on failure
    ~LoopbackHttpServer();  // stops the thread

    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    unsigned short Port() const { return port_; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }

    // Request lines received so far, e.g. "GET /update/main1.htm HTTP/1.1".
    std::vector<std::string> Requests() const;

private:
    void Serve();

    unsigned long long listener_;  // SOCKET, kept free of winsock2.h here
    unsigned short port_ = 0;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};
