// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/TlsConnection.h"

#include <arpa/inet.h>
#include <gnutls/x509.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace lexfall::posix {
namespace {

// Nothing older than TLS 1.2 is offered or accepted.
constexpr const char* kPriorities = "NORMAL:-VERS-ALL:+VERS-TLS1.3:+VERS-TLS1.2";

bool IsAddressLiteral(const std::string& host) {
    in_addr v4{};
    in6_addr v6{};
    return inet_pton(AF_INET, host.c_str(), &v4) == 1 ||
           inet_pton(AF_INET6, host.c_str(), &v6) == 1;
}

// Why the certificate was refused, in GnuTLS's words.
std::string VerificationText(gnutls_session_t session) {
    const unsigned status = gnutls_session_get_verify_cert_status(session);
    gnutls_datum_t text{};
    if (gnutls_certificate_verification_status_print(status, GNUTLS_CRT_X509, &text, 0) < 0)
        return "verification failed";
    std::string result(reinterpret_cast<const char*>(text.data), text.size);
    gnutls_free(text.data);
    return result;
}

} // namespace

TlsConnection::TlsConnection(std::unique_ptr<Connection> plain, const std::string& host,
                             std::chrono::milliseconds idleLimit)
    : plain_(std::move(plain)), host_(host), limit_(idleLimit) {
    const auto check = [this](int code, const char* what) {
        if (code < 0)
            Fail(what, code);
    };
    gnutls_certificate_credentials_t credentials = nullptr;
    check(gnutls_certificate_allocate_credentials(&credentials), "no credentials");
    credentials_.reset(credentials);
    // The system's authorities, and those a user (or a test) names as other programs read them.
    gnutls_certificate_set_x509_system_trust(credentials);
    if (const char* file = std::getenv("SSL_CERT_FILE"); file != nullptr && *file != '\0')
        gnutls_certificate_set_x509_trust_file(credentials, file, GNUTLS_X509_FMT_PEM);
    if (const char* dir = std::getenv("SSL_CERT_DIR"); dir != nullptr && *dir != '\0')
        gnutls_certificate_set_x509_trust_dir(credentials, dir, GNUTLS_X509_FMT_PEM);

    gnutls_session_t session = nullptr;
    check(gnutls_init(&session, GNUTLS_CLIENT), "no session");
    session_.reset(session);
    check(gnutls_priority_set_direct(session, kPriorities, nullptr), "no priorities");
    check(gnutls_credentials_set(session, GNUTLS_CRD_CERTIFICATE, credentials), "no credentials");
    if (!IsAddressLiteral(host_))
        check(gnutls_server_name_set(session, GNUTLS_NAME_DNS, host_.data(), host_.size()),
              "bad server name");
    gnutls_session_set_verify_cert(session, host_.c_str(), 0);
    gnutls_transport_set_ptr(session, this);
    gnutls_transport_set_push_function(session, Push);
    gnutls_transport_set_pull_function(session, Pull);
    gnutls_transport_set_pull_timeout_function(session, PullTimeout);

    int result;
    do {
        result = gnutls_handshake(session);
    } while (result == GNUTLS_E_INTERRUPTED ||
             (result < 0 && result != GNUTLS_E_AGAIN && gnutls_error_is_fatal(result) == 0));
    if (result < 0) {
        RethrowTransportFailure();
        if (result == GNUTLS_E_CERTIFICATE_VERIFICATION_ERROR)
            throw Error("The certificate of " + host_ +
                        " is not trusted: " + VerificationText(session));
        if (result == GNUTLS_E_AGAIN)
            throw Error("The TLS handshake with " + host_ + " timed out.");
        Fail("The TLS handshake with " + host_ + " failed", result);
    }
}

void TlsConnection::Fail(const std::string& what, int code) {
    throw Error(what + ": " + gnutls_strerror(code));
}

void TlsConnection::RethrowTransportFailure() {
    if (transportFailure_)
        std::rethrow_exception(std::exchange(transportFailure_, nullptr));
}

