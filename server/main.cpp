// SPDX-License-Identifier: GPL-3.0-or-later
// lexfall-records: the records server that the game's online buttons talk to, and the
// commands that manage its players.
#include "server/AccessCode.h"
#include "server/HttpServer.h"
#include "server/PlayerRules.h"
#include "server/RecordService.h"
#include "server/RecordStore.h"
#include "server/SqliteBackup.h"
#include "server/Standings.h"
#include "server/WorldRecordCache.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace lexfall::server;

constexpr const char* kUsage = R"(Usage: lexfall-records COMMAND [OPTIONS]

Commands:
  serve                     answer the game's requests until stopped (SIGTERM or Ctrl+C)
  add-player NAME EMAIL     add a player and print a new access code, shown only once
  reset-code NAME           give a player a new access code; the old one stops working
  remove-player NAME        remove a player and the player's record
  remove-record NAME        remove only the player's record; the player stays
  rename-player NAME NEW    give a player a new name; the record follows
  set-email NAME EMAIL      change a player's e-mail address
  list-players              list the players and their records
  standings [--top N] [--json]
                            the best records: rank, name, total, figures and date
  backup FILE               a consistent copy of a SQLite database, also while serve runs
                            (for PostgreSQL use pg_dump)

Options:
  --db DB                   records.sqlite (default, created when missing) or a PostgreSQL
                            address such as postgresql://user@dbhost/lexfall
  --listen HOST:PORT        where serve listens (default 127.0.0.1:8642)
  --threads N               serve's event-loop threads, and as many again for the
                            requests that reach the database (default 8)
  --read-timeout SECONDS    serve cuts off a client silent this long, or without a request
                            line (a stalled TLS handshake) this long after it connected
                            (default 5)
  --head-timeout SECONDS    serve cuts off a client whose request head is not whole this
                            long after it connected (default 10)
  --max-per-address N       open connections serve takes from one client (default 32,
                            0 for no limit)
  --trust-proxy LIST        proxies in front, as addresses or CIDR ranges split by commas:
                            a request from one of them is taken to come from the rightmost
                            address in X-Forwarded-For that is no trusted proxy, for the
                            log and for every per-address limit
  --tls-cert FILE, --tls-key FILE
                            serve https with this PEM certificate chain and key
  --server-url URL          the address players put in Lexfall.ini, printed by add-player
                            and reset-code (default http://THIS-HOST:8642/)
  --top N                   players shown by standings (default 20)
  --json                    standings as JSON
  --help, --version
)";

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Arguments {
    std::string Command;
    std::vector<std::string> Words;
    std::map<std::string, std::string> Options;

    std::string Option(const std::string& name, const std::string& fallback) const {
        const auto found = Options.find(name);
        return found == Options.end() ? fallback : found->second;
    }
};

Arguments Parse(int argc, char** argv) {
    static const std::vector<std::string> kValued = {
        "--db",           "--listen",          "--threads",     "--read-timeout", "--server-url",
        "--head-timeout", "--max-per-address", "--trust-proxy", "--tls-cert",     "--tls-key",
        "--top"};
    static const std::vector<std::string> kFlags = {"--json"};
    Arguments args;
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (word == "--help" || word == "-h" || word == "--version") {
            args.Command = word;
            return args;
        }
        if (std::find(kFlags.begin(), kFlags.end(), word) != kFlags.end()) {
            args.Options[word] = "";
        } else if (word.starts_with("--")) {
            std::string value;
            if (const auto equals = word.find('='); equals != std::string::npos) {
                value = word.substr(equals + 1);
                word.resize(equals);
            } else if (i + 1 < argc) {
                value = argv[++i];
            } else {
                throw UsageError(word + " needs a value");
            }
            if (std::find(kValued.begin(), kValued.end(), word) == kValued.end())
                throw UsageError("unknown option " + word);
            args.Options[word] = value;
        } else if (args.Command.empty()) {
            args.Command = word;
        } else {
            args.Words.push_back(word);
        }
    }
    return args;
}

