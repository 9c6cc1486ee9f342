// SPDX-License-Identifier: GPL-3.0-or-later
// The tool run as a shell would run it, with standard output on a full device, closed, or a pipe
// that nobody reads any more, and with folders it may not read.
#include "support/ReachableProgram.h"
#include "support/TempTree.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <iterator>
#include <grp.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

enum class Out { Pipe, DevFull, Closed, Unread };

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
    bool exited(int code) const { return WIFEXITED(status) && WEXITSTATUS(status) == code; }
};

constexpr int kSetUpFailed = 99;

std::string readAll(int fd) {
    std::string all;
    char buf[65536];
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        all.append(buf, std::size_t(n));
    }
    return all;
}

// Runs the tool with out as its standard output and standard error in a file. inChild runs in the
// child before the tool starts (system calls only); false there gives exit kSetUpFailed.
Outcome run(const std::vector<std::string>& args, Out out, const std::function<bool()>& inChild = {}) {
    std::vector<std::string> env = {"LC_ALL=en_US.UTF-8", "PATH=/usr/bin:/bin", "QT_QPA_PLATFORM=offscreen"};
    for (const char* keep : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "TMPDIR"})
        if (const char* v = std::getenv(keep))
            env.push_back(std::string(keep) + "=" + v);
    // A copy that a child dropped to "nobody" can run, wherever the build folder lies.
    const std::string& program = ReachableProgram(VANTOREL_CLI_PATH);
    std::vector<char*> argv = {const_cast<char*>(program.c_str())}, envp;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const std::string& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    FILE* errFile = std::tmpfile();
    const int errFd = fileno(errFile);
    int pipeFds[2] = {-1, -1};
    if (out == Out::Pipe || out == Out::Unread) {
        EXPECT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
        if (out == Out::Unread) {
            ::close(pipeFds[0]); // the reader is gone before the first line
            pipeFds[0] = -1;
        }
    }
    const int full = out == Out::DevFull ? ::open("/dev/full", O_WRONLY | O_CLOEXEC) : -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        // A shell starts a command with the default action for a broken pipe.
        std::signal(SIGPIPE, SIG_DFL);
        ::dup2(errFd, STDERR_FILENO);
        if (out == Out::Closed)
            ::close(STDOUT_FILENO);
        else
            ::dup2(out == Out::DevFull ? full : pipeFds[1], STDOUT_FILENO);
        if (inChild && !inChild())
            ::_exit(kSetUpFailed);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    Outcome r;
    if (pipeFds[1] >= 0)
        ::close(pipeFds[1]);
    if (pipeFds[0] >= 0) {
        r.out = readAll(pipeFds[0]);
        ::close(pipeFds[0]);
    }
    if (full >= 0)
        ::close(full);
    while (::waitpid(pid, &r.status, 0) < 0 && errno == EINTR) {
    }
    std::rewind(errFile);
    r.err = readAll(errFd);
    std::fclose(errFile);
    return r;
}

// In the child: the permissions of "nobody", so that a folder of mode 000 is really unreadable. The
// working folder (the build folder) may be out of nobody's reach: the child starts from "/".
bool becomeNobody() {
    if (::geteuid() != 0)
        return true;
    return ::chdir("/") == 0 && ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
}

// In the child: still root, but without root's power over file permissions, so that the test's own
// folders deny what their modes deny, while the tool (wherever the build lies) can still be run.
bool withoutPermissionOverride() {
    if (::geteuid() != 0)
        return true;
    return ::prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0) == 0 &&
           ::prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0) == 0;
}

void makeFiles(TempTree& t, const std::string& folder, int count) {
    for (int i = 0; i < count; ++i)
        t.file(folder + "/file" + std::to_string(i) + ".dat", i);
}

} // namespace

TEST(CliOutput, AWriteThatFailsIsExitTwoWithTheReason) {
    TempTree t;
    makeFiles(t, "many", 3000); // more than one block of lines
    const std::vector<std::string> args = {"hogs", "--larger", "0", t.root()};

    Outcome ok = run(args, Out::Pipe);
    ASSERT_TRUE(ok.exited(0)) << ok.err;
    EXPECT_EQ(std::count(ok.out.begin(), ok.out.end(), '\n'), 3000);

    Outcome full = run(args, Out::DevFull);
    EXPECT_TRUE(full.exited(2)) << full.status;
    EXPECT_EQ(full.err, std::string("vantorel-cli: cannot write to standard output: ") + std::strerror(ENOSPC) + "\n");

    for (const std::vector<std::string>& a : {args, std::vector<std::string>{"--help"}}) {
        Outcome closed = run(a, Out::Closed);
        EXPECT_TRUE(closed.exited(2)) << closed.status;
        EXPECT_EQ(closed.err, std::string("vantorel-cli: cannot write to standard output: ") + std::strerror(EBADF) + "\n");
    }

    // A reader that went away ends the tool by the broken-pipe signal, without a word, as find.
    Outcome gone = run(args, Out::Unread);
    EXPECT_TRUE(WIFSIGNALED(gone.status) && WTERMSIG(gone.status) == SIGPIPE) << gone.status;
    EXPECT_EQ(gone.err, "");
}

