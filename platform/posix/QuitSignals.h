// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace lexfall {

// Turns SIGTERM, SIGINT and SIGHUP (a logout, Ctrl+C, a closed terminal) into a byte on a pipe,
// so the program can end its event loop and exit cleanly instead of dying mid-step. Returns the
// pipe's read end, to watch for input, or -1 when no pipe could be made (the signals then keep
// their default action). Call once.
int WatchQuitSignals();

} // namespace lexfall
