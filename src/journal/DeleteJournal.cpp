// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/DeleteJournal.h"

#include "platform/LockWithin.h"
#include "platform/StateFolder.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kLockName[] = ".lock";
constexpr char kLastIdName[] = "last-id";
constexpr char kRunSuffix[] = ".run";
constexpr int kFileFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

std::string runName(std::int64_t id) {
    return std::to_string(id) + kRunSuffix;
}

// The id of a run file's name ("12.run"), or 0 for any other name.
std::int64_t idOfName(std::string_view name) {
    if (name.size() <= sizeof kRunSuffix - 1 || !name.ends_with(kRunSuffix) || name[0] == '0')
        return 0;
    name.remove_suffix(sizeof kRunSuffix - 1);
    std::int64_t id = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), id);
    return error == std::errc() && end == name.data() + name.size() && id > 0 ? id : 0;
}

// Opens an existing regular file of the folder (or makes it, with create), refusing anything else
// without blocking on it. 0 or the errno.
int openRegular(int folder, const char* name, int flags, UniqueFd& file) {
    file.reset(::openat(folder, name, flags | kFileFlags, 0600));
    if (!file.valid())
        return errno == ELOOP ? EMLINK : errno;
    struct stat st {};
    if (::fstat(file.get(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode)) {
        file.reset();
        return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    }
    // Appends and reads are whole: nothing waits on a FIFO, and a regular file never blocks.
    ::fcntl(file.get(), F_SETFL, ::fcntl(file.get(), F_GETFL) & ~O_NONBLOCK);
    return 0;
}

// Reads at most limit bytes of fd into bytes; EFBIG when there are more.
int readAtMost(int fd, std::int64_t limit, std::string& bytes) {
    bytes.clear();
    char block[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return 0;
        if (std::int64_t(bytes.size()) + n > limit)
            return EFBIG;
        bytes.append(block, std::size_t(n));
    }
}

} // namespace

std::string DeleteJournal::folderPath() {
    return StateHomePath() + "/vantorel/journal";
}