void TlsConnection::Send(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = gnutls_record_send(session_.get(), bytes.data(), bytes.size());
        if (sent == GNUTLS_E_INTERRUPTED || sent == GNUTLS_E_AGAIN)
            continue;
        if (sent < 0) {
            RethrowTransportFailure();
            Fail("The TLS connection with " + host_ + " failed", static_cast<int>(sent));
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
}

std::optional<std::string> TlsConnection::Receive(std::chrono::milliseconds idleLimit) {
    const auto idleEnd = std::chrono::steady_clock::now() + idleLimit;
    char buffer[16384];
    for (;;) {
        // A message after the handshake (a TLS 1.3 session ticket, a key update) is handled
        // inside the call, which then reports "again" although data may still come in time.
        limit_ = std::max(std::chrono::ceil<std::chrono::milliseconds>(
                              idleEnd - std::chrono::steady_clock::now()),
                          std::chrono::milliseconds(0));
        timedOut_ = false;
        const ssize_t got = gnutls_record_recv(session_.get(), buffer, sizeof buffer);
        if (got > 0)
            return std::string(buffer, static_cast<std::size_t>(got));
        if (got == 0)
            return std::string();
        // A close without TLS's goodbye: what came before may be cut short, which only the
        // reader of a reply can judge.
        if (got == GNUTLS_E_PREMATURE_TERMINATION) {
            closedWithoutGoodbye_ = true;
            return std::string();
        }
        RethrowTransportFailure();
        if (got == GNUTLS_E_AGAIN && timedOut_)
            return std::nullopt;
        if (got == GNUTLS_E_AGAIN || got == GNUTLS_E_INTERRUPTED ||
            gnutls_error_is_fatal(static_cast<int>(got)) == 0)
            continue;
        Fail("The TLS connection with " + host_ + " failed", static_cast<int>(got));
    }
}

bool TlsConnection::Fill(std::chrono::milliseconds limit) {
    const auto data = plain_->Receive(limit);
    if (!data)
        return false;
    if (data->empty())
        closed_ = true;
    pending_ += *data;
    return true;
}

ssize_t TlsConnection::Push(gnutls_transport_ptr_t self, const void* data, size_t size) {
    auto* tls = static_cast<TlsConnection*>(self);
    try {
        tls->plain_->Send(std::string_view(static_cast<const char*>(data), size));
        return static_cast<ssize_t>(size);
    } catch (...) {
        // Exceptions must not cross the C library; they are raised again once it returns.
        tls->transportFailure_ = std::current_exception();
        gnutls_transport_set_errno(tls->session_.get(), EIO);
        return -1;
    }
}

ssize_t TlsConnection::Pull(gnutls_transport_ptr_t self, void* data, size_t size) {
    auto* tls = static_cast<TlsConnection*>(self);
    try {
        if (tls->pending_.empty() && !tls->closed_ && !tls->Fill(tls->limit_)) {
            tls->timedOut_ = true;
            gnutls_transport_set_errno(tls->session_.get(), EAGAIN);
            return -1;
        }
    } catch (...) {
        tls->transportFailure_ = std::current_exception();
        gnutls_transport_set_errno(tls->session_.get(), EIO);
        return -1;
    }
    const std::size_t taken = std::min(size, tls->pending_.size());
    std::memcpy(data, tls->pending_.data(), taken);
    tls->pending_.erase(0, taken);
    return static_cast<ssize_t>(taken);
}

int TlsConnection::PullTimeout(gnutls_transport_ptr_t self, unsigned int milliseconds) {
    auto* tls = static_cast<TlsConnection*>(self);
    if (!tls->pending_.empty() || tls->closed_)
        return 1;
    const auto limit = milliseconds == GNUTLS_INDEFINITE_TIMEOUT
                           ? tls->limit_
                           : std::min(tls->limit_, std::chrono::milliseconds(milliseconds));
    try {
        if (tls->Fill(limit))
            return 1;
        tls->timedOut_ = true;
        return 0;
    } catch (...) {
        tls->transportFailure_ = std::current_exception();
        gnutls_transport_set_errno(tls->session_.get(), EIO);
        return -1;
    }
}

std::unique_ptr<Connection> StartLinkedTls(std::unique_ptr<Connection> plain,
                                           const std::string& host,
                                           std::chrono::milliseconds idleLimit) {
    return std::make_unique<TlsConnection>(std::move(plain), host, idleLimit);
}

std::string TlsLibraryVersion() {
    return std::string("GnuTLS ") + gnutls_check_version(nullptr);
}

} // namespace lexfall::posix
