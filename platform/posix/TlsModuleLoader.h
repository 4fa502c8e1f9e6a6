// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/posix/PosixNetwork.h"

#include <string>

namespace lexfall::posix {

// TLS through the TLS module in moduleDir (a folder ending with a separator), loaded at the first
// connection and kept for the rest of the run. While the module cannot be loaded, every start
// throws the Error of a failed handshake, naming the host and why; the next start tries again.
PosixNetwork::TlsStart TlsFromModule(std::string moduleDir);

} // namespace lexfall::posix
