#include "server/HttpServer.h"

#include "platform/posix/Poll.h"
#include "server/RequestLine.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace lexfall::server {

namespace {

using Clock = std::chrono::steady_clock;

// One accepted connection as cpp-httplib's stream, reading through a buffer that starts with
// the mended request line. Every read ends at the connection's deadline.
class ConnectionStream final : public httplib::Stream {
public:
    ConnectionStream(int fd, std::chrono::seconds idle)
        : fd_(fd), idle_(idle), deadline_(Clock::now() + 2 * idle) {}

    // Reads up to the end of the request line and mends it; a line too long to be a request
    // of ours is left for the parser to refuse.
    void MendFirstLine(std::size_t limit) {
        std::size_t end;
        while ((end = buffer_.find('\n')) == std::string::npos && buffer_.size() < limit) {
            if (Fill() <= 0)
                return;
        }
        if (end == std::string::npos)
            return;
        const std::size_t lineEnd = end > 0 && buffer_[end - 1] == '\r' ? end - 1 : end;
        buffer_ =
            MendRequestLine(std::string_view(buffer_).substr(0, lineEnd)) + buffer_.substr(lineEnd);
    }

    bool is_readable() const override { return offset_ < buffer_.size() || Wait(POLLIN); }
    bool is_writable() const override { return Wait(POLLOUT); }

    ssize_t read(char* data, size_t size) override {
        if (offset_ == buffer_.size()) {
            buffer_.clear();
            offset_ = 0;
            const ssize_t got = Fill();
            if (got <= 0)
                return got;
        }
        const std::size_t count = std::min(size, buffer_.size() - offset_);
        std::memcpy(data, buffer_.data() + offset_, count);
        offset_ += count;
        return static_cast<ssize_t>(count);
    }