// The whole text as std::stoll reads a number (leading blanks and a sign allowed), from low to
// high; nothing otherwise.
std::optional<long long> WholeNumberIn(const std::string& text, long long low, long long high) {
    std::size_t used = 0;
    long long value = 0;
    try {
        value = std::stoll(text, &used);
    } catch (const std::logic_error&) {
        return std::nullopt;
    }
    if (text.empty() || used != text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

// A whole number from low to high; an error names the option.
long long NumberOption(const Arguments& args, const std::string& name, long long fallback,
                       long long low, long long high) {
    const auto found = args.Options.find(name);
    if (found == args.Options.end())
        return fallback;
    const std::string& text = found->second;
    const auto value = WholeNumberIn(text, low, high);
    if (!value)
        throw UsageError(name + " takes a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not '" + text + "'");
    return *value;
}

void ExpectWords(const Arguments& args, std::size_t count, const char* shape) {
    if (args.Words.size() != count)
        throw UsageError(std::string("usage: lexfall-records ") + shape);
}

std::string DefaultServerUrl() {
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0 || host[0] == '\0')
        return "http://localhost:8642/";
    return std::string("http://") + host + ":8642/";
}

void PrintRegister(const Arguments& args, const std::string& name, const std::string& email,
                   const std::string& code) {
    std::string url = args.Option("--server-url", DefaultServerUrl());
    if (!url.ends_with('/'))
        url += '/';
    std::cout << "Access code for " << name << ": " << code << "\n"
              << "It is shown only this once. Give the player these lines for the [Register]\n"
              << "section of Lexfall.ini (~/.config/lexfall/Lexfall.ini for an installed game,\n"
              << "beside the program for a portable one; the game's about box names it):\n\n"
              << "[Register]\n"
              << "UserName=" << name << "\n"
              << "Email=" << email << "\n"
              << "RegCode=" << code << "\n"
              << "Server=" << url << "\n";
}

// A refusal of the operator's request: one line, exit code 1.
class Refused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A name or address that breaks the rules is a mistake on the command line.
void CheckArgument(const std::optional<std::string>& problem, const std::string& what) {
    if (problem)
        throw UsageError("cannot " + what + ": " + *problem);
}

void CheckFree(const std::optional<std::string>& problem, const std::string& what) {
    if (problem)
        throw Refused("cannot " + what + ": " + *problem);
}

int AddPlayer(const Arguments& args, RecordStore& store) {
    const std::string& name = args.Words[0];
    const std::string& email = args.Words[1];
    CheckArgument(NameProblem(name), "add " + name);
    CheckArgument(EmailProblem(email), "add " + name);
    CheckFree(Taken(store.ListPlayers(), name, email), "add " + name);
    const std::string code = NewAccessCode();
    if (!store.AddPlayer(name, email, HashAccessCode(store.HashKey(), code))) {
        std::cerr << "lexfall-records: a player named " << name << " exists already\n";
        return 1;
    }
    PrintRegister(args, name, email, code);
    return 0;
}

int ResetCode(const Arguments& args, RecordStore& store) {
    const std::string& name = args.Words[0];
    const auto player = store.FindPlayer(name);
    const std::string code = NewAccessCode();
    if (!player || !store.SetCodeHash(name, HashAccessCode(store.HashKey(), code))) {
        std::cerr << "lexfall-records: no player named " << name << "\n";
        return 1;
    }
    PrintRegister(args, name, player->Email, code);
    return 0;
}

int RemovePlayer(const Arguments& args, RecordStore& store) {
    if (!store.RemovePlayer(args.Words[0])) {
        std::cerr << "lexfall-records: no player named " << args.Words[0] << "\n";
        return 1;
    }
    std::cout << "Removed " << args.Words[0] << " and the player's record.\n";
    return 0;
}

int RemoveRecord(const Arguments& args, RecordStore& store) {
    const std::string& name = args.Words[0];
    if (!store.FindPlayer(name))
        throw Refused("no player named " + name);
    if (!store.RemoveRecord(name))
        throw Refused(name + " has no record");
    std::cout << "Removed the record of " << name << "; the player stays.\n";
    return 0;
}

int RenamePlayer(const Arguments& args, RecordStore& store) {
    const std::string& name = args.Words[0];
    const std::string& newName = args.Words[1];
    if (!store.FindPlayer(name))
        throw Refused("no player named " + name);
    CheckArgument(NameProblem(newName), "rename " + name);
    CheckFree(Taken(store.ListPlayers(), newName, {}, name), "rename " + name);
    if (!store.RenamePlayer(name, newName))
        throw Refused("no player named " + name);
    std::cout << "Renamed " << name << " to " << newName
              << ". The player's Lexfall.ini needs UserName=" << newName << "\n";
    return 0;
}

int SetEmail(const Arguments& args, RecordStore& store) {
    const std::string& name = args.Words[0];
    const std::string& email = args.Words[1];
    if (!store.FindPlayer(name))
        throw Refused("no player named " + name);
    CheckArgument(EmailProblem(email), "change the e-mail address of " + name);
    CheckFree(Taken(store.ListPlayers(), {}, email, name), "change the e-mail address of " + name);
    if (!store.SetEmail(name, email))
        throw Refused("no player named " + name);
    std::cout << "The e-mail address of " << name << " is now " << email
              << ". The player's Lexfall.ini needs Email=" << email << "\n";
    return 0;
}

int ShowStandings(const Arguments& args, RecordStore& store) {
    const auto top = static_cast<std::size_t>(NumberOption(args, "--top", 20, 1, 1000000));
    const std::vector<Standing> standings = Ranked(store.Standings(top));
    std::cout << (args.Options.contains("--json") ? StandingsJson(standings)
                                                  : StandingsText(standings));
    return 0;
}

int ListPlayers(const Arguments&, RecordStore& store) {
    for (const PlayerSummary& player : store.ListPlayers()) {
        std::cout << player.Name << '\t' << player.Email << '\t'
                  << (player.Record ? RecordText(*player.Record) : "no record") << '\n';
    }
    return 0;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    if (!file || text.str().empty())
        throw std::runtime_error("cannot read " + path);
    return text.str();
}

ServeOptions ServeOptionsOf(const Arguments& args) {
    ServeOptions options;
    const std::string listen = args.Option("--listen", "127.0.0.1:8642");
    const auto colon = listen.rfind(':');
    if (colon == std::string::npos)
        throw UsageError("--listen takes HOST:PORT");
    options.Host = listen.substr(0, colon);
    // [::1]:8642 names an IPv6 address.
    if (options.Host.size() > 2 && options.Host.front() == '[' && options.Host.back() == ']')
        options.Host = options.Host.substr(1, options.Host.size() - 2);
    const std::string port = listen.substr(colon + 1);
    const auto portNumber = WholeNumberIn(port, 0, 65535);
    if (!portNumber)
        throw UsageError("--listen takes HOST:PORT with a port of 0 to 65535, not '" + listen +
                         "'");
    options.Port = static_cast<int>(*portNumber);
    options.Threads = static_cast<std::size_t>(NumberOption(args, "--threads", 8, 1, 256));
    options.ReadTimeout = std::chrono::seconds(NumberOption(args, "--read-timeout", 5, 1, 600));
    options.HeadTimeout = std::chrono::seconds(NumberOption(args, "--head-timeout", 10, 1, 600));
    options.MaxPerAddress =
        static_cast<std::size_t>(NumberOption(args, "--max-per-address", 32, 0, 100000));
    try {
        options.Proxies = TrustedProxies(args.Option("--trust-proxy", ""));
    } catch (const std::invalid_argument& error) {
        throw UsageError(std::string("--trust-proxy takes addresses or CIDR ranges: ") +
                         error.what());
    }
    const std::string cert = args.Option("--tls-cert", "");
    const std::string key = args.Option("--tls-key", "");
    if (cert.empty() != key.empty())
        throw UsageError("--tls-cert and --tls-key go together");
    if (!cert.empty()) {
        options.TlsCert = ReadWholeFile(cert);
        options.TlsKey = ReadWholeFile(key);
    }
    return options;
}

// Every open connection holds descriptors: the shell's usual soft limit of 1024 would starve
// the server long before its memory or threads run short.
std::string RaiseDescriptorLimit() {
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) != 0)
        return "cannot read the descriptor limit";
    if (files.rlim_cur < files.rlim_max) {
        rlimit raised = files;
        raised.rlim_cur = files.rlim_max;
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0)
            files = raised;
    }
    return "descriptor limit " + (files.rlim_cur == RLIM_INFINITY ? std::string("unlimited")
                                                                  : std::to_string(files.rlim_cur));
}

