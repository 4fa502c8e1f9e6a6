// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A reply read in one go, for checks that compare it with the reader fed in pieces.
#include "online/ReplyReader.h"

#include <string_view>

namespace lexfall::testing {

// A whole reply at once, the connection closed after it; throws as the reader does.
Reply ReadWholeReply(std::string_view bytes, ReplyLimits limits = {});

} // namespace lexfall::testing
