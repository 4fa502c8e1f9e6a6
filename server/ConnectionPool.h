// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Database connections shared by the request threads: each request borrows one for its whole
// transaction. A connection that reports itself Broken() is closed, not returned, so the
// next request opens a fresh one; an idle one is asked again before it is lent, so a request
// after a database restart runs on a new connection instead of failing on the old one.
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace lexfall::server {

template <class Connection> class ConnectionPool {
public:
    using Factory = std::function<std::unique_ptr<Connection>()>;

    ConnectionPool(Factory make, std::size_t limit) : make_(std::move(make)), limit_(limit) {}

    class Lease {
    public:
        Lease(ConnectionPool& pool, std::unique_ptr<Connection> connection)
            : pool_(pool), connection_(std::move(connection)) {}
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        ~Lease() {
            const bool broken = connection_ && connection_->Broken();
            pool_.Return(std::move(connection_), broken);
        }

        Connection& operator*() { return *connection_; }
        Connection* operator->() { return connection_.get(); }

    private:
        ConnectionPool& pool_;
        std::unique_ptr<Connection> connection_;
    };

    Lease Acquire() {
        std::unique_lock lock(mutex_);
        for (;;) {
            available_.wait(lock, [&] { return !idle_.empty() || open_ < limit_; });
            if (idle_.empty())
                break;
            auto connection = std::move(idle_.back());
            idle_.pop_back();
            if (!connection->Broken())
                return Lease(*this, std::move(connection));
            --open_;
        }
        ++open_;
        lock.unlock();
        try {
            return Lease(*this, make_());
        } catch (...) {
            Return(nullptr, true);
            throw;
        }
    }

private:
    void Return(std::unique_ptr<Connection> connection, bool broken) {
        {
            std::lock_guard lock(mutex_);
            if (connection && !broken)
                idle_.push_back(std::move(connection));
            else
                --open_;
        }
        available_.notify_one();
    }

    Factory make_;
    std::size_t limit_;
    std::mutex mutex_;
    std::condition_variable available_;
    std::vector<std::unique_ptr<Connection>> idle_;
    std::size_t open_ = 0;
};

} // namespace lexfall::server
