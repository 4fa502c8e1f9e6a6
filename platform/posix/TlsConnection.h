// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/Network.h"

#include <gnutls/gnutls.h>

#include <exception>
#include <memory>
#include <type_traits>

namespace lexfall::posix {

// TLS over any connection, through GnuTLS: a client session of TLS 1.2 or later whose
// handshake is finished by the constructor. The server's certificate must chain to the
// system's trusted authorities (and those of SSL_CERT_FILE and SSL_CERT_DIR when set) and name
// host.
class TlsConnection final : public Connection {
public:
    TlsConnection(std::unique_ptr<Connection> plain, const std::string& host,
                  std::chrono::milliseconds idleLimit);
    TlsConnection(const TlsConnection&) = delete;
    TlsConnection& operator=(const TlsConnection&) = delete;

    void Send(std::string_view bytes) override;
    std::optional<std::string> Receive(std::chrono::milliseconds idleLimit) override;
    bool ClosedWithoutGoodbye() const override { return closedWithoutGoodbye_; }

private:
    static ssize_t Push(gnutls_transport_ptr_t self, const void* data, size_t size);
    static ssize_t Pull(gnutls_transport_ptr_t self, void* data, size_t size);
    static int PullTimeout(gnutls_transport_ptr_t self, unsigned int milliseconds);
    // Reads from the plain connection into pending_; false when nothing came in time.
    bool Fill(std::chrono::milliseconds limit);
    // A failure of the plain connection inside a GnuTLS call is raised again here.
    void RethrowTransportFailure();
    [[noreturn]] void Fail(const std::string& what, int code);

    // Freed also when the constructor fails.
    struct FreeCredentials {
        void operator()(gnutls_certificate_credentials_t c) const {
            gnutls_certificate_free_credentials(c);
        }
    };
    struct FreeSession {
        void operator()(gnutls_session_t s) const { gnutls_deinit(s); }
    };

    std::unique_ptr<Connection> plain_;
    std::string host_;
    std::unique_ptr<std::remove_pointer_t<gnutls_certificate_credentials_t>, FreeCredentials>
        credentials_;
    std::unique_ptr<std::remove_pointer_t<gnutls_session_t>, FreeSession> session_;
    std::chrono::milliseconds limit_;
    std::string pending_;
    bool closed_ = false;
    // The last wait of the plain connection ended with no data in time.
    bool timedOut_ = false;
    bool closedWithoutGoodbye_ = false;
    std::exception_ptr transportFailure_;
};

// A TlsConnection over plain, for PosixNetwork in a program that links the TLS library.
std::unique_ptr<Connection> StartLinkedTls(std::unique_ptr<Connection> plain,
                                           const std::string& host,
                                           std::chrono::milliseconds idleLimit);

// The TLS library and its version, as the game reports it.
std::string TlsLibraryVersion();

} // namespace lexfall::posix
