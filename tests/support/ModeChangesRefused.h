// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A stand-in for fchmod that a test can make fail with EPERM, as a FAT file system refuses
// mode changes. It takes the C library's place in the whole program, so exactly one source
// file of a test program includes it.
#include <cerrno>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace lexfall::testing {

// While true, every fchmod in this program fails with EPERM.
inline bool gRefuseModeChange = false;

} // namespace lexfall::testing

extern "C" int fchmod(int fd, mode_t mode) noexcept {
    if (lexfall::testing::gRefuseModeChange) {
        errno = EPERM;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_fchmod, fd, mode));
}