int Serve(const Arguments& args, const std::string& db) {
    ExpectWords(args, 0, "serve [--listen HOST:PORT] [--db DB]");
    const ServeOptions options = ServeOptionsOf(args);

    // Signals are taken by one thread with sigwait; every other thread, made after this,
    // inherits the block.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    // A connection per worker, and one for the start-up work; on SQLite also one per event
    // loop, which reads the world record itself when its kept copy has run out.
    const bool shared = IsPostgresAddress(db);
    const auto opened = OpenStore(db, (shared ? 1 : 2) * options.Threads + 1);
    // One server alone owns a SQLite file, so it may keep the world record at hand; servers
    // sharing a PostgreSQL database each see the others' puts only there.
    std::unique_ptr<RecordStore> cached;
    if (!shared)
        cached = std::make_unique<WorldRecordCache>(*opened);
    RecordStore& store = cached ? *cached : *opened;
    // Requests and errors share one writer, so their lines never mix.
    LogWriter log(std::cout);
    const auto peer = [] {
        const std::string& client = PeerOfThisThread();
        return client.empty() ? std::string("-") : EscapeForLog(client);
    };
    // A database that fails every request fails each the same way: said once a second (each
    // request's own line names its client).
    const auto logError = [&log](const std::string& text) {
        log.Repeating("- database-error " + EscapeControls(text));
    };
    // Notices are the server's own text; the client's values in them come escaped.
    const auto logNotice = [&log, peer](const std::string& text) {
        log.Line(peer() + " notice " + text);
    };
    RecordService service(store, logError, logNotice);
    ServeOptions serving = options;
    serving.QuickWorldRecord = cached != nullptr;
    std::cout << "lexfall-records: " << RaiseDescriptorLimit() << std::endl;
    HttpServer server(service, serving, log);
    const int port = server.Bind();
    std::cout << "lexfall-records: serving on " << options.Host << ':' << port << " with "
              << (IsPostgresAddress(db) ? "PostgreSQL" : db)
              << (options.TlsCert.empty() ? "" : " over https") << std::endl;

    std::atomic<bool> finished = false;
    std::thread signals([&] {
        const timespec tick{0, 200'000'000};
        while (!finished) {
            if (sigtimedwait(&stopSignals, nullptr, &tick) > 0) {
                server.Stop();
                break;
            }
        }
        // A request may wait on a database that does not answer; the stop does not. What it
        // leaves undone was never acknowledged, and SQLite's journal and PostgreSQL's
        // transactions undo any half of it.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(4500);
        while (!finished && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (!finished) {
            log.Flush();
            std::cout << "lexfall-records: stopped; requests still waiting on the database "
                         "were abandoned"
                      << std::endl;
            std::_Exit(0);
        }
    });
    server.Run();
    finished = true;
    signals.join();
    log.Flush();
    std::cout << "lexfall-records: stopped" << std::endl;
    return 0;
}

int Run(int argc, char** argv) {
    const Arguments args = Parse(argc, argv);
    if (args.Command == "--help" || args.Command == "-h") {
        std::cout << kUsage;
        return 0;
    }
    if (args.Command == "--version") {
        std::cout << "lexfall-records " << LEXFALL_VERSION << "\n"
                  << "Copyright (C) 2026 the Lexfall developers.\n"
                     "License GPL-3.0-or-later: GNU GPL version 3 or later "
                     "<https://gnu.org/licenses/gpl.html>.\n"
                     "This is free software: you are free to change and redistribute it.\n"
                     "There is NO WARRANTY, to the extent permitted by law.\n";
        return 0;
    }
    const std::string db = args.Option("--db", "records.sqlite");
    if (args.Command == "serve")
        return Serve(args, db);
    if (args.Command == "backup") {
        ExpectWords(args, 1, "backup --db DB FILE");
        if (IsPostgresAddress(db))
            throw UsageError("backup copies a SQLite database; for PostgreSQL use pg_dump");
        BackupSqlite(db, args.Words[0]);
        std::cout << "Backed up " << db << " to " << args.Words[0] << "\n";
        return 0;
    }
    struct Command {
        int (*Handler)(const Arguments&, RecordStore&);
        std::size_t Words;
        const char* Shape;
        Create Creates; // only adding a player starts a new database
    };
    static const std::map<std::string, Command> kCommands = {
        {"add-player", {AddPlayer, 2, "add-player NAME EMAIL", Create::FileAndFolder}},
        {"reset-code", {ResetCode, 1, "reset-code NAME", Create::No}},
        {"remove-player", {RemovePlayer, 1, "remove-player NAME", Create::No}},
        {"remove-record", {RemoveRecord, 1, "remove-record NAME", Create::No}},
        {"rename-player", {RenamePlayer, 2, "rename-player NAME NEW-NAME", Create::No}},
        {"set-email", {SetEmail, 2, "set-email NAME EMAIL", Create::No}},
        {"standings", {ShowStandings, 0, "standings [--top N] [--json]", Create::No}},
        {"list-players", {ListPlayers, 0, "list-players", Create::No}}};
    const auto command = kCommands.find(args.Command);
    if (command == kCommands.end())
        throw UsageError(args.Command.empty() ? "no command given"
                                              : "unknown command " + args.Command);
    // Checked before the database is opened, so a mistyped command creates no file.
    ExpectWords(args, command->second.Words, command->second.Shape);
    // An option error is reported before the database is touched.
    if (args.Command == "standings")
        NumberOption(args, "--top", 20, 1, 1000000);
    const auto store = OpenStore(db, 1, command->second.Creates);
    return command->second.Handler(args, *store);
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const Refused& error) {
        std::cerr << "lexfall-records: " << error.what() << "\n";
        return 1;
    } catch (const UsageError& error) {
        std::cerr << "lexfall-records: " << error.what() << "\n"
                  << "Try 'lexfall-records --help'.\n";
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "lexfall-records: " << error.what() << "\n";
        return 1;
    }
}