TEST(CliOutput, UnreadableFoldersAreNamedAndLeftOutMountsAreNot) {
    TempTree t;
    t.file("open/big.dat", 300 * 1024);
    t.file("locked/inside/secret.dat", 300 * 1024);
    t.file("empty/locked/secret.dat", 300 * 1024);
    t.setMode("locked", 0);
    t.setMode("empty/locked", 0);

    Outcome some = run({"hogs", t.root()}, Out::Pipe, becomeNobody);
    ASSERT_NE(WEXITSTATUS(some.status), kSetUpFailed);
    EXPECT_TRUE(some.exited(0)) << some.err; // the files found still decide the status
    EXPECT_EQ(some.out.find("secret"), std::string::npos);
    EXPECT_NE(some.out.find("big.dat"), std::string::npos);
    const std::string denied = std::strerror(EACCES);
    EXPECT_NE(some.err.find("vantorel-cli: cannot read " + t.path("locked") + ": " + denied + "\n"), std::string::npos)
        << some.err;
    EXPECT_NE(some.err.find("vantorel-cli: cannot read " + t.path("empty/locked") + ": " + denied + "\n"),
              std::string::npos);

    Outcome none = run({"hogs", t.path("empty")}, Out::Pipe, becomeNobody);
    EXPECT_TRUE(none.exited(1));
    EXPECT_EQ(none.err, "vantorel-cli: cannot read " + t.path("empty/locked") + ": " + denied + "\nNo files found.\n");

    // A filesystem mounted inside is not entered, and that is no failure (a private mount namespace,
    // so nothing outside the child sees the mount). The child only makes system calls: texts first.
    t.file("mnt/under.dat", 300 * 1024);
    const std::string mountPoint = t.path("mnt"), onTmpfs = t.path("mnt/on-tmpfs.dat");
    auto mountTmpfs = [&] {
        return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
               ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, nullptr) == 0;
    };
    Outcome mounted = run({"hogs", mountPoint, t.path("open")}, Out::Pipe, [&] {
        if (!mountTmpfs())
            return false;
        const int fd = ::open(onTmpfs.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        return fd >= 0 && ::ftruncate(fd, 300 * 1024) == 0 && ::close(fd) == 0;
    });
    if (WIFEXITED(mounted.status) && WEXITSTATUS(mounted.status) == kSetUpFailed)
        GTEST_SKIP() << "no private mount namespace here";
    EXPECT_TRUE(mounted.exited(0)) << mounted.err;
    EXPECT_EQ(mounted.err, "");
    EXPECT_NE(mounted.out.find("on-tmpfs.dat"), std::string::npos); // a root that is a mount is walked
    Outcome below = run({"hogs", t.root()}, Out::Pipe, [&] { return mountTmpfs() && becomeNobody(); });
    EXPECT_TRUE(below.exited(0)) << below.err;
    EXPECT_EQ(below.err.find("/mnt"), std::string::npos) << below.err;
    EXPECT_EQ(below.out.find("under.dat"), std::string::npos); // hidden by the mount, and not entered
}