QString DeleteJournal::JournalErrorText(int error) {
    switch (error) {
    case 0:
        return {};
    case kLockTimedOut:
        return QStringLiteral("another program holds the journal locked");
    case EMLINK:
        return QStringLiteral("a symbolic link or something that is no folder is in its place");
    case EINVAL:
        return QStringLiteral("it is not a regular file");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

DeleteJournal DeleteJournal::open(bool make) {
    FolderHandle journal = OpenStateFolder("journal", make);
    const int error = journal.valid() ? 0 : journal.error();
    return DeleteJournal(journal.valid() ? std::move(journal) : FolderHandle::failed(folderPath(), error),
                         error);
}

std::vector<std::int64_t> DeleteJournal::runIds() const {
    std::vector<std::int64_t> ids;
    FolderListing listing;
    if (!valid() || !ReadFolderNames(m_folder, listing))
        return ids;
    for (std::size_t i = 0; i < listing.size(); ++i)
        if (const std::int64_t id = idOfName(listing.name(i)))
            ids.push_back(id);
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::int64_t DeleteJournal::lastId() const {
    UniqueFd file;
    std::string text;
    if (openRegular(m_folder.fd(), kLastIdName, O_RDONLY, file) != 0 || readAtMost(file.get(), 32, text) != 0)
        return 0;
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    std::int64_t id = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    return error == std::errc() && end == text.data() + text.size() && id > 0 ? id : 0;
}

void DeleteJournal::writeLastId(std::int64_t id) const {
    // A new file renamed over the old one: a reader sees one number or the other, whole.
    const std::string temp = std::string(".") + kLastIdName + "." + std::to_string(::getpid());
    UniqueFd file(::openat(m_folder.fd(), temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | kFileFlags, 0600));
    if (!file.valid())
        return;
    if (WriteAllTo(file.get(), std::to_string(id) + "\n") != 0 ||
        ::renameat(m_folder.fd(), temp.c_str(), m_folder.fd(), kLastIdName) != 0)
        ::unlinkat(m_folder.fd(), temp.c_str(), 0);
}

int DeleteJournal::openRun(std::int64_t id, bool append, UniqueFd& file) const {
    if (!valid())
        return m_error ? m_error : EBADF;
    return openRegular(m_folder.fd(), runName(id).c_str(), append ? O_RDWR | O_APPEND : O_RDONLY, file);
}

int DeleteJournal::readRun(std::int64_t id, std::string& bytes) const {
    UniqueFd file;
    if (const int error = openRun(id, false, file))
        return error;
    return readAtMost(file.get(), MostRunBytes + (std::int64_t(1) << 20), bytes);
}

int DeleteJournal::beginRun(JournalRunHeader& header, UniqueFd& file) {
    if (!valid())
        return m_error ? m_error : EBADF;
    UniqueFd lock;
    if (const int error = openRegular(m_folder.fd(), kLockName, O_RDWR | O_CREAT, lock))
        return error;
    if (const int error = LockExclusiveBefore(lock.get(), std::chrono::steady_clock::now() + lockWait))
        return error;
    const std::vector<std::int64_t> ids = runIds();
    std::int64_t id = std::max(lastId(), ids.empty() ? 0 : ids.back());
    int error = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        header.id = ++id;
        file.reset(::openat(m_folder.fd(), runName(id).c_str(),
                            O_RDWR | O_CREAT | O_EXCL | O_APPEND | kFileFlags, 0600));
        error = file.valid() ? 0 : errno;
        if (error != EEXIST)
            break;
    }
    if (error != 0)
        return error;
    writeLastId(id);
    if ((error = WriteAllTo(file.get(), EncodeJournalLine(header))) != 0) {
        ::unlinkat(m_folder.fd(), runName(id).c_str(), 0);
        file.reset();
        return error;
    }
    prune(id);
    return 0; // the lock goes with its descriptor
}

void DeleteJournal::prune(std::int64_t keep) const {
    struct Run {
        std::int64_t id;
        std::int64_t time;
        std::int64_t bytes;
    };
    std::vector<Run> runs;
    for (const std::int64_t id : runIds()) {
        struct stat st {};
        if (::fstatat(m_folder.fd(), runName(id).c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        Run run{id, std::int64_t(st.st_mtime), std::int64_t(st.st_size)};
        // When it began, from its header; the file's time when that cannot be read.
        UniqueFd file;
        if (S_ISREG(st.st_mode) && openRun(id, false, file) == 0) {
            char first[4096];
            const ssize_t n = ::read(file.get(), first, sizeof first);
            const std::string_view text(first, n > 0 ? std::size_t(n) : 0);
            JournalRunHeader header;
            if (const std::size_t end = text.find('\n');
                end != std::string_view::npos && DecodeJournalLine(text.substr(0, end), header))
                run.time = header.startTime;
        }
        runs.push_back(run);
    }
    const std::int64_t oldest = std::int64_t(std::time(nullptr)) - std::int64_t(MostDays) * 86400;
    std::int64_t bytes = 0;
    std::size_t kept = 0;
    // Newest first: each is kept while the bounds allow it.
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        bytes += run->bytes;
        const bool within = kept < MostRuns && run->time >= oldest && bytes <= MostBytes;
        if (within || run->id == keep)
            ++kept;
        else
            ::unlinkat(m_folder.fd(), runName(run->id).c_str(), 0);
    }
}

int DeleteJournal::appendLine(int fd, const std::string& line) {
    if (const int error = LockExclusiveBefore(fd, std::chrono::steady_clock::now() + lockWait))
        return error;
    struct stat st {};
    int error = ::fstat(fd, &st) == 0 ? 0 : errno;
    char last = '\n';
    if (error == 0 && st.st_size > 0 && ::pread(fd, &last, 1, st.st_size - 1) != 1)
        error = errno ? errno : EIO;
    if (error == 0)
        error = WriteAllTo(fd, last == '\n' ? line : "\n" + line);
    ::flock(fd, LOCK_UN);
    return error;
}
