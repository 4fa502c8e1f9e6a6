// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/QuitSignals.h"

#include <csignal>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace lexfall {
namespace {

int writeEnd = -1;

void Forward(int) {
    const char byte = 1;
    // A full pipe already holds a request to quit.
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
}

} // namespace

int WatchQuitSignals() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return -1;
    writeEnd = ends[1];
    struct sigaction action {};
    action.sa_handler = Forward;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    return ends[0];
}

} // namespace lexfall
