// The HTTP API's requests and answers as the program's thread sees them:
// the server thread parses a request, hands it over, and sends back the
// answer it is given.
#pragma once

#include <functional>
#include <string>

namespace scheduler {

struct ApiRequest {
    std::string method;         // "GET", "POST", ...
    std::string target;         // "/redial?wait=30"
    std::string authorization;  // the Authorization header's value, empty when none
};

struct ApiAnswer {
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
    std::string allow;  // the Allow header of a 405, empty otherwise
};

// Answers requests on the program's thread.
class ApiHandler {
public:
    using Reply = std::function<void(ApiAnswer)>;

    virtual ~ApiHandler() = default;

    // Called on the program's thread. `reply` is called once, on the
    // program's thread, now or later (a re-dial with a wait answers once
    // the cycle has an outcome); the server may have closed the connection
    // by then, and then the answer goes nowhere.
    virtual void Handle(const ApiRequest& request, Reply reply) = 0;
};

}  // namespace scheduler
