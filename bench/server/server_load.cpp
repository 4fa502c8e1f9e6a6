// SPDX-License-Identifier: GPL-3.0-or-later
// Load on loopback for lexfall-records, for a stated time: clients that each open a connection
// per request, as the game does. Every reply is counted by its body code; a code the mix does
// not expect fails the run.
//   server_load --port P [--mix checkwr|getmyrec|putmyrec|mixed] [--clients 32] [--seconds 10]
//               [--players FILE] [--words FILE] [--server-pid PID,...] [--label TEXT]
//   server_load --constant-server     libmicrohttpd answering a constant body, to compare
// Puts send ever higher totals, so each one beats the player's stored record and is stored:
// --words FILE keeps the next total between runs.
#include <microhttpd.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Player {
    std::string Name, Email, Code;
};

// One request on a connection of its own. Returns what the reply says: "200:" and the body
// code ("record" for a record text, "empty"), another status, or "no-reply".
std::string Exchange(int port, const std::string& target) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return "no-socket";
    int yes = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string response;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const std::string request = "GET " + target +
                                    " HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: text/html, */*\r\n"
                                    "Connection: close\r\n\r\n";
        if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(request.size())) {
            char chunk[2048];
            ssize_t got;
            while ((got = ::recv(fd, chunk, sizeof chunk, 0)) > 0)
                response.append(chunk, static_cast<std::size_t>(got));
        }
    }
    ::close(fd);
    const std::size_t headEnd = response.find("\r\n\r\n");
    if (response.size() < 12 || headEnd == std::string::npos)
        return "no-reply";
    const std::string status = response.substr(9, 3);
    if (status != "200")
        return status;
    const std::string body = response.substr(headEnd + 4);
    return "200:" + (body.empty() ? "empty" : body.size() == 1 ? body : "record");
}

// A record text with the game's own total: words W, letters 4W, seconds 30W. The total is
// 30 W squared plus W whatever the rounding, so a higher W always beats the stored record.
std::string RecordText(const std::string& name, int words) {
    const long double s = static_cast<long double>(words) * words;
    const long double a = (s * 60.0L) / (4.0L * words);
    const long double b = (s * 60.0L) / (30.0L * words);
    const long long total = std::llrint(b * a) + words;
    return name + "," + std::to_string(words) + "," + std::to_string(30 * words) + "," +
           std::to_string(4 * words) + "," + std::to_string(total) + ",2003-03-28";
}

// User and system CPU time of a process, in seconds.
double CpuSecondsOf(const std::string& pid) {
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14 || i == 15)
            ticks += std::stod(field);
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The same for a comma-separated list of processes, such as nginx's workers.
double CpuSeconds(const std::string& pids) {
    double seconds = 0;
    std::istringstream list(pids);
    std::string pid;
    while (std::getline(list, pid, ','))
        seconds += pid.empty() || pid == "0" ? 0 : CpuSecondsOf(pid);
    return seconds;
}

MHD_Result AnswerConstant(void*, MHD_Connection* connection, const char*, const char*, const char*,
                          const char*, size_t*, void**) {
    static const char kBody[] = "Champion,10,300,40,3010,2003-03-28";
    MHD_Response* response = MHD_create_response_from_buffer(
        sizeof kBody - 1, const_cast<char*>(kBody), MHD_RESPMEM_PERSISTENT);
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, "text/plain");
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
    const MHD_Result queued = MHD_queue_response(connection, MHD_HTTP_OK, response);
    MHD_destroy_response(response);
    return queued;
}

