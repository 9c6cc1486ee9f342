// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProfileFile.h"

#include "platform/AppError.h"
#include "platform/LockWithin.h"
#include "platform/UniqueFd.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// Closes its descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }
    void reset(int fd = -1) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Closes now; the errno of close, or 0. A delayed write error (NFS, quotas) may show only here.
    int close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

[[noreturn]] void failWrite(const QString& path, const QString& reason) {
    throw AppError(QStringLiteral("Unable to write to %1\n%2").arg(path, reason));
}

[[noreturn]] void failWrite(const QString& path, int error) {
    failWrite(path, QString::fromLocal8Bit(std::strerror(error)));
}

// Why the file behind a descriptor may not be read as a profile; 0 when it may.
int unreadableReason(const struct stat& st) {
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    // What rewriting anything but a regular file in place would have been told.
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    if (st.st_size > ProfileFile::maxBytes)
        return EFBIG;
    return 0;
}

// Reads the rest of the file; EFBIG when it holds more than maxBytes (it may have grown since it
// was checked), else errno on failure, 0 on success.
int readAtMost(int fd, QByteArray* bytes) {
    bytes->resize(ProfileFile::maxBytes + 1);
    qsizetype have = 0;
    while (have < bytes->size()) {
        const ssize_t n = ::read(fd, bytes->data() + have, static_cast<size_t>(bytes->size() - have));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            break;
        have += n;
    }
    if (have > ProfileFile::maxBytes)
        return EFBIG;
    bytes->resize(have);
    return 0;
}

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray() : path.left(slash);
}

// Makes folder and its missing parents; false with errno set when one cannot be made. New folders
// are private to the user, as settings folders should be.
bool makeFolders(const QByteArray& folder) {
    if (folder.isEmpty() || ::mkdir(folder.constData(), 0700) == 0 || errno == EEXIST)
        return true;
    if (errno != ENOENT || !makeFolders(folderOf(folder)))
        return false;
    return ::mkdir(folder.constData(), 0700) == 0 || errno == EEXIST;
}

// Opens the file to update it, making it (and its folder) when missing; created tells whether this
// call made it. Non-blocking, so that a FIFO in its place cannot hang the program. Open for writing
// although the new text goes to a replacement: a file that the user made read-only stays as it is,
// and an exclusive flock over NFS needs a descriptor open for writing.
int openForUpdate(const QByteArray& path, bool* created) {
    constexpr int flags = O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    *created = false;
    bool madeFolder = false;
    for (;;) {
        int fd = ::open(path.constData(), flags);
        if (fd >= 0 || errno != ENOENT)
            return fd;
        fd = ::open(path.constData(), flags | O_CREAT | O_EXCL, 0666);
        if (fd >= 0) {
            *created = true;
            return fd;
        }
        // A dangling symbolic link, or another program made the file just now: open it as any write
        // would (making the link's target).
        if (errno == EEXIST)
            return ::open(path.constData(), flags | O_CREAT, 0666);
        if (errno != ENOENT || madeFolder || !makeFolders(folderOf(path)))
            return -1;
        madeFolder = true;
    }
}

constexpr int kReplaced = -1;

// After taking the lock: whether path still names the locked file. 0 when it does, with target set
// to the file's real path (a symbolic link resolved); kReplaced when the program that held the lock
// before us has renamed a new file over it or removed it; errno on any other failure.
int stillNamesLockedFile(const QByteArray& path, const struct stat& locked, QByteArray* target) {
    char* real = ::realpath(path.constData(), nullptr);
    if (real == nullptr)
        return errno == ENOENT ? kReplaced : errno;
    *target = QByteArray(real);
    std::free(real);
    struct stat now {};
    if (::stat(target->constData(), &now) != 0)
        return errno == ENOENT ? kReplaced : errno;
    return now.st_dev == locked.st_dev && now.st_ino == locked.st_ino ? 0 : kReplaced;
}

