// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LockWithin.h"

#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

int LockExclusiveBefore(int fd, std::chrono::steady_clock::time_point deadline) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return 0;
    if (errno != EWOULDBLOCK && errno != EINTR)
        return errno;
    struct Attempt {
        std::mutex lock;
        std::condition_variable finished;
        bool done = false;
        bool abandoned = false;
        int error = 0;
    };
    const auto attempt = std::make_shared<Attempt>();
    const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (own < 0)
        return errno;
    auto waitForLock = [attempt, own] {
        int error = 0;
        while (::flock(own, LOCK_EX) != 0) {
            if (errno != EINTR) {
                error = errno;
                break;
            }
        }
        const std::lock_guard<std::mutex> hold(attempt->lock);
        if (attempt->abandoned && error == 0)
            ::flock(own, LOCK_UN);
        ::close(own); // the lock stays with fd while that is open
        attempt->done = true;
        attempt->error = error;
        attempt->finished.notify_all();
    };
    try {
        std::thread(waitForLock).detach();
    } catch (const std::system_error& e) {
        ::close(own);
        return e.code().value();
    }
    std::unique_lock<std::mutex> hold(attempt->lock);
    if (!attempt->finished.wait_until(hold, deadline, [&] { return attempt->done; })) {
        attempt->abandoned = true;
        return kLockTimedOut;
    }
    return attempt->error;
}
