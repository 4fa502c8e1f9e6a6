// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/TlsModule.h"

#include "platform/posix/TlsConnection.h"

extern "C" __attribute__((visibility("default"))) lexfall::Connection*
LexfallStartTls(lexfall::Connection* plain, const std::string& host,
                std::chrono::milliseconds idleLimit) {
    std::unique_ptr<lexfall::Connection> owned(plain);
    return lexfall::posix::StartLinkedTls(std::move(owned), host, idleLimit).release();
}
