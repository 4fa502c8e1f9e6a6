#pragma once
// The records service over HTTP on cpp-httplib: one request per connection, as the game makes
// them, on a fixed pool of threads with a bounded queue of waiting connections.
#include "server/RecordService.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <ostream>
#include <string>

namespace lexfall::server {

struct ServeOptions {
    std::string Host = "127.0.0.1";
    int Port = 8642; // 0 picks a free port
    std::size_t Threads = 8;
    // Connections waiting for a thread; more are closed at once instead of piling up.
    std::size_t MaxWaiting = 256;
    // A client that sends nothing for this long, or has not sent its whole request within
    // twice this long, is cut off.
    std::chrono::seconds ReadTimeout{5};
};

class HttpServer {
public:
    HttpServer(RecordService& service, ServeOptions options, std::ostream& log);
    ~HttpServer();

    // Binds the address; throws std::runtime_error with a plain message when it cannot.
    // Returns the port, which tells a port chosen by the system.
    int Bind();
    // Serves until Stop; the requests in flight are answered before it returns.
    void Run();
    // Safe from any thread.
    void Stop();

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace lexfall::server
