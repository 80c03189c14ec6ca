#pragma once
// A tiny HTTP server on 127.0.0.1 with an ephemeral port, on a thread of its
// own: answers every request as scripted (a small page unless told
// otherwise) and records what it received.

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LoopbackHttpServer {
public:
    // Reads each request and then never answers it: the connection stays
    // open until the server goes.
    struct NeverAnswer {};

    LoopbackHttpServer();  // answers with a small page; listening when it returns; throws on failure
    // Answers each request with exactly these bytes (status line, headers
    // and body) and closes the connection.
    explicit LoopbackHttpServer(std::string reply);
    // The same, one byte at a time with a pause after each.
    LoopbackHttpServer(std::string reply, std::chrono::milliseconds pausePerByte);
    explicit LoopbackHttpServer(NeverAnswer);
    ~LoopbackHttpServer();  // stops the thread and closes every connection

    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // A loopback port that nothing listens on: a connection there is refused.
    static unsigned short RefusingPort();

    unsigned short Port() const { return port_; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }

    // Request lines received so far, e.g. "GET /update/main1.htm HTTP/1.1".
    std::vector<std::string> Requests() const;
    // The whole heads received so far: request line and headers.
    std::vector<std::string> RequestHeads() const;

private:
    void Listen();
    void Serve();

    std::string reply_;
    std::chrono::milliseconds pause_{0};
    bool answers_ = true;
    std::atomic<bool> stopping_{false};
    unsigned long long listener_ = ~0ull;  // SOCKET, kept free of winsock2.h here
    unsigned short port_ = 0;
    mutable std::mutex mutex_;
    std::vector<std::string> heads_;
    std::vector<unsigned long long> held_;  // connections left unanswered
    std::thread thread_;
};
