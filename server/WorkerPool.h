// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace lexfall::server {

// The threads that run requests off the event loops: a slow statement then holds up only its
// own request, never the other connections of its loop.
class WorkerPool {
public:
    explicit WorkerPool(std::size_t threads) {
        for (std::size_t i = 0; i < threads; ++i)
            threads_.emplace_back([this] { Work(); });
    }
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;
    ~WorkerPool() { Stop(); }

    // False once stopping: the caller runs the job itself.
    bool Post(std::function<void()> job) {
        {
            std::lock_guard lock(mutex_);
            if (stopping_)
                return false;
            jobs_.push_back(std::move(job));
        }
        ready_.notify_one();
        return true;
    }

    // Runs every job posted so far, then joins the threads.
    void Stop() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        ready_.notify_all();
        for (auto& thread : threads_) {
            if (thread.joinable())
                thread.join();
        }
    }

private:
    void Work() {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock lock(mutex_);
                ready_.wait(lock, [&] { return stopping_ || !jobs_.empty(); });
                if (jobs_.empty())
                    return;
                job = std::move(jobs_.front());
                jobs_.pop_front();
            }
            job();
        }
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> jobs_;
    std::vector<std::thread> threads_;
    bool stopping_ = false;
};

} // namespace lexfall::server
