// SPDX-License-Identifier: GPL-3.0-or-later
// The log an operator reads: a flood of lines is capped each second with a count of what was
// dropped, and one error repeated is written once a second with its count.
#include "server/LogWriter.h"

#include <gtest/gtest.h>

#include <sstream>

namespace lexfall::testing {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> Lines(const std::ostringstream& out) {
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line.substr(line.find(' ') + 1)); // without the time
    return lines;
}

TEST(LogWriterTest, LinesPastTheCapAreCountedAndDropped) {
    std::ostringstream out;
    std::chrono::steady_clock::time_point now{};
    server::LogWriter log(out, 3, [&] { return now; });
    for (int i = 0; i < 10; ++i)
        log.Line("line " + std::to_string(i));
    now += 1s;
    log.Line("next second");
    EXPECT_EQ(Lines(out),
              (std::vector<std::string>{"line 0", "line 1", "line 2",
                                        "- log 7 lines dropped past 3 a second", "next second"}));
}

TEST(LogWriterTest, RepeatedErrorIsWrittenOnceASecondWithItsCount) {
    std::ostringstream out;
    std::chrono::steady_clock::time_point now{};
    server::LogWriter log(out, 1000, [&] { return now; });
    for (int i = 0; i < 50; ++i) {
        log.Repeating("- database-error disk full");
        now += 50ms; // twenty a second
    }
    log.Repeating("- database-error something else");
    log.Flush();
    EXPECT_EQ(Lines(out), (std::vector<std::string>{
                              "- database-error disk full",
                              "- database-error disk full (20 times more)",
                              "- database-error disk full (20 times more)",
                              "- database-error disk full (9 times more)",
                              "- database-error something else",
                          }));
}

TEST(LogWriterTest, OnlyControlsAreEscapedInTheServersOwnText) {
    EXPECT_EQ(server::EscapeControls("no route to host\nnext\\ \xe9"),
              "no route to host\\x0anext\\x5c \\xe9");
    EXPECT_EQ(server::EscapeForLog("a b"), "a\\x20b");
}

} // namespace
} // namespace lexfall::testing
