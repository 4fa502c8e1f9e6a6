// SPDX-License-Identifier: GPL-3.0-or-later
// The standings page as people see it: served by the real program, checked for validity,
// and rendered by a real browser (headless Chromium) at a desktop and a phone size.
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace lexfall::testing {
namespace {

bool Installed(const char* program) {
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

// Standard output and error of a shell command.
std::string Output(const std::string& command, int* exitCode = nullptr) {
    std::string out;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return out;
    char chunk[4096];
    std::size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0)
        out.append(chunk, got);
    const int status = pclose(pipe);
    if (exitCode)
        *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

class StandingsPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        db_ = std::make_unique<TestDatabase>(Engine::Sqlite);
        const struct {
            const char* name;
            const char* record;
        } players[] = {
            {"Ann Lee", "x,10,200,40,4510,2003-04-02"},
            {"<b>Cid</b> & Co", "x,10,300,40,3010,28/03/2003"},
            {"Bartholomew Quentin", "x,2,30,10,194,2003-03-28"},
            {"J\xc3\xbcrgen", "x,1,96,3,13,2003-03-28"},
            {"Dee", nullptr},
        };
        for (const auto& p : players) {
            const RegisteredPlayer added = AddRecordsPlayer(
                db_->Address(), p.name, "p" + std::to_string(++count_) + "@example.org");
            if (p.record)
                puts_.push_back("/putmyrec.asp?u=" + Encoded(added.Name) + "&e=" + added.Email +
                                "&c=" + added.Code + "&r=" + p.record);
        }
        server_ = std::make_unique<RecordsServerProcess>(db_->Address());
        for (const std::string& put : puts_)
            ASSERT_EQ(server_->Get(put).Body, "0") << put;
    }

    static std::string Encoded(const std::string& value) {
        std::string out;
        for (const char c : value)
            out += c == '&'   ? std::string("%26")
                   : c == '<' ? "%3C"
                   : c == '>' ? "%3E"
                              : std::string(1, c);
        return out;
    }

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordsServerProcess> server_;
    std::vector<std::string> puts_;
    int count_ = 0;
};

TEST_F(StandingsPageTest, ServedSelfContainedAndValid) {
    const RawReply page = server_->Get("/");
    ASSERT_EQ(page.Status, 200);
    EXPECT_NE(page.Head.find("Content-Type: text/html; charset=utf-8"), std::string::npos)
        << page.Head;
    EXPECT_NE(page.Head.find("Cache-Control: max-age=5"), std::string::npos) << page.Head;
    const std::string& html = page.Body;
    EXPECT_EQ(html.rfind("<!DOCTYPE html>\n<html lang=\"en\">", 0), 0u);
    EXPECT_NE(html.find("<meta charset=\"utf-8\" />"), std::string::npos);
    EXPECT_NE(html.find("name=\"viewport\""), std::string::npos);
    // Nothing runs and nothing else is fetched.
    for (const char* outside : {"<script", "src=", "href=", "url(", "@import", "onload"})
        EXPECT_EQ(html.find(outside), std::string::npos) << outside;
    // Names are text, never markup.
    EXPECT_NE(html.find("&lt;b&gt;Cid&lt;/b&gt; &amp; Co"), std::string::npos);
    EXPECT_EQ(html.find("<b>"), std::string::npos);

    if (!Installed("xmllint"))
        GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
    ScratchDir folder;
    const auto file = folder.Path() / "standings.html";
    std::ofstream(file) << html;
    // Strict: well-formed throughout, every element closed, every entity known; no network.
    int exitCode = -1;
    const std::string problems =
        Output("xmllint --noout --nonet '" + file.string() + "'", &exitCode);
    EXPECT_EQ(exitCode, 0) << problems;
    EXPECT_EQ(problems, "");
}

TEST_F(StandingsPageTest, ReadableInABrowserOnADesktopAndAPhone) {
    if (!Installed("chromium"))
        GTEST_SKIP() << "chromium is not installed";
    ScratchDir profile;
    // No traffic beyond the loopback server: every other host name fails to resolve.
    const std::string browser =
        "timeout 90 chromium --headless --no-sandbox --disable-gpu --no-first-run "
        "--disable-background-networking --disable-component-update --disable-sync "
        "--disable-default-apps --hide-scrollbars --host-resolver-rules='MAP * ~NOTFOUND, EXCLUDE "
        "127.0.0.1' "
        "--user-data-dir='" +
        profile.Path().string() + "' ";
    const std::string url = server_->BaseUrl();

    int exitCode = -1;
    const auto domFile = profile.Path() / "dom.html";
    const std::string log =
        Output(browser + "--dump-dom " + url + " >'" + domFile.string() + "'", &exitCode);
    ASSERT_EQ(exitCode, 0) << log;
    std::ifstream domStream(domFile);
    const std::string dom((std::istreambuf_iterator<char>(domStream)), {});
    // The parsed page: the world record on top, then the players by rank.
    const auto at = [&](const std::string& text) { return dom.find(text); };
    ASSERT_NE(at("World record"), std::string::npos) << dom;
    EXPECT_NE(at("<p class=\"holder\">Ann Lee</p>"), std::string::npos);
    EXPECT_NE(at("4510 points"), std::string::npos);
    EXPECT_NE(at("10 words, 40 letters, 200 seconds, 2003-04-02"), std::string::npos);
    EXPECT_LT(at("Ann Lee</td>"), at("&lt;b&gt;Cid&lt;/b&gt; &amp; Co</td>"));
    EXPECT_LT(at("&lt;b&gt;Cid&lt;/b&gt; &amp; Co</td>"), at("Bartholomew Quentin</td>"));
    EXPECT_LT(at("Bartholomew Quentin</td>"), at("J\xc3\xbcrgen</td>"));
    EXPECT_EQ(at("Dee</td>"), std::string::npos) << "a player without a record has no rank";
    EXPECT_EQ(at("<b>"), std::string::npos);
    EXPECT_NE(at("<td>4</td><td class=\"name\">J\xc3\xbcrgen</td><td>13</td>"), std::string::npos);

    // Screenshots for people to look at, kept beside the test program.
    for (const auto& [name, size] :
         {std::pair{"desktop", "1280,800"}, std::pair{"phone", "390,844"}}) {
        const auto shot = std::filesystem::absolute(std::string("standings-") + name + ".png");
        std::filesystem::remove(shot);
        const std::string shotLog = Output(browser + "--window-size=" + size + " --screenshot='" +
                                               shot.string() + "' " + url,
                                           &exitCode);
        EXPECT_EQ(exitCode, 0) << shotLog;
        ASSERT_TRUE(std::filesystem::exists(shot)) << shotLog;
        EXPECT_GT(std::filesystem::file_size(shot), 5000u) << shot;
        std::cout << "[ shot    ] " << shot.string() << "\n";
    }
}

} // namespace
} // namespace lexfall::testing
