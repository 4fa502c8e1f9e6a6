// Load on loopback for lexfall-records, bounded in requests and in time: clients that each
// open a connection per request, as the game does, and the latency of every request.
//   server_load --port P [--mix checkwr|getmyrec|putmyrec|mixed] [--clients 32]
//               [--requests 20000] [--seconds 10] [--players FILE] [--label TEXT]
//   server_load --bare-server     a bare cpp-httplib server answering a constant, to compare
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Player {
    std::string Name, Email, Code;
};

// One request on a connection of its own; true when a 200 reply came back whole.
bool Exchange(int port, const std::string& target) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    int yes = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const std::string request = "GET " + target +
                                    " HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: text/html, */*\r\n"
                                    "Connection: close\r\n\r\n";
        if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(request.size())) {
            std::string response;
            char chunk[2048];
            ssize_t got;
            while ((got = ::recv(fd, chunk, sizeof chunk, 0)) > 0)
                response.append(chunk, static_cast<std::size_t>(got));
            ok = response.rfind("HTTP/1.1 200", 0) == 0;
        }
    }
    ::close(fd);
    return ok;
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

// cpp-httplib listens with a backlog of 5, which drops connects under a burst (they come back
// a second later); the records server widens it, so the bare one does too, for a fair match.
class BareHttpServer : public httplib::Server {
public:
    void WidenBacklog() { ::listen(svr_sock_, SOMAXCONN); }
};

int BareServer() {
    BareHttpServer server;
    server.Get("/checkwr.asp", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("Champion,10,300,40,3010,2003-03-28", "text/plain");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    server.WidenBacklog();
    std::cout << "bare server on 127.0.0.1:" << port << std::endl;
    server.listen_after_bind();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::map<std::string, std::string> options = {{"--mix", "checkwr"},    {"--clients", "32"},
                                                  {"--requests", "20000"}, {"--seconds", "10"},
                                                  {"--label", ""},         {"--players", ""}};
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--bare-server")
            return BareServer();
        if (i + 1 >= argc) {
            std::cerr << "server_load: " << word << " needs a value\n";
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
    const int requests = std::stoi(options["--requests"]);
    const auto limit = std::chrono::seconds(std::stoi(options["--seconds"]));

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

    std::atomic<int> issued = 0;
    std::atomic<int> errors = 0;
    std::vector<std::vector<double>> latencies(static_cast<std::size_t>(clients));
    const auto start = Clock::now();
    const auto deadline = start + limit;
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            const Player* player =
                players.empty() ? nullptr : &players[static_cast<std::size_t>(c)];
            int words = 1;
            for (int n = 0; issued++ < requests && Clock::now() < deadline; ++n) {
                std::string target = "/checkwr.asp";
                const bool put = mix == "putmyrec" || (mix == "mixed" && n % 10 == 9);
                const std::string who =
                    player ? "?u=" + player->Name + "&e=" + player->Email + "&c=" + player->Code
                           : "";
                if (put)
                    target = "/putmyrec.asp" + who + "&r=" + RecordText(player->Name, words++);
                else if (mix == "getmyrec")
                    target = "/getmyrec.asp" + who;
                const auto sent = Clock::now();
                if (!Exchange(port, target))
                    ++errors;
                latencies[static_cast<std::size_t>(c)].push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

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
    std::printf("%-26s %-9s %6zu requests %4d errors %7.0f req/s  p50 %6.2f ms  p99 %6.2f ms  "
                "max %7.2f ms\n",
                options["--label"].c_str(), mix.c_str(), all.size(), errors.load(),
                static_cast<double>(all.size()) / seconds, percentile(0.50), percentile(0.99),
                all.empty() ? 0.0 : all.back());
    return errors == 0 ? 0 : 1;
}
