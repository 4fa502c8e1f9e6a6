// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace lexfall {

// Starts this program again in place of the running process, with the same arguments and the
// environment as it now stands. Returns only when that fails.
void RunAgain(char** argv);

} // namespace lexfall
