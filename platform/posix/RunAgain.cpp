// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/RunAgain.h"

#include <unistd.h>

namespace lexfall {

void RunAgain(char** argv) {
    // The program's own file, not argv[0], which a desktop launcher may give as a bare name.
    ::execv("/proc/self/exe", argv);
}

} // namespace lexfall
