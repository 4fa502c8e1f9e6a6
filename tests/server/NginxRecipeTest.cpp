// SPDX-License-Identifier: GPL-3.0-or-later
// The README's nginx recipe, as a club would paste it, in front of the records server: the
// players' requests go through and no access code reaches any of nginx's logs.
#include "support/RecordsServerProcess.h"
#include "support/ServerProgram.h"
#include "support/TlsFronts.h"
#include "support/TlsPeer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace lexfall::testing {
namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The recipe between its markers in the README, without the code fence.
std::string ReadmeRecipe() {
    const std::string readme = ReadFile(std::string(LEXFALL_SOURCE_DIR) + "/README.md");
    const std::size_t begin = readme.find("<!-- nginx-recipe-begin -->");
    const std::size_t end = readme.find("<!-- nginx-recipe-end -->");
    if (begin == std::string::npos || end == std::string::npos)
        return {};
    const std::string block = readme.substr(begin, end - begin);
    const std::size_t open = block.find("```nginx\n");
    const std::size_t close = block.rfind("```");
    if (open == std::string::npos || close <= open)
        return {};
    return block.substr(open + 9, close - open - 9);
}

// Swaps what names the club's machine for the test's; false when the recipe lacks it.
bool Swap(std::string& text, const std::string& from, const std::string& to) {
    bool found = false;
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
        found = true;
    }
    return found;
}

// One request over https, as the game sends it; the raw reply.
std::string HttpsGet(int port, const std::string& target) {
    const std::string command = "printf 'GET " + target +
                                " HTTP/1.1\\r\\nHost: club.example.org\\r\\nConnection: "
                                "close\\r\\n\\r\\n' | timeout 20 openssl s_client -connect "
                                "127.0.0.1:" +
                                std::to_string(port) + " -quiet -ign_eof 2>/dev/null";
    std::string reply;
    FILE* pipe = popen(command.c_str(), "r");
    char chunk[4096];
    std::size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0)
        reply.append(chunk, got);
    pclose(pipe);
    return reply;
}

TEST(NginxRecipeTest, RecipeForwardsTheClientAndLogsNoAccessCode) {
    if (!std::filesystem::exists(kNginxProgram))
        GTEST_SKIP() << "nginx is not installed (scripts/deps.sh installs it)";
    TestAuthority authority;
    ASSERT_TRUE(authority.Ok());
    ScratchDir folder;
    const std::string db = (folder.Path() / "records.sqlite").string();
    const RegisteredPlayer ann = AddRecordsPlayer(db, "Ann", "ann@example.org");
    RecordsServerProcess records(db, {"--trust-proxy", "127.0.0.1"});

    std::string recipe = ReadmeRecipe();
    ASSERT_FALSE(recipe.empty()) << "no recipe between the README's markers";
    const std::filesystem::path logs = folder.Path() / "logs";
    std::filesystem::create_directory(logs);
    const std::uint16_t port = RefusedPort();
    ASSERT_TRUE(
        Swap(recipe, "listen 443 ssl;", "listen 127.0.0.1:" + std::to_string(port) + " ssl;"));
    ASSERT_TRUE(Swap(recipe, "/etc/letsencrypt/live/club.example.org/fullchain.pem",
                     authority.Cert("loopback")));
    ASSERT_TRUE(Swap(recipe, "/etc/letsencrypt/live/club.example.org/privkey.pem",
                     authority.Key("loopback")));
    ASSERT_TRUE(Swap(recipe, "/var/log/nginx/", logs.string() + "/"));
    ASSERT_TRUE(Swap(recipe, "127.0.0.1:8642", "127.0.0.1:" + std::to_string(records.Port())));

    const std::filesystem::path conf = folder.Path() / "nginx.conf";
    std::ofstream(conf) << "worker_processes 1;\npid " << (folder.Path() / "nginx.pid").string()
                        << ";\nerror_log " << (logs / "error.log").string()
                        << " info;\nevents { worker_connections 64; }\nhttp {\n"
                        << "  access_log " << (logs / "access.log").string() << ";\n"
                        << "  client_body_temp_path " << (folder.Path() / "body").string()
                        << ";\n  proxy_temp_path " << (folder.Path() / "proxy").string()
                        << ";\n  fastcgi_temp_path " << (folder.Path() / "fastcgi").string()
                        << ";\n  uwsgi_temp_path " << (folder.Path() / "uwsgi").string()
                        << ";\n  scgi_temp_path " << (folder.Path() / "scgi").string() << ";\n"
                        << recipe << "}\n";
    {
        ServerProgram nginx({kNginxProgram, "-e", (logs / "error.log").string(), "-p",
                             folder.Path().string(), "-c", conf.string(), "-g",
                             "daemon off; master_process off;"},
                            folder.Path(), port);
        ASSERT_TRUE(nginx.Ready()) << nginx.Output() << ReadFile(logs / "error.log");
        const std::string who = "?u=Ann&e=ann@example.org&c=";
        const std::string put =
            "/lexfall/putmyrec.asp" + who + ann.Code + "&r=x,10,200,40,4510,2003-04-02";
        EXPECT_NE(HttpsGet(port, put).find("\r\n\r\n0"), std::string::npos);
        EXPECT_NE(HttpsGet(port, "/lexfall/getmyrec.asp" + who + ann.Code)
                      .find("Ann,10,200,40,4510,2003-04-02"),
                  std::string::npos);
        EXPECT_NE(HttpsGet(port, "/lexfall/getmyrec.asp" + who + "wrongcode123").find("\r\n\r\n3"),
                  std::string::npos);
        EXPECT_NE(HttpsGet(port, "/lexfall/").find("Lexfall standings"), std::string::npos);
    }
    const std::string ours = ReadFile(logs / "lexfall.log");
    std::cout << "nginx's log of the recipe's location:\n" << ours;
    EXPECT_NE(ours.find("\"GET /lexfall/putmyrec.asp HTTP/1.1\" 200"), std::string::npos) << ours;
    for (const auto& file : std::filesystem::directory_iterator(logs)) {
        const std::string text = ReadFile(file.path());
        for (const std::string& secret :
             {ann.Code, std::string("wrongcode123"), std::string("ann@example.org")})
            EXPECT_EQ(text.find(secret), std::string::npos) << file.path() << ":\n" << text;
    }
    // The records server answered each, under the path nginx passed on.
    EXPECT_NE(records.Output().find("127.0.0.1 GET /getmyrec.asp 200 record"), std::string::npos)
        << records.Output();
}

} // namespace
} // namespace lexfall::testing
