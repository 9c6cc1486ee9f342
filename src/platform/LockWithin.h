// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <chrono>

// What LockExclusiveBefore gives when the time ran out (no system call fails with it).
constexpr int kLockTimedOut = -2;

// Takes the exclusive flock of the open file fd, waiting until deadline at most: 0 once it is held,
// kLockTimedOut when another holder kept it, else the errno. A program that keeps a lock for ever
// must not freeze this one: the wait blocks in a helper thread on a duplicate of fd (the same open
// file, so the same lock), so the kernel queues us with the other waiters and hands the lock over
// the moment it is free; a helper whose wait was given up gives back, alone, what it gets later.
// The lock is released when fd (and every duplicate of it) is closed, or by flock(LOCK_UN).
int LockExclusiveBefore(int fd, std::chrono::steady_clock::time_point deadline);
