// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/HttpServer.h"

#include "records/RecordsProtocol.h"
#include "server/RequestLine.h"
#include "server/WorkerPool.h"

#include <microhttpd.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <unordered_set>

namespace lexfall::server {

namespace {

using Clock = std::chrono::steady_clock;

thread_local std::string t_peer;

struct Reply {
    int Status = 200;
    std::string Body;
    const char* ContentType = "text/plain";
    const char* CacheControl = nullptr;
};

using Answer = Reply (*)(RecordService&, std::string_view target, const std::string& peer);

// Every endpoint the server answers, in one place. A path matches when it ends with "/" and
// the name, so the server can sit under a folder of a larger site. Quick routes may be answered on
// the event loop when the server says their data is at hand; the others run on the workers.
struct Route {
    std::string_view Endpoint;
    Answer Handler;
    bool Quick = false;
};

const Route kRoutes[] = {
    {protocol::kCheckWrEndpoint,
     [](RecordService& service, std::string_view, const std::string&) {
         return Reply{200, service.CheckWR()};
     },
     true},
    {protocol::kGetMyRecEndpoint,
     [](RecordService& service, std::string_view target, const std::string& peer) {
         return Reply{200, service.GetMyRec(Query(target), peer)};
     }},
    {protocol::kPutMyRecEndpoint,
     [](RecordService& service, std::string_view target, const std::string& peer) {
         return Reply{200, service.PutMyRec(Query(target), peer)};
     }},
    // The standings page, for people, at the server's root or its folder; last, since every
    // folder path ends with it. A few seconds of caching spares the database.
    {"",
     [](RecordService& service, std::string_view, const std::string&) {
         return Reply{200, service.StandingsPage(), "text/html; charset=utf-8", "max-age=5"};
     }},
};

// One accepted connection, from the connect to the close.
struct ConnectionState {
    std::string Peer;
    std::string Address; // the key of the per-address count
    Clock::time_point Accepted = Clock::now();
    // A duplicate of the socket: lets the deadline sweep shut the connection down from its
    // own thread without racing the library's close of the original.
    int Fd = -1;
    std::atomic<bool> HeadDone = false;
    std::atomic<bool> CutForHead = false;
    bool Logged = false;
    unsigned LastStatus = 0;
};

// One request: its target as it came, blanks and all, and its answer once there is one.
struct RequestState {
    explicit RequestState(std::string target) : Target(std::move(target)) {}
    std::string Target;
    std::string Peer;
    bool Started = false;
    std::atomic<bool> Ready = false;
    Reply Result;
};

std::string AddressText(const sockaddr* address) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address == nullptr)
        return "-";
    if (address->sa_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text,
                  sizeof text);
    else if (address->sa_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, text,
                  sizeof text);
    else
        return "-";
    return text;
}

std::string Millis(Clock::duration elapsed) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1fms",
                  std::chrono::duration<double, std::milli>(elapsed).count());
    return text;
}

// What the log shows of a reply: the code itself, "record" for a record text, "empty".
std::string ReplyInLog(const std::string& body) {
    if (body.empty())
        return "empty";
    if (body.size() == 1)
        return EscapeForLog(body);
    return "record";
}

// The last address in X-Forwarded-For: the one the trusted proxy itself added.
std::string ForwardedClient(std::string_view header) {
    const std::size_t comma = header.rfind(',');
    std::string_view last = comma == std::string_view::npos ? header : header.substr(comma + 1);
    while (!last.empty() && (last.front() == ' ' || last.front() == '\t'))
        last.remove_prefix(1);
    while (!last.empty() && (last.back() == ' ' || last.back() == '\t'))
        last.remove_suffix(1);
    return std::string(last);
}

// The target with blanks and later "?" escaped, as the query parser expects it.
std::string MendTarget(std::string_view target) {
    const std::string line = MendRequestLine("GET " + std::string(target) + " H");
    return line.substr(4, line.size() - 6);
}

} // namespace