// Writes bytes to a new file beside target and renames it over target. errno on failure, with the
// new file removed and target untouched; 0 on success.
int replaceFile(const QByteArray& target, const QByteArray& bytes, const struct stat& old) {
    const QByteArray folder = folderOf(target);
    QByteArray temp = folder + "/." + target.mid(folder.size() + 1) + ".XXXXXX";
    Descriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0)
        return errno;
    // The new file keeps the old one's permissions, and its owner where we may set it (a run as
    // root must not leave the user a totals file that the user can no longer update).
    int error = ::fchmod(fd.get(), old.st_mode & 07777) == 0 ? 0 : errno;
    if (error == 0 && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
        ::fchown(fd.get(), old.st_uid, old.st_gid) != 0) {
        // Not ours to give away: the new file stays ours, as any other write would leave it.
    }
    if (error == 0)
        error = WriteAllTo(fd.get(), std::string_view(bytes.constData(), std::size_t(bytes.size())));
    if (error == 0 && ::fsync(fd.get()) != 0)
        error = errno;
    if (error == 0)
        error = fd.close();
    if (error == 0 && ::rename(temp.constData(), target.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temp.constData());
        return error;
    }
    // So that the rename itself survives a crash; some filesystems cannot sync a folder, and the
    // new text is in place either way.
    Descriptor dir(::open(folder.isEmpty() ? "/" : folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
    return 0;
}

// Section and key names ignore ASCII case, as profile files always have.
bool sameName(const QByteArray& a, const QString& b) {
    return a.compare(b.toUtf8(), Qt::CaseInsensitive) == 0;
}

// The section name of a "[name]" line; false for any other line.
bool sectionOf(const QByteArray& line, QByteArray* name) {
    const QByteArray t = line.trimmed();
    if (!t.startsWith('['))
        return false;
    const qsizetype close = t.indexOf(']');
    if (close < 0)
        return false;
    *name = t.mid(1, close - 1).trimmed();
    return true;
}

// Splits a "key=value" line; false for lines without "=".
bool keyValueOf(const QByteArray& line, QByteArray* key, QByteArray* value) {
    const qsizetype eq = line.indexOf('=');
    if (eq < 0)
        return false;
    *key = line.left(eq).trimmed();
    *value = line.mid(eq + 1).trimmed();
    return true;
}

} // namespace

ProfileFile::Contents ProfileFile::Contents::parse(const QByteArray& bytes) {
    Contents contents;
    qsizetype start = 0;
    // Editors on some systems start UTF-8 text with a byte-order mark; it is no part of the first line.
    if (bytes.startsWith(kByteOrderMark)) {
        contents.m_byteOrderMark = true;
        start = qsizetype(sizeof kByteOrderMark) - 1;
    }
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        Line line;
        line.text = bytes.mid(start, end - start);
        if (line.text.endsWith('\r')) {
            line.text.chop(1);
            line.crlf = true;
        }
        contents.m_lines.append(line);
        start = end + 1;
    }
    return contents;
}

QByteArray ProfileFile::Contents::bytes() const {
    QByteArray out;
    if (m_byteOrderMark)
        out += kByteOrderMark;
    for (const Line& line : m_lines)
        out += line.text + (line.crlf ? "\r\n" : "\n");
    return out;
}

// Index range [first, last) of the lines inside section (after its header); first = -1 when absent.
std::pair<qsizetype, qsizetype> ProfileFile::Contents::findSection(const QString& section) const {
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        QByteArray name;
        if (sectionOf(m_lines[i].text, &name) && sameName(name, section)) {
            qsizetype end = i + 1;
            QByteArray other;
            while (end < m_lines.size() && !sectionOf(m_lines[end].text, &other))
                ++end;
            return {i + 1, end};
        }
    }
    return {-1, -1};
}

std::int64_t ProfileFile::Contents::integer(const QString& section, const QString& key) const {
    auto [first, last] = findSection(section);
    for (qsizetype i = first; first >= 0 && i < last; ++i) {
        QByteArray k, v;
        if (keyValueOf(m_lines[i].text, &k, &v) && sameName(k, key)) {
            bool ok = false;
            const std::int64_t value = parseWholeNumber(v, &ok);
            return ok ? value : -1;
        }
    }
    return -1;
}

