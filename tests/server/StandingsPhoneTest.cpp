// SPDX-License-Identifier: GPL-3.0-or-later
// The standings page on a 390-pixel phone, with names of 20 characters and no blank: nothing
// is wider than the screen. Headless Chromium lays a window out no narrower than 500 pixels,
// so the page is shown in a frame of the phone's width, and tells its width to the page
// around it.
#include "support/RecordsServerProcess.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace lexfall::testing {
namespace {

std::string Output(const std::string& command, int& exitCode) {
    std::string text;
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr)
        return text;
    char chunk[4096];
    std::size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0)
        text.append(chunk, got);
    const int status = pclose(pipe);
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return text;
}

TEST(StandingsPhoneTest, LongNamesFitA390PixelScreen) {
    if (std::system("command -v chromium >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "chromium is not installed";
    ScratchDir folder;
    const std::string db = (folder.Path() / "records.sqlite").string();
    const char* names[] = {"Maximilianbartholome", "WWWWWWWWWWWWWWWWWWWW", "Ann"};
    std::vector<RegisteredPlayer> players;
    for (const char* name : names)
        players.push_back(
            AddRecordsPlayer(db, name, std::string(name).substr(0, 3) + "@example.org"));
    RecordsServerProcess server(db);
    const char* figures[] = {",10,200,40,4510,2003-04-02", ",2,30,10,194,2003-03-28",
                             ",1,96,3,13,2003-03-28"};
    for (std::size_t i = 0; i < players.size(); ++i) {
        const RegisteredPlayer& player = players[i];
        const std::string put = "/putmyrec.asp?u=" + player.Name + "&e=" + player.Email +
                                "&c=" + player.Code + "&r=x" + figures[i];
        ASSERT_EQ(server.Get(put).Body, "0") << put;
    }
    std::string page = server.Get("/").Body;
    ASSERT_NE(page.find("WWWWWWWWWWWWWWWWWWWW"), std::string::npos);
    // Only the copy gets a script: it reports how wide the page lays out.
    page.insert(page.rfind("</body>"),
                "<script>parent.postMessage(document.documentElement.scrollWidth + ' ' + "
                "document.documentElement.clientWidth, '*');</script>");
    std::ofstream(folder.Path() / "page.html") << page;
    std::ofstream(folder.Path() / "phone.html")
        << "<!DOCTYPE html><html><body style=\"margin:0\"><iframe src=\"page.html\" "
           "style=\"width:390px;height:844px;border:0\"></iframe><p id=\"width\">none</p>"
           "<script>onmessage = e => { document.getElementById('width').textContent = e.data; "
           "};</script></body></html>";
    const std::string browser =
        "timeout 90 chromium --headless --no-sandbox --disable-gpu --no-first-run "
        "--disable-background-networking --disable-component-update --disable-sync "
        "--host-resolver-rules='MAP * ~NOTFOUND' --allow-file-access-from-files "
        "--virtual-time-budget=3000 --user-data-dir='" +
        (folder.Path() / "profile").string() + "' ";
    int exitCode = -1;
    const std::string dom = Output(
        browser + "--dump-dom 'file://" + (folder.Path() / "phone.html").string() + "'", exitCode);
    ASSERT_EQ(exitCode, 0) << dom;
    const std::size_t at = dom.find("<p id=\"width\">");
    ASSERT_NE(at, std::string::npos) << dom;
    int scrollWidth = 0;
    int clientWidth = 0;
    ASSERT_EQ(std::sscanf(dom.c_str() + at + 14, "%d %d", &scrollWidth, &clientWidth), 2) << dom;
    std::cout << "standings at 390 px: lays out " << scrollWidth << " px wide in " << clientWidth
              << " px\n";
    EXPECT_EQ(clientWidth, 390);
    EXPECT_LE(scrollWidth, clientWidth);

    const auto shot = std::filesystem::absolute("standings-phone-390.png");
    std::filesystem::remove(shot);
    Output(browser + "--window-size=500,900 --screenshot='" + shot.string() + "' 'file://" +
               (folder.Path() / "phone.html").string() + "'",
           exitCode);
    if (std::filesystem::exists(shot))
        std::cout << "[ shot    ] " << shot.string() << "\n";
}

} // namespace
} // namespace lexfall::testing
