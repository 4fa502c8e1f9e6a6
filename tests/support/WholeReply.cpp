// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/WholeReply.h"

namespace lexfall::testing {

Reply ReadWholeReply(std::string_view bytes, ReplyLimits limits) {
    ReplyReader reader(limits);
    reader.Feed(bytes);
    reader.Close();
    return Reply{reader.Head(), reader.TakeBody()};
}

} // namespace lexfall::testing