void ProfileFile::Contents::setIntegers(const QString& section, const Values& values) {
    const bool crlf = !m_lines.isEmpty() && m_lines.front().crlf;
    auto [first, last] = findSection(section);
    if (first < 0) {
        if (!m_lines.isEmpty() && !m_lines.back().text.trimmed().isEmpty())
            m_lines.append(Line{QByteArray(), crlf});
        m_lines.append(Line{'[' + section.toUtf8() + ']', crlf});
        first = last = m_lines.size();
    }
    for (const auto& [key, value] : values) {
        const QByteArray text = key.toUtf8() + '=' + QByteArray::number(static_cast<qlonglong>(value));
        bool replaced = false;
        for (qsizetype i = first; i < last; ++i) {
            QByteArray k, v;
            if (keyValueOf(m_lines[i].text, &k, &v) && sameName(k, key)) {
                m_lines[i].text = text;
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            // New keys go after the section's last non-blank line, so blank separators stay below.
            qsizetype at = last;
            while (at > first && m_lines[at - 1].text.trimmed().isEmpty())
                --at;
            m_lines.insert(at, Line{text, crlf});
            ++last;
        }
    }
}

std::int64_t ProfileFile::parseWholeNumber(const QByteArray& text, bool* ok) {
    *ok = false;
    const QByteArray t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        negative = t[i] == '-';
        ++i;
    }
    if (i == t.size())
        return -1;
    // Accumulate as a negative number so the most negative value fits too. A number beyond 64 bits
    // stops at the limit: a huge total stays huge instead of reading as "nothing recorded".
    constexpr std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t highest = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    bool beyond = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c < '0' || c > '9')
            return -1;
        const int digit = c - '0';
        if (beyond || value < (lowest + digit) / 10)
            beyond = true;
        else
            value = value * 10 - digit;
    }
    *ok = true;
    if (negative)
        return beyond ? lowest : value;
    return beyond || value == lowest ? highest : -value;
}

ProfileFile::Contents ProfileFile::read() const {
    const QByteArray path = QFile::encodeName(m_path);
    Descriptor fd(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st {};
    QByteArray bytes;
    // Checked on the open descriptor, so that what is checked is what is read. No lock: writers
    // replace the file by a rename, so a reader sees either the old text or the new one, whole.
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || unreadableReason(st) != 0 ||
        readAtMost(fd.get(), &bytes) != 0)
        return Contents();
    return Contents::parse(bytes);
}

std::int64_t ProfileFile::readInteger(const QString& section, const QString& key) const {
    return read().integer(section, key);
}

void ProfileFile::update(const std::function<void(Contents&)>& change, std::chrono::milliseconds wait) const {
    const QByteArray path = QFile::encodeName(m_path);
    // One wait for the whole update, however often the file is replaced under us meanwhile.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    Descriptor locked;
    bool created = false;
    struct stat st {};
    QByteArray target;
    // The lock is on the file itself. A writer replaces the file, so the file that we waited on may
    // no longer be the one the path names when we get it: then lock the new one instead.
    for (;;) {
        locked.reset(); // before the open, so that its close cannot touch the open's errno
        locked.reset(openForUpdate(path, &created));
        if (locked.get() < 0 || ::fstat(locked.get(), &st) != 0)
            failWrite(m_path, errno);
        // Never wait on a lock of something that we will refuse anyway.
        if (!S_ISREG(st.st_mode))
            failWrite(m_path, unreadableReason(st));
        // A program that keeps the file locked must not hold up a run whose files are already gone.
        if (const int error = LockExclusiveBefore(locked.get(), deadline)) {
            if (error == kLockTimedOut)
                failWrite(m_path, QStringLiteral("Another program holds this file locked"));
            failWrite(m_path, error);
        }
        const int named = stillNamesLockedFile(path, st, &target);
        if (named == 0)
            break;
        if (named != kReplaced)
            failWrite(m_path, named);
    }

    // A file that we made empty a moment ago goes again when the write fails, so that a failed
    // write leaves no trace. Nobody else changes the path while we hold the lock.
    auto abandon = [&](int error) {
        if (created)
            ::unlink(target.constData());
        failWrite(m_path, error);
    };
    QByteArray bytes;
    if (::fstat(locked.get(), &st) != 0)
        abandon(errno);
    if (const int error = readAtMost(locked.get(), &bytes))
        abandon(error);
    Contents contents = Contents::parse(bytes);
    change(contents);
    const QByteArray text = contents.bytes();
    // A text that the next reading would refuse is as good as lost.
    if (text.size() > maxBytes)
        abandon(EFBIG);
    if (const int error = replaceFile(target, text, st))
        abandon(error);
    // Closing the descriptor releases the lock, after the new file is in place.
}

void ProfileFile::writeIntegers(const QString& section, const Values& values) const {
    update([&](Contents& contents) { contents.setIntegers(section, values); });
}
