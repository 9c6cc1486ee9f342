// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AppError.h"
#include "platform/ProfileFile.h"
#include "support/TempTree.h"

#include <QFile>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// Another program holding an exclusive lock on a file: a child process that locks it and keeps the
// lock for holdMs milliseconds or until it is ended. The child makes only async-signal-safe calls.
class LockingProgram {
public:
    LockingProgram(const std::string& path, unsigned holdMs) {
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            const char said = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
            (void)!::write(ready[1], &said, 1);
            ::usleep(holdMs * 1000);
            ::_exit(0);
        }
        ::close(ready[1]);
        char said = 'n';
        m_holding = m_pid > 0 && ::read(ready[0], &said, 1) == 1 && said == 'y';
        ::close(ready[0]);
    }
    ~LockingProgram() { end(); }
    LockingProgram(const LockingProgram&) = delete;
    LockingProgram& operator=(const LockingProgram&) = delete;

    bool holding() const { return m_holding; }
    void end() {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    bool m_holding = false;
};

std::string text(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

class ProfileFileLockTest : public ::testing::Test {
protected:
    TempTree tree;
    std::string path = tree.path("Vantorel.Ini");
    ProfileFile profile{QFile::decodeName(QByteArray::fromStdString(path))};

    void SetUp() override { std::ofstream(path) << "[Vantorel]\nNdelete=5\n"; }
    // Sets Ndelete to n; the text of the error that this gave, or "no error".
    std::string setDeleted(std::int64_t n, std::chrono::milliseconds wait = ProfileFile::lockWait) const {
        try {
            profile.update(
                [&](ProfileFile::Contents& c) {
                    c.setIntegers("Vantorel", {{"Ndelete", n}});
                },
                wait);
        } catch (const AppError& e) {
            return e.text().toStdString();
        }
        return "no error";
    }
};

} // namespace

TEST_F(ProfileFileLockTest, ALockHeldPastTheWaitFailsNamingTheOtherProgramAndChangesNothing) {
    LockingProgram other(path, 60'000);
    ASSERT_TRUE(other.holding());
    const std::string expected = "Unable to write to " + path + "\nAnother program holds this file locked";
    EXPECT_EQ(setDeleted(6, 200ms), expected);
    // The wait that every caller gets, about five seconds.
    EXPECT_EQ(setDeleted(7), expected);
    EXPECT_EQ(text(path), "[Vantorel]\nNdelete=5\n");

    // The waits that were given up keep nothing: once the other program is gone, the file is free.
    other.end();
    EXPECT_EQ(setDeleted(8), "no error");
    EXPECT_EQ(text(path), "[Vantorel]\nNdelete=8\n");
}

TEST_F(ProfileFileLockTest, AnUpdateWaitsOutALockHeldBriefly) {
    LockingProgram other(path, 300);
    ASSERT_TRUE(other.holding());
    EXPECT_EQ(setDeleted(9), "no error");
    EXPECT_EQ(text(path), "[Vantorel]\nNdelete=9\n");
}
