// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An https peer on 127.0.0.1 for the tests: a throwaway certificate authority made with the
// openssl command, and a GnuTLS server that takes connections one after another, keeps the
// decrypted bytes of each request and answers each with its scripted reply.
#include "support/LoopbackServer.h"
#include "support/ScratchDir.h"

#include <gnutls/gnutls.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lexfall::testing {

// A test authority and two server certificates it signed: one for 127.0.0.1 and localhost,
// one for another name only.
class TestAuthority {
public:
    TestAuthority() {
        ok_ =
            Run("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes "
                "-days 2 -subj '/CN=Lexfall Test CA' -keyout " +
                File("ca.key") + " -out " + CaFile() + " -config " + Config("ca", "CA:TRUE", "")) &&
            Sign("loopback", "IP:127.0.0.1,DNS:localhost") &&
            Sign("other", "DNS:records.other.example");
    }
    bool Ok() const { return ok_; }
    std::string CaFile() const { return dir_.File("ca.pem"); }
    std::string Cert(const std::string& name) const { return dir_.File(name + ".pem"); }
    std::string Key(const std::string& name) const { return dir_.File(name + ".key"); }

private:
    std::string File(const std::string& name) const { return dir_.File(name); }
    static bool Run(const std::string& command) {
        return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
    }
    std::string Config(const std::string& name, const std::string& constraints,
                       const std::string& altNames) const {
        std::string text = "[req]\ndistinguished_name=dn\nx509_extensions=ext\n[dn]\n[ext]\n"
                           "basicConstraints=critical," +
                           constraints + "\n";
        if (!altNames.empty())
            text += "subjectAltName=" + altNames +
                    "\nkeyUsage=critical,digitalSignature\n"
                    "extendedKeyUsage=serverAuth\n";
        else
            text += "keyUsage=critical,keyCertSign,cRLSign\n";
        dir_.Put(name + ".cnf", text);
        return File(name + ".cnf");
    }
    bool Sign(const std::string& name, const std::string& altNames) const {
        return Run("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes "
                   "-days 2 -subj '/CN=" +
                   name + "' -CA " + CaFile() + " -CAkey " + File("ca.key") + " -keyout " +
                   Key(name) + " -out " + Cert(name) + " -config " +
                   Config(name, "CA:FALSE", altNames));
    }

    ScratchDir dir_;
    bool ok_ = false;
};

// A test whose TLS clients trust the test authority alone: SSL_CERT_FILE names it for the test's
// length, and no SSL_CERT_DIR adds others.
class TrustsTestAuthority : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(authority.Ok()) << "openssl could not make the test authority";
        unsetenv("SSL_CERT_DIR");
        setenv("SSL_CERT_FILE", authority.CaFile().c_str(), 1);
    }
    void TearDown() override { unsetenv("SSL_CERT_FILE"); }

    TestAuthority authority;
};

// Passes a request on to a plain HTTP server on 127.0.0.1, as a TLS front (a reverse proxy)
// does: as HTTP/1.0, so the server closes after its reply, which comes back whole.
inline std::string RelayToLoopback(std::string request, std::uint16_t port) {
    if (const auto version = request.find(" HTTP/1.1\r\n"); version != std::string::npos)
        request.replace(version, 10, " HTTP/1.0\r\n");
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    std::string reply;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(request.size())) {
        char buffer[4096];
        for (ssize_t got; (got = recv(fd, buffer, sizeof buffer, 0)) > 0;)
            reply.append(buffer, static_cast<std::size_t>(got));
    }
    close(fd);
    return reply;
}

// How a TlsPeer speaks TLS besides answering.
struct TlsPeerOptions {
    // A GnuTLS priority string, such as "NORMAL:-VERS-ALL:+VERS-TLS1.2"; empty for the defaults.
    std::string priority;
    // TLS 1.3 session tickets sent right after the handshake, and after the reply.
    unsigned ticketsBeforeReply = 0;
    unsigned ticketsAfterReply = 0;
    // Whether the close comes after TLS's close_notify.
    bool goodbye = true;
};

class TlsPeer {
public:
    using Handler = std::function<std::string(const std::string& request)>;