    ssize_t write(const char* data, size_t size) override {
        if (!Wait(POLLOUT))
            return -1;
        return ::send(fd_, data, size, MSG_NOSIGNAL);
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        Address(::getpeername, ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        Address(::getsockname, ip, port);
    }
    socket_t socket() const override { return fd_; }

private:
    ssize_t Fill() {
        if (!Wait(POLLIN))
            return -1;
        char chunk[4096];
        const ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
        if (got > 0)
            buffer_.append(chunk, static_cast<std::size_t>(got));
        return got;
    }

    // Reading is bounded by the deadline of the whole request; writing the reply only by the
    // idle limit, so a slow database never costs a reply that is ready.
    bool Wait(short events) const {
        const Clock::duration limit =
            events == POLLIN ? std::min<Clock::duration>(deadline_ - Clock::now(), idle_)
                             : Clock::duration(idle_);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(limit);
        return left.count() > 0 && posix::PollFor(fd_, events, left) > 0;
    }

    template <class Lookup> void Address(Lookup lookup, std::string& ip, int& port) const {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (lookup(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        char text[INET6_ADDRSTRLEN] = {};
        if (address.ss_family == AF_INET) {
            const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
            inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
            port = ntohs(v4.sin_port);
        } else if (address.ss_family == AF_INET6) {
            const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
            inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
            port = ntohs(v6.sin6_port);
        }
        ip = text;
    }

    int fd_;
    std::chrono::seconds idle_;
    Clock::time_point deadline_;
    std::string buffer_;
    std::size_t offset_ = 0;
};

// Set on the accepting thread for a connection that finds the queue full.
thread_local bool t_refuseConnection = false;
thread_local Clock::time_point t_requestStart;

// A fixed set of threads and a bounded queue; a connection over the bound is closed at once
// on the accepting thread, so a flood cannot grow memory or the wait without limit.
class BoundedPool final : public httplib::TaskQueue {
public:
    BoundedPool(std::size_t threads, std::size_t maxWaiting) : maxWaiting_(maxWaiting) {
        for (std::size_t i = 0; i < threads; ++i)
            threads_.emplace_back([this] { Work(); });
    }

    void enqueue(std::function<void()> task) override {
        {
            std::lock_guard lock(mutex_);
            if (waiting_.size() < maxWaiting_) {
                waiting_.push_back(std::move(task));
                ready_.notify_one();
                return;
            }
        }
        t_refuseConnection = true;
        task();
        t_refuseConnection = false;
    }

    // Lets the threads finish every queued connection, then joins them.
    void shutdown() override {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        ready_.notify_all();
        for (auto& thread : threads_)
            thread.join();
    }

private:
    void Work() {
        for (;;) {
            std::function<void()> task;
            {
                std::unique_lock lock(mutex_);
                ready_.wait(lock, [&] { return stopping_ || !waiting_.empty(); });
                if (waiting_.empty())
                    return;
                task = std::move(waiting_.front());
                waiting_.pop_front();
            }
            task();
        }
    }

    std::size_t maxWaiting_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> waiting_;
    std::vector<std::thread> threads_;
    bool stopping_ = false;
};

// cpp-httplib with our own connection handling: the request line mended, one request per
// connection (the game opens one per request), and the deadline above.
class RecordsServer final : public httplib::Server {
public:
    explicit RecordsServer(std::chrono::seconds readTimeout) : readTimeout_(readTimeout) {}

    // cpp-httplib listens with a backlog of 5, so a burst of players connecting at once would
    // see their connects dropped and retried a second later; listening again widens it.
    void WidenBacklog() { ::listen(svr_sock_, SOMAXCONN); }

private:
    bool process_and_close_socket(socket_t sock) override {
        bool served = false;
        if (!t_refuseConnection) {
            t_requestStart = Clock::now();
            ConnectionStream stream(sock, readTimeout_);
            stream.MendFirstLine(CPPHTTPLIB_REQUEST_URI_MAX_LENGTH + 16);
            bool closed = true;
            served = process_request(stream, true, closed, nullptr);
        }
        ::shutdown(sock, SHUT_RDWR);
        ::close(sock);
        return served;
    }

    std::chrono::seconds readTimeout_;
};

// What the log shows of a reply: the code itself, "record" for a record text, "empty".
std::string ReplyInLog(const httplib::Response& res) {
    if (res.body.empty())
        return "empty";
    if (res.body.size() == 1)
        return res.body;
    return "record";
}

std::string UtcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

} // namespace

class HttpServer::Impl {
public:
    Impl(RecordService& service, ServeOptions options, std::ostream& log)
        : service_(service), options_(std::move(options)), log_(log),
          server_(options_.ReadTimeout) {
        server_.new_task_queue = [this] {
            return new BoundedPool(options_.Threads, options_.MaxWaiting);
        };
        // SO_REUSEADDR only: cpp-httplib's default SO_REUSEPORT would let a second server bind
        // the same port silently instead of reporting it in use.
        server_.set_socket_options([](socket_t sock) {
            int yes = 1;
            setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        });
        server_.set_payload_max_length(1024);
        server_.set_logger(
            [this](const httplib::Request& req, const httplib::Response& res) { Log(req, res); });
        const auto reply = [](httplib::Response& res, std::string body) {
            res.set_content(std::move(body), "text/plain");
        };
        // Any path prefix is taken, so the server can sit under a folder of a larger site.
        server_.Get(R"(.*/checkwr\.asp)",
                    [this, reply](const auto&, auto& res) { reply(res, service_.CheckWR()); });
        server_.Get(R"(.*/getmyrec\.asp)", [this, reply](const auto& req, auto& res) {
            reply(res, service_.GetMyRec(Query(req.target), req.remote_addr));
        });
        server_.Get(R"(.*/putmyrec\.asp)", [this, reply](const auto& req, auto& res) {
            reply(res, service_.PutMyRec(Query(req.target), req.remote_addr));
        });
        // The standings page, for people; a few seconds of caching spares the database.
        server_.Get("/", [this](const auto&, auto& res) {
            res.set_header("Cache-Control", "max-age=5");
            res.set_content(service_.StandingsPage(), "text/html; charset=utf-8");
        });
    }

    int Bind() {
        errno = 0;
        int port = options_.Port;
        bool bound = port == 0 ? (port = server_.bind_to_any_port(options_.Host)) > 0
                               : server_.bind_to_port(options_.Host, port);
        if (!bound) {
            const std::string why = errno == EADDRINUSE ? "the port is in use"
                                    : errno != 0        ? std::strerror(errno)
                                                        : "the address is not available";
            throw std::runtime_error("cannot listen on " + options_.Host + ":" +
                                     std::to_string(options_.Port) + ": " + why);
        }
        server_.WidenBacklog();
        return port;
    }

    void Run() { server_.listen_after_bind(); }
    void Stop() { server_.stop(); }

private:
    // One line per request: time, peer, endpoint, status, reply, duration. Never the query:
    // it holds the access code.
    void Log(const httplib::Request& req, const httplib::Response& res) {
        const auto micros =
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - t_requestStart)
                .count();
        char duration[32];
        std::snprintf(duration, sizeof duration, "%.1fms", static_cast<double>(micros) / 1000.0);
        // A request the parser refused has neither peer nor path filled in.
        const std::string peer =
            req.remote_addr.empty() ? "-" : req.remote_addr + ':' + std::to_string(req.remote_port);
        const std::string endpoint = req.path.empty() ? "-" : req.path;
        const std::string line = UtcNow() + ' ' + peer + ' ' + endpoint + ' ' +
                                 std::to_string(res.status) + ' ' + ReplyInLog(res) + ' ' +
                                 duration + '\n';
        std::lock_guard lock(logMutex_);
        log_ << line << std::flush;
    }

    RecordService& service_;
    ServeOptions options_;
    std::ostream& log_;
    std::mutex logMutex_;
    RecordsServer server_;
};

HttpServer::HttpServer(RecordService& service, ServeOptions options, std::ostream& log)
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

} // namespace lexfall::server
