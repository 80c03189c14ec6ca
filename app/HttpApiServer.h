// The HTTP API's server: listens on a loopback (or any local) address, reads
// requests on a thread of its own and hands each complete one to the
// program's thread, where the API's handler answers it.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "scheduler/ApiTypes.h"

namespace app {

// What the server answers by itself, without the program's thread.
struct HttpApiLimits {
    // A connection that has not sent a whole request within this time is
    // closed; the time starts again with each request of a kept-alive
    // connection, and it also bounds the writing of an answer.
    std::chrono::milliseconds idle{10000};
    // Connections served at once; one more is answered 503 and closed.
    std::size_t connections = 16;
    // The request line and the headers together; more is answered 431.
    std::size_t headerBytes = 8192;
    // A request's body, announced or chunked; more is answered 413.
    std::size_t bodyBytes = 1024;
};

class HttpApiServer {
public:
    // Called on the program's thread, which must pump messages: the
    // handler's Handle and every reply run there, from whichever loop is
    // running. Listens on `host` (an IPv4 or IPv6 literal, the latter also
    // in brackets) and `port` (0 picks a free one, see Port) before it
    // returns. On failure returns null and sets `error` to a plain English
    // sentence ("port 17080 is in use", "address 192.0.2.1 is not on this
    // computer", ...). `handler` must outlive the server.
    static std::unique_ptr<HttpApiServer> Start(const std::string& host, unsigned short port,
                                                scheduler::ApiHandler& handler, std::string& error,
                                                const HttpApiLimits& limits = {});

    // On the program's thread: stops listening, closes every connection and
    // joins the server's thread. Requests not yet handed to the handler are
    // dropped; a reply called afterwards goes nowhere.
    ~HttpApiServer();

    HttpApiServer(const HttpApiServer&) = delete;
    HttpApiServer& operator=(const HttpApiServer&) = delete;

    // The port listened on.
    unsigned short Port() const;

    class Impl;
    // Made by Start only: nothing else can make an Impl.
    explicit HttpApiServer(std::unique_ptr<Impl> impl);

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace app