class HttpServer::Impl {
public:
    Impl(RecordService& service, ServeOptions options, LogWriter& log)
        : service_(service), options_(std::move(options)), log_(log), workers_(options_.Threads) {}

    ~Impl() {
        // A running daemon closes the listening socket it was given; otherwise it is ours.
        if (daemon_ != nullptr)
            listenFd_ = -1;
        Halt();
        if (listenFd_ >= 0)
            ::close(listenFd_);
    }

    int Bind() {
        listenFd_ = Listen();
        sockaddr_storage bound{};
        socklen_t length = sizeof bound;
        getsockname(listenFd_, reinterpret_cast<sockaddr*>(&bound), &length);
        const int port =
            ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6&>(bound).sin6_port
                                              : reinterpret_cast<sockaddr_in&>(bound).sin_port);
        Start();
        sweeper_ = std::thread([this] { Sweep(); });
        return port;
    }

    void Run() {
        {
            std::unique_lock lock(stopMutex_);
            stopWanted_.wait(lock, [&] { return stopping_; });
        }
        // No new connections; the open ones get a little time to finish, so a request in
        // flight is answered while slow clients cannot hold the stop up.
        const MHD_socket listening = MHD_quiesce_daemon(daemon_);
        if (listening != MHD_INVALID_SOCKET && listening == listenFd_) {
            ::close(listenFd_);
            listenFd_ = -1;
        }
        const auto deadline = Clock::now() + std::chrono::seconds(4);
        while (open_.load() > 0 && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        Halt();
    }

    void Stop() {
        {
            std::lock_guard lock(stopMutex_);
            stopping_ = true;
        }
        stopWanted_.notify_all();
    }

private:
    int Listen() {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
        addrinfo* found = nullptr;
        const std::string port = std::to_string(options_.Port);
        const std::string where = options_.Host + ":" + port;
        if (getaddrinfo(options_.Host.c_str(), port.c_str(), &hints, &found) != 0 || !found)
            throw std::runtime_error("cannot listen on " + where +
                                     ": the address is not available");
        const int fd = ::socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        int yes = 1;
        const bool ok =
            fd >= 0 && setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) == 0 &&
            ::bind(fd, found->ai_addr, found->ai_addrlen) == 0 && ::listen(fd, SOMAXCONN) == 0;
        const int error = errno;
        freeaddrinfo(found);
        if (!ok) {
            if (fd >= 0)
                ::close(fd);
            throw std::runtime_error(
                "cannot listen on " + where + ": " +
                (error == EADDRINUSE ? std::string("the port is in use") : std::strerror(error)));
        }
        return fd;
    }

    void Start() {
        // Each connection holds its socket and the sweep's duplicate; keep some files spare.
        rlimit files{};
        getrlimit(RLIMIT_NOFILE, &files);
        const rlim_t usable = std::clamp<rlim_t>(files.rlim_cur, 256, 1'000'000);
        const auto connections = static_cast<unsigned>(usable / 2 - 64);
        unsigned flags = MHD_USE_EPOLL_INTERNAL_THREAD | MHD_ALLOW_SUSPEND_RESUME | MHD_USE_TURBO;
        const bool tls = !options_.TlsCert.empty() && !options_.TlsKey.empty();
        if (tls)
            flags |= MHD_USE_TLS;
        // The pool holds the head and the reply's head; twice the head limit leaves room for
        // both, and the limit itself is checked on the whole head below.
        const std::size_t memory = 2 * options_.HeadLimit;
        std::vector<MHD_OptionItem> items = {
            {MHD_OPTION_LISTEN_SOCKET, listenFd_, nullptr},
            {MHD_OPTION_THREAD_POOL_SIZE, static_cast<intptr_t>(options_.Threads), nullptr},
            {MHD_OPTION_CONNECTION_LIMIT, connections, nullptr},
            {MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<intptr_t>(memory), nullptr},
            {MHD_OPTION_CONNECTION_TIMEOUT, options_.ReadTimeout.count(), nullptr},
            {MHD_OPTION_NOTIFY_CONNECTION, reinterpret_cast<intptr_t>(&OnConnection), this},
            {MHD_OPTION_NOTIFY_COMPLETED, reinterpret_cast<intptr_t>(&OnCompleted), this},
            {MHD_OPTION_URI_LOG_CALLBACK, reinterpret_cast<intptr_t>(&OnTarget), this},
        };
        if (tls) {
            items.push_back({MHD_OPTION_HTTPS_MEM_CERT, 0, options_.TlsCert.data()});
            items.push_back({MHD_OPTION_HTTPS_MEM_KEY, 0, options_.TlsKey.data()});
        }
        items.push_back({MHD_OPTION_END, 0, nullptr});
        daemon_ = MHD_start_daemon(flags, 0, &OnAccept, this, &OnRequest, this, MHD_OPTION_ARRAY,
                                   items.data(), MHD_OPTION_END);
        if (daemon_ == nullptr)
            throw std::runtime_error(tls ? "cannot start https: check the certificate and key"
                                         : "cannot start the HTTP server");
    }

    void Halt() {
        // The library may not stop while a connection waits for a worker: the workers answer
        // what they hold first.
        workers_.Stop();
        if (daemon_ != nullptr) {
            MHD_stop_daemon(daemon_);
            daemon_ = nullptr;
        }
        {
            std::lock_guard lock(registryMutex_);
            sweeping_ = false;
        }
        sweepWake_.notify_all();
        if (sweeper_.joinable())
            sweeper_.join();
    }

    // Heads that take too long are cut here: the library's own timeout counts only silence,
    // which a client dribbling a byte now and then never lets run out.
    void Sweep() {
        std::unique_lock lock(registryMutex_);
        while (sweeping_) {
            sweepWake_.wait_for(lock, std::chrono::milliseconds(200));
            const auto limit = Clock::now() - options_.HeadTimeout;
            for (ConnectionState* connection : connections_) {
                if (!connection->HeadDone && !connection->CutForHead &&
                    connection->Accepted < limit) {
                    connection->CutForHead = true;
                    ::shutdown(connection->Fd, SHUT_RDWR);
                }
            }
        }
    }

    static MHD_Result OnAccept(void* self, const sockaddr* address, socklen_t) {
        auto& impl = *static_cast<Impl*>(self);
        if (impl.options_.MaxPerAddress == 0)
            return MHD_YES;
        const std::string key = AddressText(address);
        {
            std::lock_guard lock(impl.registryMutex_);
            std::size_t& count = impl.perAddress_[key];
            if (count < impl.options_.MaxPerAddress) {
                ++count;
                return MHD_YES;
            }
        }
        impl.log_.Line(EscapeForLog(key) + " - - refused-too-many-from-address 0.0ms");
        return MHD_NO;
    }

    static void OnConnection(void* self, MHD_Connection* connection, void** context,
                             MHD_ConnectionNotificationCode code) {
        auto& impl = *static_cast<Impl*>(self);
        if (code == MHD_CONNECTION_NOTIFY_STARTED) {
            auto* state = new ConnectionState;
            const auto* info =
                MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
            state->Address = AddressText(info ? info->client_addr : nullptr);
            state->Peer = state->Address;
            if (const auto* fd =
                    MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD))
                state->Fd = fcntl(fd->connect_fd, F_DUPFD_CLOEXEC, 0);
            *context = state;
            ++impl.open_;
            std::lock_guard lock(impl.registryMutex_);
            impl.connections_.insert(state);
            return;
        }
        auto* state = static_cast<ConnectionState*>(*context);
        if (state == nullptr)
            return;
        {
            std::lock_guard lock(impl.registryMutex_);
            impl.connections_.erase(state);
            if (impl.options_.MaxPerAddress != 0) {
                const auto found = impl.perAddress_.find(state->Address);
                if (found != impl.perAddress_.end() && --found->second == 0)
                    impl.perAddress_.erase(found);
            }
        }
        if (!state->Logged) {
            // No request was answered: say why the connection ended.
            std::string what = "- closed";
            if (state->CutForHead)
                what = "408 head-too-slow";
            else if (state->LastStatus != 0)
                what = std::to_string(state->LastStatus) + " bad-head";
            impl.log_.Line(EscapeForLog(state->Peer) + " - " + what + ' ' +
                           Millis(Clock::now() - state->Accepted));
        }
        if (state->Fd >= 0)
            ::close(state->Fd);
        delete state;
        --impl.open_;
    }

    static ConnectionState* StateOf(MHD_Connection* connection) {
        const auto* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
        return info ? static_cast<ConnectionState*>(info->socket_context) : nullptr;
    }

    static void* OnTarget(void*, const char* uri, MHD_Connection*) {
        return new RequestState(uri ? uri : "");
    }

    static void OnCompleted(void*, MHD_Connection* connection, void** context,
                            MHD_RequestTerminationCode) {
        delete static_cast<RequestState*>(*context);
        *context = nullptr;
        ConnectionState* state = StateOf(connection);
        const auto* status = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_HTTP_STATUS);
        if (state != nullptr && status != nullptr)
            state->LastStatus = status->http_status;
    }

    static MHD_Result OnRequest(void* self, MHD_Connection* connection, const char* url,
                                const char* method, const char*, const char*, size_t* uploadSize,
                                void** context) {
        auto& impl = *static_cast<Impl*>(self);
        auto* request = static_cast<RequestState*>(*context);
        if (request == nullptr)
            *context = request = new RequestState(url != nullptr ? url : "");
        if (request->Ready)
            return impl.Respond(connection, *request);
        if (request->Started) {
            *uploadSize = 0; // a body nobody asked for is dropped
            return MHD_YES;
        }
        request->Started = true;
        ConnectionState* state = StateOf(connection);
        if (state != nullptr)
            state->HeadDone = true;
        request->Peer = state != nullptr ? state->Peer : std::string("-");
        if (!impl.options_.TrustProxy.empty() && request->Peer == impl.options_.TrustProxy) {
            const char* forwarded =
                MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "X-Forwarded-For");
            if (forwarded != nullptr && !ForwardedClient(forwarded).empty())
                request->Peer = ForwardedClient(forwarded);
        }
        const Route* route = nullptr;
        if (auto refused =
                impl.Check(connection, method, url != nullptr ? url : "", request->Target, route)) {
            request->Result = std::move(*refused);
            return impl.Respond(connection, *request);
        }
        if (route->Quick && impl.options_.QuickWorldRecord) {
            request->Result = impl.Run(*route, *request);
            return impl.Respond(connection, *request);
        }
        // The database may take its time: the request waits off the loop, which meanwhile
        // serves every other connection it holds, and comes back here once answered.
        MHD_suspend_connection(connection);
        const auto answer = [&impl, connection, request, route] {
            request->Result = impl.Run(*route, *request);
            request->Ready = true;
            MHD_resume_connection(connection);
        };
        if (!impl.workers_.Post(answer))
            answer(); // stopping: no workers left
        return MHD_YES;
    }

    Reply Run(const Route& route, const RequestState& request) {
        t_peer = request.Peer;
        Reply reply;
        try {
            reply = route.Handler(service_, MendTarget(request.Target), request.Peer);
        } catch (const std::exception& error) {
            // The service answers its own faults; anything else must not end a worker.
            log_.Line(EscapeForLog(request.Peer) + " internal-error " + EscapeForLog(error.what()));
            reply = Reply{MHD_HTTP_INTERNAL_SERVER_ERROR, ""};
        }
        t_peer.clear();
        return reply;
    }

    MHD_Result Respond(MHD_Connection* connection, RequestState& request) {
        const Reply& reply = request.Result;
        MHD_Response* response = MHD_create_response_from_buffer(
            reply.Body.size(), const_cast<char*>(reply.Body.data()), MHD_RESPMEM_MUST_COPY);
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, reply.ContentType);
        if (reply.CacheControl != nullptr)
            MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, reply.CacheControl);
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
        if (reply.Status == MHD_HTTP_METHOD_NOT_ALLOWED)
            MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, "GET");
        const MHD_Result queued =
            MHD_queue_response(connection, static_cast<unsigned>(reply.Status), response);
        MHD_destroy_response(response);
        if (ConnectionState* state = StateOf(connection)) {
            // One line per request: peer, path as it came (undecoded, so no NUL cuts it
            // short), status, reply, time since the connect. Never the query: it holds the
            // access code.
            const std::string_view target = request.Target;
            state->Logged = true;
            log_.Line(EscapeForLog(request.Peer) + ' ' +
                      EscapeForLog(target.substr(0, std::min(target.find('?'), target.size()))) +
                      ' ' + std::to_string(reply.Status) + ' ' + ReplyInLog(reply.Body) + ' ' +
                      Millis(Clock::now() - state->Accepted));
        }
        return queued;
    }

    // The refusal of a request that no route may answer; otherwise the route that does.
    std::optional<Reply> Check(MHD_Connection* connection, std::string_view method,
                               std::string_view path, std::string_view target,
                               const Route*& found) {
        const auto* head =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_REQUEST_HEADER_SIZE);
        if (target.size() > options_.HeadLimit)
            return Reply{MHD_HTTP_URI_TOO_LONG, ""};
        if (head != nullptr && head->header_size > options_.HeadLimit)
            return Reply{MHD_HTTP_REQUEST_HEADER_FIELDS_TOO_LARGE, ""};
        // Only GET acts: HEAD would run a put as surely as GET and then drop the reply.
        if (method != MHD_HTTP_METHOD_GET)
            return Reply{MHD_HTTP_METHOD_NOT_ALLOWED, ""};
        // Our requests carry no body; one that does is answered before it is read, so it
        // cannot hold the connection open byte by byte.
        const char* length = MHD_lookup_connection_value(connection, MHD_HEADER_KIND,
                                                         MHD_HTTP_HEADER_CONTENT_LENGTH);
        if ((length != nullptr && std::string_view(length) != "0") ||
            MHD_lookup_connection_value(connection, MHD_HEADER_KIND,
                                        MHD_HTTP_HEADER_TRANSFER_ENCODING) != nullptr)
            return Reply{MHD_HTTP_CONTENT_TOO_LARGE, ""};
        for (const Route& route : kRoutes) {
            if (path.ends_with(route.Endpoint) &&
                path.substr(0, path.size() - route.Endpoint.size()).ends_with('/')) {
                found = &route;
                return std::nullopt;
            }
        }
        return Reply{MHD_HTTP_NOT_FOUND, ""};
    }

    RecordService& service_;
    ServeOptions options_;
    LogWriter& log_;
    int listenFd_ = -1;
    MHD_Daemon* daemon_ = nullptr;

    std::mutex registryMutex_;
    std::condition_variable sweepWake_;
    bool sweeping_ = true;
    std::unordered_set<ConnectionState*> connections_;
    std::map<std::string, std::size_t> perAddress_;
    std::atomic<int> open_ = 0;
    std::thread sweeper_;
    WorkerPool workers_;

    std::mutex stopMutex_;
    std::condition_variable stopWanted_;
    bool stopping_ = false;
};

HttpServer::HttpServer(RecordService& service, ServeOptions options, LogWriter& log)
    : impl_(std::make_unique<Impl>(service, std::move(options), log)) {}

HttpServer::~HttpServer() = default;

int HttpServer::Bind() {
    return impl_->Bind();
}
void HttpServer::Run() {
    impl_->Run();
}
void HttpServer::Stop() {
    impl_->Stop();
}

const std::string& PeerOfThisThread() {
    return t_peer;
}

} // namespace lexfall::server