// A folder that may be listed but not searched: every file whose statistics cannot be read and every
// folder that cannot be opened is named, the others are listed, and the files found decide the status.
TEST(CliOutput, EntriesThatCannotBeExaminedAreNamed) {
    TempTree t;
    t.file("open/big.dat", 300 * 1024);
    t.file("listonly/hidden-by-mode.dat", 300 * 1024);
    t.file("listonly/sub/below.dat", 300 * 1024);
    t.setMode("listonly", 0644);
    const std::string denied = std::strerror(EACCES);
    const std::string fileWarning =
        "vantorel-cli: cannot read " + t.path("listonly/hidden-by-mode.dat") + ": " + denied + "\n";
    const std::string folderWarning =
        "vantorel-cli: cannot read " + t.path("listonly/sub") + ": " + denied + "\n";

    Outcome hogs = run({"hogs", t.root()}, Out::Pipe, withoutPermissionOverride);
    if (WIFEXITED(hogs.status) && WEXITSTATUS(hogs.status) == kSetUpFailed)
        GTEST_SKIP() << "cannot give up the permission override here";
    EXPECT_TRUE(hogs.exited(0)) << hogs.err;
    EXPECT_NE(hogs.out.find("big.dat"), std::string::npos);
    EXPECT_NE(hogs.err.find(fileWarning), std::string::npos) << hogs.err;
    EXPECT_NE(hogs.err.find(folderWarning), std::string::npos) << hogs.err;

    Outcome none = run({"dups", t.path("listonly")}, Out::Pipe, withoutPermissionOverride);
    EXPECT_TRUE(none.exited(1));
    EXPECT_NE(none.err.find(fileWarning), std::string::npos) << none.err;
    EXPECT_NE(none.err.find("No files found.\n"), std::string::npos);

    // The folder's line says that its count is not all there is; the statistics count what they can.
    Outcome folders = run({"folders", "--all", t.root()}, Out::Pipe, withoutPermissionOverride);
    EXPECT_TRUE(folders.exited(0)) << folders.err;
    EXPECT_NE(folders.out.find("\t0?\t1\t\t" + t.path("listonly") + "\n"), std::string::npos) << folders.out;
    Outcome stats = run({"stats", t.root()}, Out::Pipe, withoutPermissionOverride);
    EXPECT_TRUE(stats.exited(0)) << stats.err;
    EXPECT_EQ(stats.out.substr(0, 8), "files\t1\n");
    EXPECT_NE(stats.err.find(fileWarning), std::string::npos) << stats.err;
    Outcome dates =
        run({"dates", "--modified", "--after", "1980-01-01", t.root()}, Out::Pipe, withoutPermissionOverride);
    EXPECT_TRUE(dates.exited(0)) << dates.err;
    EXPECT_NE(dates.err.find(folderWarning), std::string::npos) << dates.err;
}

// Every walking command gives the same lines, warnings and exit status on one thread and on eight,
// on a tree with ties (names, sizes and times shared), hidden entries, links, folders that nobody
// may read or search, blocks of statistics larger than one piece of work, and a mount inside.
TEST(CliOutput, EveryCommandIsTheSameOnOneThreadAndOnEight) {
    TempTree t, maps;
    maps.setMode("", 0777);
    for (int i = 0; i < 700; ++i)
        t.file("wide/n" + std::to_string(i % 350) + (i < 350 ? ".txt" : ".dat"), (i % 7) * 1000);
    for (const char* folder : {"a", "a/b", "a/b/c", "b", "b/a", "z"})
        for (const char* name : {"same.txt", "Same.TXT", "other.bin", ".hidden.txt"})
            t.file(std::string(folder) + "/" + name, 4096);
    t.file(".hdir/inside.txt", 4096);
    std::string chain = t.deepChain("deep", 40);
    t.file(chain + "/bottom.txt", 4096);
    t.file("locked/inside/secret.txt", 4096);
    t.file("listonly/seen-not-read.txt", 4096);
    t.file("listonly/sub/below.txt", 4096);
    t.symlink("wide/link-to-file", "../a/same.txt");
    t.symlink("link-to-folder", "a");
    t.symlink("loop", "loop");
    t.folder("mnt");
    for (const char* file : {"wide/n1.txt", "wide/n1.dat", "a/same.txt", "b/a/same.txt", "z/other.bin"})
        t.setTimes(file, 1'600'000'000, 1'500'000'000);
    t.setMode("locked", 0);
    t.setMode("listonly", 0644);

    const std::string mountPoint = t.path("mnt"), onTmpfs = t.path("mnt/on-tmpfs.txt");
    bool mountable = true;
    auto asNobody = [&] {
        if (mountable) {
            if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, nullptr) != 0)
                return false;
            const int fd = ::open(onTmpfs.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            if (fd < 0 || ::close(fd) != 0)
                return false;
        }
        return becomeNobody();
    };
    if (WEXITSTATUS(run({"--version"}, Out::Pipe, asNobody).status) == kSetUpFailed)
        mountable = false; // no private mount namespace here: the rest still counts

    const std::string root = t.root();
    const std::vector<std::vector<std::string>> commands = {
        {"dups", "--larger", "0", root},
        {"dups", "--exact", "--larger", "0", root},
        {"dups", "--content", "--larger", "0", root},
        {"hogs", "--larger", "0", root},
        {"hogs", "--null", "--match", "*.txt;n2*", "--larger", "0", root, t.path("a")},
        {"folders", root},
        {"folders", "--all", root},
        {"dates", "--modified", "--after", "1980-01-01", root},
        {"dates", "--accessed", "--before", "2030-01-01", "--match", "same.*", root},
        {"dates", "--created", "--before", "2100-01-01", root},
        {"stats", root},
        {"dupfolders", "--subsets", root},
        {"map", "--size", "300x200", "--output", maps.path("map.png"), root},
    };
    // Reading contents as another user than the owner sets access times (once, as they are then
    // later than the last write): done before the runs that are compared.
    run({"dups", "--content", "--larger", "0", root}, Out::Pipe, asNobody);
    // Free space may change between two runs; everything else may not.
    auto withoutDisk = [](std::string out) {
        const std::size_t at = out.find("\ndisk\t");
        return at == std::string::npos ? out : out.erase(at + 1, out.find('\n', at + 1) - at);
    };
    for (const std::vector<std::string>& command : commands) {
        Outcome results[2];
        std::string pictures[2];
        for (int i = 0; i < 2; ++i) {
            std::vector<std::string> args = command;
            args.insert(args.begin() + 1, {"--threads", i == 0 ? "1" : "8"});
            results[i] = run(args, Out::Pipe, asNobody);
            if (command[0] == "map") {
                std::ifstream png(maps.path("map.png"), std::ios::binary);
                pictures[i].assign(std::istreambuf_iterator<char>(png), {});
            }
        }
        const std::string shown = command[0] + " " + command[1];
        ASSERT_TRUE(results[0].exited(0)) << shown << "\n" << results[0].err;
        EXPECT_EQ(withoutDisk(results[0].out), withoutDisk(results[1].out)) << shown;
        EXPECT_EQ(results[0].err, results[1].err) << shown;
        EXPECT_EQ(results[0].status, results[1].status) << shown;
        EXPECT_EQ(pictures[0], pictures[1]) << shown;
        EXPECT_NE(results[0].err.find("cannot read " + t.path("locked") + ": "), std::string::npos) << shown;
        if (command[0] != "map") {
            EXPECT_FALSE(results[0].out.empty()) << shown;
        }
        if (mountable && command[0] == "hogs") {
            EXPECT_EQ(results[0].out.find("on-tmpfs"), std::string::npos) << shown;
        }
    }
}