// The same library and thread set-up as the records server, answering a constant.
int ConstantServer() {
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    MHD_Daemon* daemon =
        MHD_start_daemon(MHD_USE_EPOLL_INTERNAL_THREAD | MHD_USE_ITC | MHD_USE_TURBO, 0, nullptr,
                         nullptr, &AnswerConstant, nullptr, MHD_OPTION_THREAD_POOL_SIZE, 8u,
                         MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<size_t>(16384),
                         MHD_OPTION_LISTENING_ADDRESS_REUSE, 1u, MHD_OPTION_END);
    if (daemon == nullptr) {
        std::cerr << "server_load: cannot start the constant server\n";
        return 1;
    }
    std::cout << "constant server on 127.0.0.1:"
              << MHD_get_daemon_info(daemon, MHD_DAEMON_INFO_BIND_PORT)->port << std::endl;
    int signal = 0;
    sigwait(&stop, &signal);
    MHD_stop_daemon(daemon);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::map<std::string, std::string> options = {
        {"--mix", "checkwr"}, {"--clients", "32"}, {"--seconds", "10"},  {"--label", ""},
        {"--players", ""},    {"--words", ""},     {"--server-pid", "0"}};
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--constant-server")
            return ConstantServer();
        if (i + 1 >= argc || (!options.count(word) && word != "--port")) {
            std::cerr << "server_load: bad option " << word << "\n";
            return 2;
        }
        options[word] = argv[++i];
    }
    if (!options.count("--port")) {
        std::cerr << "server_load: --port is required\n";
        return 2;
    }
    const int port = std::stoi(options["--port"]);
    const std::string mix = options["--mix"];
    const int clients = std::stoi(options["--clients"]);
    const auto limit = std::chrono::duration<double>(std::stod(options["--seconds"]));
    const std::string serverPid = options["--server-pid"];
    const bool measureCpu = serverPid != "0";

    std::vector<Player> players;
    if (!options["--players"].empty()) {
        std::ifstream file(options["--players"]);
        std::string line;
        while (std::getline(file, line)) {
            std::istringstream fields(line);
            Player player;
            std::getline(fields, player.Name, '\t');
            std::getline(fields, player.Email, '\t');
            std::getline(fields, player.Code, '\t');
            players.push_back(player);
        }
    }
    if (mix != "checkwr" && players.size() < static_cast<std::size_t>(clients)) {
        std::cerr << "server_load: " << mix << " needs a player per client (--players)\n";
        return 2;
    }
    int firstWords = 1;
    if (!options["--words"].empty())
        std::ifstream(options["--words"]) >> firstWords;

    // The replies each mix may get: a record text, or "0" for a stored put.
    const std::map<std::string, std::vector<std::string>> expected = {
        {"checkwr", {"200:record"}},
        {"getmyrec", {"200:record"}},
        {"putmyrec", {"200:0"}},
        {"mixed", {"200:record", "200:0"}}};
    if (!expected.count(mix)) {
        std::cerr << "server_load: unknown mix " << mix << "\n";
        return 2;
    }

    std::mutex countsMutex;
    std::map<std::string, long> counts;
    std::atomic<int> lastWords = firstWords;
    std::vector<std::vector<double>> latencies(static_cast<std::size_t>(clients));
    const double cpuBefore = measureCpu ? CpuSeconds(serverPid) : 0;
    const auto start = Clock::now();
    const auto deadline = start + std::chrono::duration_cast<Clock::duration>(limit);
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            const Player* player =
                players.empty() ? nullptr : &players[static_cast<std::size_t>(c)];
            const std::string who =
                player ? "?u=" + player->Name + "&e=" + player->Email + "&c=" + player->Code : "";
            std::map<std::string, long> mine;
            int words = firstWords;
            for (int n = 0; Clock::now() < deadline; ++n) {
                std::string target = "/checkwr.asp";
                const bool put = mix == "putmyrec" || (mix == "mixed" && n % 10 == 9);
                if (put)
                    target = "/putmyrec.asp" + who + "&r=" + RecordText(player->Name, words++);
                else if (mix == "getmyrec" || (mix == "mixed" && n % 10 >= 5))
                    target = "/getmyrec.asp" + who;
                const auto sent = Clock::now();
                ++mine[Exchange(port, target)];
                latencies[static_cast<std::size_t>(c)].push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
            }
            int seen = lastWords.load();
            while (words > seen && !lastWords.compare_exchange_weak(seen, words)) {
            }
            std::lock_guard lock(countsMutex);
            for (const auto& [code, count] : mine)
                counts[code] += count;
        });
    }
    for (auto& thread : threads)
        thread.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = measureCpu ? CpuSeconds(serverPid) - cpuBefore : 0;
    if (!options["--words"].empty())
        std::ofstream(options["--words"]) << lastWords.load() << "\n";

    std::vector<double> all;
    for (const auto& list : latencies)
        all.insert(all.end(), list.begin(), list.end());
    std::sort(all.begin(), all.end());
    const auto percentile = [&](double p) {
        return all.empty()
                   ? 0.0
                   : all[std::min(all.size() - 1,
                                  static_cast<std::size_t>(p * static_cast<double>(all.size())))];
    };
    long unexpected = 0;
    std::string replies;
    for (const auto& [code, count] : counts) {
        const auto& allowed = expected.at(mix);
        if (std::find(allowed.begin(), allowed.end(), code) == allowed.end())
            unexpected += count;
        replies += " " + code + "=" + std::to_string(count);
    }
    const double rate = static_cast<double>(all.size()) / seconds;
    std::printf("%-28s %-8s %5.1f s %7.0f req/s  p50 %6.2f ms  p99 %7.2f ms  cpu %5.1f us/req  "
                "unexpected %ld |%s\n",
                options["--label"].c_str(), mix.c_str(), seconds, rate, percentile(0.50),
                percentile(0.99), all.empty() ? 0.0 : cpu * 1e6 / static_cast<double>(all.size()),
                unexpected, replies.c_str());
    return unexpected == 0 && !all.empty() ? 0 : 1;
}
