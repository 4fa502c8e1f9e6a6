// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The records service over HTTP on GNU libmicrohttpd: event loops on a few threads (epoll for
// plain HTTP; poll for https, where the library's epoll loop would spin on every handshake
// waiting for its client) read every request head without blocking, so slow or idle clients
// cost memory within a fixed bound and no thread; only whole heads reach the record service. One
// request per connection, as the game makes them.
#include "server/LogWriter.h"
#include "server/RecordService.h"
#include "server/TrustedProxies.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

namespace lexfall::server {

struct ServeOptions {
    std::string Host = "127.0.0.1";
    int Port = 8642; // 0 picks a free port
    // Threads of the event loops, and as many again for the requests that reach the database.
    std::size_t Threads = 8;
    // Check WR reads no database (the world record is kept at hand): answered on the loop.
    bool QuickWorldRecord = false;
    // A client that sends nothing for this long is cut off.
    std::chrono::seconds ReadTimeout{5};
    // The whole head (request line and header lines) must arrive within this time of the
    // connect and fit in this many bytes.
    std::chrono::seconds HeadTimeout{10};
    std::size_t HeadLimit = 8192;
    // Open connections from one client; 0 for no limit. A client behind a trusted proxy is
    // counted from its whole head to its reply, the proxy itself not at all.
    std::size_t MaxPerAddress = 32;
    // Requests from these take the client's address from X-Forwarded-For.
    TrustedProxies Proxies;
    // PEM text of the certificate chain and key; both set serves https.
    std::string TlsCert;
    std::string TlsKey;
};

class HttpServer {
public:
    HttpServer(RecordService& service, ServeOptions options, LogWriter& log);
    ~HttpServer();

    // Listens and starts answering; throws std::runtime_error with a plain message when it
    // cannot. Returns the port, which tells a port chosen by the system.
    int Bind();
    // Blocks until Stop, then stops taking connections, lets the open ones finish for a few
    // seconds and closes the rest.
    void Run();
    // Safe from any thread, also from a signal-waiting one.
    void Stop();

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

// The client address of the request this thread is answering, empty outside a request: lets
// the database's error lines name the client too.
const std::string& PeerOfThisThread();

} // namespace lexfall::server
