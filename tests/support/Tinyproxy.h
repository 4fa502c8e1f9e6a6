// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Debian's tinyproxy on 127.0.0.1 for a test, with Basic authentication ("joe", "s3cret"),
// started and stopped with the object.
#include "support/LoopbackServer.h"
#include "support/ScratchDir.h"
#include "support/ServerProgram.h"

#include <filesystem>
#include <fstream>
#include <memory>

namespace lexfall::testing {

inline constexpr const char* kTinyproxyProgram = "/usr/bin/tinyproxy";

class Tinyproxy {
public:
    Tinyproxy() : port_(RefusedPort()) {
        const auto config = scratch_.Path() / "tinyproxy.conf";
        std::ofstream(config) << "Port " << port_ << "\nListen 127.0.0.1\nAllow 127.0.0.1\n"
                              << "Timeout 10\nMaxClients 4\nBasicAuth joe s3cret\n";
        program_ = std::make_unique<ServerProgram>(
            std::vector<std::string>{kTinyproxyProgram, "-d", "-c", config.string()},
            scratch_.Path(), port_);
    }

    bool Ready() const { return program_->Ready(); }
    std::uint16_t Port() const { return port_; }

private:
    ScratchDir scratch_;
    std::uint16_t port_;
    std::unique_ptr<ServerProgram> program_;
};

} // namespace lexfall::testing