// dups --keep: a copy that cannot be removed stays, is named with the reason, and makes exit 1; the
// other copies still go.
TEST(CliOutput, KeepSaysWhichCopiesStayedAndWhy) {
    TempTree t;
    for (const char* folder : {"a", "b", "locked"}) {
        t.file(std::string(folder) + "/same.bin", 5000, 's');
        t.setTimes(std::string(folder) + "/same.bin", 1'500'000'000 + folder[0], 1'500'000'000 + folder[0]);
    }
    t.setMode("locked", 0555);
    Outcome r = run({"dups", "--larger", "0", "--content", "--keep", "oldest", "--trash", t.root()}, Out::Pipe,
                    withoutPermissionOverride);
    t.setMode("locked", 0755);
    ASSERT_TRUE(r.exited(1)) << r.err;
    EXPECT_NE(r.err.find("keeping " + t.path("a/same.bin") + "\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(t.path("locked/same.bin") + " stays: Permission denied\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("locked"), std::string::npos); // only what went is printed
    EXPECT_NE(r.out.find(t.path("b/")), std::string::npos);
    EXPECT_NE(::access(t.path("b/same.bin").c_str(), F_OK), 0);
}

// --json says what could not be read, as the lines do: a folder it could not open has no figures,
// the one holding it is incomplete, and the summary counts them; a full disk is still exit 2.
TEST(CliOutput, JsonSaysWhatCouldNotBeRead) {
    TempTree t;
    t.file("open/a.dat", 10);
    t.file("holder/locked/b.dat", 10);
    t.setMode("holder/locked", 0);
    Outcome all = run({"folders", "--all", "--json", t.root()}, Out::Pipe, becomeNobody);
    ASSERT_NE(WEXITSTATUS(all.status), kSetUpFailed);
    EXPECT_TRUE(all.exited(0)) << all.err;
    EXPECT_NE(all.out.find("{\"path\":\"" + t.path("holder/locked") +
                           "\",\"size\":null,\"percent\":null,\"files\":null,\"sub_folders\":null,"
                           "\"accessed_date\":null,\"readable\":false,\"complete\":false}\n"),
              std::string::npos)
        << all.out;
    EXPECT_NE(all.out.find("\"unreadable_folders\":1,\"unreadable_entries\":0}}\n"), std::string::npos) << all.out;
    Outcome main = run({"folders", "--json", t.root()}, Out::Pipe, becomeNobody);
    EXPECT_NE(main.out.find("{\"path\":\"" + t.path("holder") + "\",\"size\":0,"), std::string::npos) << main.out;
    EXPECT_NE(main.out.find("\"readable\":true,\"complete\":false}"), std::string::npos) << main.out;
    EXPECT_NE(main.out.find("\"folders\":2,\"incomplete_folders\":1,"), std::string::npos) << main.out;

    Outcome full = run({"hogs", "--json", "--larger", "0", t.root()}, Out::DevFull);
    EXPECT_TRUE(full.exited(2));
    EXPECT_EQ(full.err, std::string("vantorel-cli: cannot write to standard output: ") + std::strerror(ENOSPC) + "\n");
}
