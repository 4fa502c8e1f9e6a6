// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs a check as an ordinary user: the tests run as root, whom no file mode stops, so the
// check runs in a forked child that gives up root for "nobody" first. Files it must reach are
// prepared before, with rights for others where they should have them.
#include <gtest/gtest.h>

#include <functional>

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lexfall::testing {

// The child's exit code: 0 when check returned true. A non-root test run forks all the same,
// so the check never changes this process.
inline int RunAsNobody(const std::function<bool()>& check) {
    const passwd* nobody = ::getpwnam("nobody");
    const uid_t uid = nobody != nullptr ? nobody->pw_uid : 65534;
    const gid_t gid = nobody != nullptr ? nobody->pw_gid : 65534;
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0))
            ::_exit(100);
        bool ok = false;
        try {
            ok = check();
        } catch (...) {
        }
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -2;
    return WEXITSTATUS(status);
}

// The uid a child of RunAsNobody runs as.
inline uid_t NobodyUid() {
    const passwd* nobody = ::getpwnam("nobody");
    return ::geteuid() != 0 ? ::geteuid() : nobody != nullptr ? nobody->pw_uid : 65534;
}

} // namespace lexfall::testing