    TlsPeer(const std::string& cert, const std::string& key, std::vector<std::string> replies,
            TlsPeerOptions options = {})
        : TlsPeer(cert, key, std::move(replies), nullptr) {
        options_ = std::move(options);
        started_.set_value();
    }
    // count connections, each answered with what handler makes of its request.
    TlsPeer(const std::string& cert, const std::string& key, std::size_t count, Handler handler,
            TlsPeerOptions options = {})
        : TlsPeer(cert, key, std::vector<std::string>(count), std::move(handler)) {
        options_ = std::move(options);
        started_.set_value();
    }
    ~TlsPeer() {
        const std::uint64_t one = 1;
        (void)!write(stop_, &one, sizeof one);
        thread_.join();
        close(listener_);
        close(stop_);
        gnutls_certificate_free_credentials(credentials_);
        gnutls_free(ticketKey_.data);
    }
    TlsPeer(const TlsPeer&) = delete;
    TlsPeer& operator=(const TlsPeer&) = delete;

    std::uint16_t Port() const { return port_; }
    std::string Url(const std::string& host, const std::string& target = "/") const {
        return "https://" + host + ":" + std::to_string(port_) + target;
    }
    // The decrypted requests, each up to and including its empty line.
    std::vector<std::string> Requests() const {
        const std::lock_guard lock(mutex_);
        return requests_;
    }
    // How many handshakes failed (an untrusting client gives up in the middle).
    int FailedHandshakes() const {
        const std::lock_guard lock(mutex_);
        return failedHandshakes_;
    }

private:
    TlsPeer(const std::string& cert, const std::string& key, std::vector<std::string> replies,
            Handler handler)
        : replies_(std::move(replies)), handler_(std::move(handler)),
          stop_(eventfd(0, EFD_CLOEXEC)) {
        gnutls_certificate_allocate_credentials(&credentials_);
        gnutls_certificate_set_x509_key_file(credentials_, cert.c_str(), key.c_str(),
                                             GNUTLS_X509_FMT_PEM);
        gnutls_session_ticket_key_generate(&ticketKey_);
        listener_ = ListenOnLoopback(8, port_);
        // The options are set by the public constructors before the first connection is served.
        thread_ = std::thread([this, started = started_.get_future()] {
            started.wait();
            Serve();
        });
    }

    bool WaitFor(int fd) const {
        pollfd entries[2] = {{stop_, POLLIN, 0}, {fd, POLLIN, 0}};
        if (poll(entries, 2, -1) <= 0)
            return false;
        return (entries[0].revents & POLLIN) == 0;
    }

    void Serve() {
        for (const std::string& reply : replies_) {
            if (!WaitFor(listener_))
                return;
            const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                return;
            Answer(fd, reply);
            close(fd);
        }
    }

    void Answer(int fd, const std::string& reply) {
        gnutls_session_t session;
        // A client that gave up must fail a send, not end the test program with SIGPIPE.
        gnutls_init(&session, GNUTLS_SERVER | GNUTLS_NO_AUTO_SEND_TICKET | GNUTLS_NO_SIGNAL);
        if (options_.priority.empty())
            gnutls_set_default_priority(session);
        else
            gnutls_priority_set_direct(session, options_.priority.c_str(), nullptr);
        gnutls_credentials_set(session, GNUTLS_CRD_CERTIFICATE, credentials_);
        gnutls_session_ticket_enable_server(session, &ticketKey_);
        gnutls_transport_set_int(session, fd);
        gnutls_handshake_set_timeout(session, 10000);
        int result;
        do {
            result = gnutls_handshake(session);
        } while (result < 0 && gnutls_error_is_fatal(result) == 0);
        if (result < 0) {
            const std::lock_guard lock(mutex_);
            ++failedHandshakes_;
        } else {
            SendTickets(session, options_.ticketsBeforeReply);
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t got = gnutls_record_recv(session, buffer, sizeof buffer);
                if (got <= 0)
                    break;
                request.append(buffer, static_cast<std::size_t>(got));
            }
            {
                const std::lock_guard lock(mutex_);
                requests_.push_back(request);
            }
            const std::string answer = handler_ ? handler_(request) : reply;
            gnutls_record_send(session, answer.data(), answer.size());
            SendTickets(session, options_.ticketsAfterReply);
            if (options_.goodbye)
                gnutls_bye(session, GNUTLS_SHUT_WR);
        }
        gnutls_deinit(session);
    }

    // Tickets exist in TLS 1.3 only; over TLS 1.2 there is nothing to send.
    static void SendTickets(gnutls_session_t session, unsigned count) {
        if (count > 0 && gnutls_protocol_get_version(session) == GNUTLS_TLS1_3)
            gnutls_session_ticket_send(session, count, 0);
    }

    std::vector<std::string> replies_;
    Handler handler_;
    TlsPeerOptions options_;
    std::promise<void> started_;
    gnutls_datum_t ticketKey_{};
    int stop_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    gnutls_certificate_credentials_t credentials_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    int failedHandshakes_ = 0;
    std::thread thread_;
};

} // namespace lexfall::testing
