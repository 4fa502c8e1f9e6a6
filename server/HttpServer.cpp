// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/HttpServer.h"

#include "records/RecordsProtocol.h"
#include "server/ProxyHint.h"
#include "server/RequestDeadline.h"
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
#include <strings.h>
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
    const char* Why = nullptr; // logged instead of the body's code
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
    std::string Address; // the peer's own address
    // The per-address counts this connection holds a slot in, released once: at its reply or
    // at its close, whichever comes first.
    bool CountsAddress = false;
    std::string CountedClient;
    Clock::time_point Accepted = Clock::now();
    // A duplicate of the socket: lets the deadline sweep shut the connection down from its
    // own thread without racing the library's close of the original.
    int Fd = -1;
    std::atomic<bool> LineDone = false; // the request line is in, so TLS is through
    std::atomic<bool> HeadDone = false;
    std::atomic<bool> CutForHead = false;
    std::atomic<bool> CutForSilence = false;
    bool Logged = false;
    unsigned LastStatus = 0;
    std::string Target; // as the library read it, for a reply it made itself
};

// One request: its target as it came, blanks and all, and its answer once there is one.
struct RequestState {
    explicit RequestState(std::string target) : Target(std::move(target)) {}
    std::string Target;
    std::string Method;
    std::string Peer;
    Clock::time_point HeadAt = Clock::now(); // the database's time counts from here
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

// Every X-Forwarded-For line of the request, in the order they came.
MHD_Result CollectForwarded(void* lines, MHD_ValueKind, const char* key, const char* value) {
    if (key != nullptr && value != nullptr && strcasecmp(key, "X-Forwarded-For") == 0)
        static_cast<std::vector<std::string>*>(lines)->emplace_back(value);
    return MHD_YES;
}

// How much of a path the log keeps: enough for any folder a site puts the server under.
constexpr std::size_t kLoggedPathBytes = 200;

std::string PathInLog(std::string_view target) {
    std::string_view path = target.substr(0, std::min(target.find('?'), target.size()));
    if (path.empty())
        return "-";
    if (path.size() <= kLoggedPathBytes)
        return EscapeForLog(path);
    return EscapeForLog(path.substr(0, kLoggedPathBytes)) + "...";
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
        const bool tls = !options_.TlsCert.empty() && !options_.TlsKey.empty();
        // Over TLS the loops poll: libmicrohttpd's epoll loop keeps a connection whose
        // handshake waits for the client among the ready ones and retries it on every turn, so
        // a few thousand stalled handshakes keep every loop busy and slow everyone else.
        unsigned flags = (tls ? MHD_USE_POLL_INTERNAL_THREAD | MHD_USE_TLS
                              : MHD_USE_EPOLL_INTERNAL_THREAD | MHD_USE_TURBO) |
                         MHD_ALLOW_SUSPEND_RESUME;
        // The pool holds the head and the reply's head; twice the head limit leaves room for
        // both, and the limit itself is checked on the whole head below.
        const std::size_t memory = 2 * options_.HeadLimit;
        std::vector<MHD_OptionItem> items = {
            {MHD_OPTION_LISTEN_SOCKET, listenFd_, nullptr},
            {MHD_OPTION_THREAD_POOL_SIZE, static_cast<intptr_t>(options_.Threads), nullptr},
            {MHD_OPTION_CONNECTION_LIMIT, connections, nullptr},
            {MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<intptr_t>(memory), nullptr},
            // Until the request line is in, the sweep alone cuts a silent connection: this
            // only stands behind it.
            {MHD_OPTION_CONNECTION_TIMEOUT,
             std::max(options_.ReadTimeout, options_.HeadTimeout).count() + 5, nullptr},
            {MHD_OPTION_NOTIFY_CONNECTION, reinterpret_cast<intptr_t>(&OnConnection), this},
            {MHD_OPTION_NOTIFY_COMPLETED, reinterpret_cast<intptr_t>(&OnCompleted), this},
            {MHD_OPTION_URI_LOG_CALLBACK, reinterpret_cast<intptr_t>(&OnTarget), this},
        };
        if (tls) {
            // TLS 1.2 and 1.3 only, as the game itself speaks.
            items.push_back({MHD_OPTION_HTTPS_PRIORITIES, 0,
                             const_cast<char*>("NORMAL:-VERS-ALL:+VERS-TLS1.3:+VERS-TLS1.2")});
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
    // which a client dribbling a byte now and then never lets run out. So is a connection
    // without a request line after the read timeout: the library's timeout would also cut it,
    // but leaves the descriptors of one stalled in its TLS handshake open for good.
    void Sweep() {
        std::unique_lock lock(registryMutex_);
        while (sweeping_) {
            sweepWake_.wait_for(lock, std::chrono::milliseconds(200));
            const auto now = Clock::now();
            for (ConnectionState* connection : connections_) {
                if (connection->HeadDone || connection->CutForHead || connection->CutForSilence)
                    continue;
                if (connection->Accepted < now - options_.HeadTimeout)
                    connection->CutForHead = true;
                else if (!connection->LineDone && connection->Accepted < now - options_.ReadTimeout)
                    connection->CutForSilence = true;
                else
                    continue;
                ::shutdown(connection->Fd, SHUT_RDWR);
            }
        }
    }

    static MHD_Result OnAccept(void* self, const sockaddr* address, socklen_t) {
        auto& impl = *static_cast<Impl*>(self);
        const std::string key = AddressText(address);
        // A trusted proxy's connections are counted against the clients they carry, once
        // their heads name them.
        if (impl.options_.MaxPerAddress == 0 || impl.options_.Proxies.Trusts(key))
            return MHD_YES;
        if (impl.TakeSlot(key))
            return MHD_YES;
        impl.log_.Line(EscapeForLog(key) + " - - - refused-too-many-from-address 0.0ms");
        return MHD_NO;
    }

    bool TakeSlot(const std::string& key) {
        std::lock_guard lock(registryMutex_);
        std::size_t& count = perAddress_[key];
        if (count < options_.MaxPerAddress) {
            ++count;
            return true;
        }
        if (count == 0)
            perAddress_.erase(key);
        return false;
    }

    // Frees the connection's slots: once answered, its client may connect again at once,
    // although the library closes the socket a little later.
    void ReleaseSlots(ConnectionState& state) {
        std::lock_guard lock(registryMutex_);
        const auto release = [&](const std::string& key) {
            const auto found = perAddress_.find(key);
            if (found != perAddress_.end() && --found->second == 0)
                perAddress_.erase(found);
        };
        if (state.CountsAddress)
            release(state.Address);
        if (!state.CountedClient.empty())
            release(state.CountedClient);
        state.CountsAddress = false;
        state.CountedClient.clear();
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
            state->CountsAddress =
                impl.options_.MaxPerAddress != 0 && !impl.options_.Proxies.Trusts(state->Address);
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
        }
        impl.ReleaseSlots(*state);
        if (!state->Logged) {
            // No request reached us: say why the connection ended. A head the library
            // refused itself (400, 414, 431, 505) is told by its status when the library
            // still holds it, otherwise as refused; its method is not told.
            unsigned status = state->LastStatus;
            if (status == 0) {
                if (const auto* made =
                        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_HTTP_STATUS))
                    status = made->http_status;
            }
            std::string what = "- closed";
            if (state->CutForHead)
                what = "408 head-too-slow";
            else if (state->CutForSilence)
                what = "- silent";
            else if (status != 0)
                what = std::to_string(status) + " bad-head";
            else if (state->LineDone)
                what = "- head-refused";
            impl.log_.Line(EscapeForLog(state->Peer) + " - " + PathInLog(state->Target) + ' ' +
                           what + ' ' + Millis(Clock::now() - state->Accepted));
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

    static void* OnTarget(void* self, const char* uri, MHD_Connection* connection) {
        auto& impl = *static_cast<Impl*>(self);
        if (ConnectionState* state = StateOf(connection)) {
            if (uri != nullptr)
                state->Target.assign(uri,
                                     std::min<std::size_t>(std::strlen(uri), 2 * kLoggedPathBytes));
            state->LineDone = true;
        }
        // From here on the library's own silence limit is safe to use.
        MHD_set_connection_option(connection, MHD_CONNECTION_OPTION_TIMEOUT,
                                  static_cast<unsigned>(impl.options_.ReadTimeout.count()));
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
        request->Method = method != nullptr ? method : "-";
        request->Peer = state != nullptr ? state->Peer : std::string("-");
        const Route* route = nullptr;
        if (auto refused = impl.Admit(connection, state, *request)) {
            request->Result = std::move(*refused);
            return impl.Respond(connection, *request);
        }
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

    // Finds the client behind a trusted proxy and gives it a slot of its own; the refusal when
    // it holds all of them.
    std::optional<Reply> Admit(MHD_Connection* connection, ConnectionState* state,
                               RequestState& request) {
        const TrustedProxies& proxies = options_.Proxies;
        if (proxies.Empty()) {
            if (auto notice = hint_.Request(request.Peer))
                log_.Line("- notice " + *notice);
            return std::nullopt;
        }
        if (!proxies.Trusts(request.Peer))
            return std::nullopt; // its header is never read
        std::vector<std::string> forwarded;
        MHD_get_connection_values(connection, MHD_HEADER_KIND, &CollectForwarded, &forwarded);
        request.Peer = proxies.Client(request.Peer, forwarded);
        if (state == nullptr || options_.MaxPerAddress == 0 || proxies.Trusts(request.Peer))
            return std::nullopt;
        if (!TakeSlot(request.Peer))
            return Reply{MHD_HTTP_SERVICE_UNAVAILABLE, "", "text/plain", nullptr,
                         "refused-too-many-from-address"};
        state->CountedClient = request.Peer;
        return std::nullopt;
    }

    Reply Run(const Route& route, const RequestState& request) {
        t_peer = request.Peer;
        SetRequestDeadline(request.HeadAt + kRequestTime);
        Reply reply;
        try {
            reply = route.Handler(service_, MendTarget(request.Target), request.Peer);
        } catch (const std::exception& error) {
            // The service answers its own faults; anything else must not end a worker.
            log_.Line(EscapeForLog(request.Peer) + " internal-error " + EscapeForLog(error.what()));
            reply = Reply{MHD_HTTP_INTERNAL_SERVER_ERROR, ""};
        }
        t_peer.clear();
        SetRequestDeadline(std::nullopt);
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
            ReleaseSlots(*state);
            // One line per request: client, method, path as it came (undecoded, so no NUL
            // cuts it short), status, reply, time since the connect. Never the query: it
            // holds the access code.
            state->Logged = true;
            log_.Line(EscapeForLog(request.Peer) + ' ' + EscapeForLog(request.Method) + ' ' +
                      PathInLog(request.Target) + ' ' + std::to_string(reply.Status) + ' ' +
                      (reply.Why != nullptr ? reply.Why : ReplyInLog(reply.Body)) + ' ' +
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
    ProxyHint hint_;

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
