// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Trash.h"

#include "platform/MountInfo.h"
#include "platform/OwnChanges.h"
#include "platform/TrashNames.h"
#include "platform/TrashUnderway.h"
#include "platform/UniqueFd.h"

#include <QDir>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
const char kInfoSuffix[] = ".trashinfo";
// Names tried for one entry before giving up: only a trash filled behind our back gets that far.
constexpr int kMostTries = 100000;

TrashOutcome failure(int error, QString reason = {}) {
    if (reason.isEmpty())
        reason = QString::fromLocal8Bit(std::strerror(error));
    return {error, reason};
}

// The trash folders of one filesystem, open.
struct TrashFolders {
    UniqueFd files;
    UniqueFd info;
    std::string topPath; // the top folder of a top-folder trash; empty for the home trash
    std::string path;    // the trash folder itself, which holds files/ and info/
};

// A folder of a trash: opened only when it is a real folder (a link is refused), made (0700) when
// missing and make is set.
UniqueFd openTrashPart(int parent, const char* name, bool make, int& error) {
    int fd = ::openat(parent, name, kFolderFlags);
    if (fd < 0 && errno == ENOENT && make) {
        if (::mkdirat(parent, name, 0700) != 0 && errno != EEXIST) {
            error = errno;
            return UniqueFd();
        }
        fd = ::openat(parent, name, kFolderFlags);
    }
    if (fd < 0)
        error = errno == ELOOP ? ENOTDIR : errno;
    return UniqueFd(fd);
}

bool openFilesAndInfo(int trash, bool make, TrashFolders& out, int& error) {
    out.files = openTrashPart(trash, "files", make, error);
    if (!out.files.valid())
        return false;
    out.info = openTrashPart(trash, "info", make, error);
    return out.info.valid();
}

std::string dataHome() {
    // The XDG rule: an unset, empty or relative XDG_DATA_HOME means ~/.local/share.
    QByteArray base = qgetenv("XDG_DATA_HOME");
    if (base.isEmpty() || base[0] != '/')
        base = QFile::encodeName(QDir::homePath()) + "/.local/share";
    return base.toStdString();
}

bool openHomeTrash(bool make, TrashFolders& out, int& error) {
    const std::string base = dataHome();
    if (make && !QDir().mkpath(QFile::decodeName(QByteArray::fromStdString(base)))) {
        error = errno ? errno : EACCES;
        return false;
    }
    UniqueFd home(::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!home.valid()) {
        error = errno;
        return false;
    }
    UniqueFd trash = openTrashPart(home.get(), "Trash", make, error);
    out.path = base + "/Trash";
    return trash.valid() && openFilesAndInfo(trash.get(), make, out, error);
}

// The device of the folder that holds the home trash, or of its nearest existing parent.
bool homeDevice(dev_t& device) {
    std::string path = dataHome();
    struct stat st {};
    while (::stat(path.c_str(), &st) != 0) {
        const std::size_t slash = path.rfind('/');
        if (slash == std::string::npos || path == "/")
            return false;
        path = slash == 0 ? "/" : path.substr(0, slash);
    }
    device = st.st_dev;
    return true;
}

struct MountFacts {
    int mountId = -1;
    bool mountRoot = false;
    dev_t device = 0;
};

bool mountFacts(int fd, const char* name, int flags, MountFacts& facts) {
    struct statx sx {};
    if (::statx(fd, name, flags | AT_NO_AUTOMOUNT, STATX_INO | STATX_MNT_ID, &sx) != 0)
        return false;
    facts.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    facts.mountId = (sx.stx_mask & STATX_MNT_ID) ? int(sx.stx_mnt_id) : -1;
#ifdef STATX_ATTR_MOUNT_ROOT
    facts.mountRoot = (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) && (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT);
#endif
    return true;
}

// The mount that holds the folder: by its mount id, or on kernels without one by its device and the
// longest mount point that begins its path.
std::optional<MountEntry> mountOf(const FolderHandle& folder) {
    MountFacts facts;
    if (!mountFacts(folder.fd(), "", AT_EMPTY_PATH, facts))
        return std::nullopt;
    if (facts.mountId >= 0)
        return MountWithId(facts.mountId);
    const std::string device = std::to_string(major(facts.device)) + ":" + std::to_string(minor(facts.device));
    std::optional<MountEntry> best;
    for (MountEntry& m : ReadMountInfo()) {
        const std::string& mp = m.mountPoint;
        const bool inside = mp == "/" || (folder.path().rfind(mp, 0) == 0 &&
                                          (folder.path().size() == mp.size() || folder.path()[mp.size()] == '/'));
        if (m.device == device && inside && (!best || mp.size() > best->mountPoint.size()))
            best = std::move(m);
    }
    return best;
}

// The top folder of the folder's filesystem, opened by its mount point and checked to be that very
// mount, so the mount table's path text is not trusted on its own.
UniqueFd openTopFolder(const FolderHandle& folder, std::string& topPath, bool& realFilesystem, int& error) {
    const std::optional<MountEntry> mount = mountOf(folder);
    if (!mount) {
        error = ENOENT;
        return UniqueFd();
    }
    realFilesystem = IsRealFilesystem(*mount);
    UniqueFd top(::open(mount->mountPoint.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    MountFacts mine, theirs;
    if (!top.valid() || !mountFacts(top.get(), "", AT_EMPTY_PATH, theirs) ||
        !mountFacts(folder.fd(), "", AT_EMPTY_PATH, mine) || theirs.device != mine.device ||
        theirs.mountId != mine.mountId) {
        error = top.valid() ? ESTALE : errno;
        return UniqueFd();
    }
    topPath = mount->mountPoint;
    return top;
}

// The trash of a top folder: .Trash/UID when .Trash is a real folder with the sticky bit, otherwise
// .Trash-UID, which must be a real folder of this user.
bool openTopTrash(int top, bool make, TrashFolders& out, int& error) {
    const std::string uid = std::to_string(::getuid());
    struct stat st {};
    if (::fstatat(top, ".Trash", &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        UniqueFd shared(::openat(top, ".Trash", kFolderFlags));
        int sharedError = 0;
        UniqueFd mine = shared.valid() ? openTrashPart(shared.get(), uid.c_str(), make, sharedError) : UniqueFd();
        struct stat own {};
        out.path = out.topPath + (out.topPath == "/" ? "" : "/") + ".Trash/" + uid;
        if (mine.valid() && ::fstat(mine.get(), &own) == 0 && own.st_uid == ::getuid() &&
            openFilesAndInfo(mine.get(), make, out, sharedError))
            return true;
    }
    const std::string name = ".Trash-" + uid;
    out.path = out.topPath + (out.topPath == "/" ? "" : "/") + name;
    UniqueFd mine = openTrashPart(top, name.c_str(), make, error);
    if (!mine.valid())
        return false;
    struct stat own {};
    if (::fstat(mine.get(), &own) != 0 || own.st_uid != ::getuid()) {
        error = EPERM;
        return false;
    }
    return openFilesAndInfo(mine.get(), make, out, error);
}

std::string localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

bool isEntry(int folder, const char* name, const EntryIdentity& expected) {
    struct stat st {};
    return ::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_dev == expected.device &&
           st.st_ino == expected.inode;
}

TrashStepHook& stepHook() {
    static TrashStepHook hook;
    return hook;
}

// The record first, then the move; the record goes again when the move fails.
TrashOutcome moveInto(const TrashFolders& trash, const FolderHandle& folder, const std::string& name,
                      const std::string& recordPath, const EntryCheck& expected) {
    const std::string record =
        "[Trash Info]\nPath=" + Trash::escapePath(recordPath) + "\nDeletionDate=" + localNow() + "\n";
    // The name itself first, then on from the last number this process gave the name.
    std::uint64_t n = 1;
    for (int tries = 0; tries < kMostTries;
         ++tries, n = n == 1 ? TrashNames::firstCollisionNumber(trash.info.get(), name) : n + 1) {
        const std::string candidate = TrashNames::candidate(name, n);
        const std::string infoName = candidate + kInfoSuffix;
        UniqueFd info(::openat(trash.info.get(), infoName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                               0600));
        if (!info.valid()) {
            if (errno == EEXIST)
                continue;
            return failure(errno);
        }
        // Noted until the move is made or given up, so that a record of a move that never happened
        // (this program killed in between) is taken away again by the next trash run.
        struct stat made {};
        if (::fstat(info.get(), &made) == 0)
            TrashUnderway::noteRecord(trash.path, infoName, {made.st_dev, made.st_ino});
        struct Settle {
            ~Settle() { TrashUnderway::settled(); }
        } settle;
        int writeError = WriteAllTo(info.get(), record);
        if (writeError == 0 && ::fsync(info.get()) != 0)
            writeError = errno;
        const bool written = writeError == 0;
        info.reset();
        auto dropRecord = [&] { ::unlinkat(trash.info.get(), infoName.c_str(), 0); };
        if (!written) {
            dropRecord();
            return failure(writeError ? writeError : EIO);
        }
        if (const TrashStepHook& hook = stepHook())
            hook();
        // The last look before the move, through the same folder handle, at the whole entry: the
        // move sets its change time, so after it only the rest can be compared.
        FsEntry before;
        if (StatEntryAt(folder.fd(), name, before, false) != 0 || !expected(before, ListedLook::Whole)) {
            dropRecord();
            return failure(ESTALE, QStringLiteral("it changed after it was listed"));
        }
        int rc = ::renameat2(folder.fd(), name.c_str(), trash.files.get(), candidate.c_str(), RENAME_NOREPLACE);
        if (rc != 0 && errno == EINVAL) {
            // A filesystem without no-replace renames: the record's O_EXCL already reserved the name.
            struct stat st {};
            if (::fstatat(trash.files.get(), candidate.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
                dropRecord();
                continue;
            }
            rc = ::renameat(folder.fd(), name.c_str(), trash.files.get(), candidate.c_str());
        }
        if (rc != 0) {
            const int error = errno;
            dropRecord();
            if (error == EEXIST)
                continue;
            return failure(error);
        }
        FsEntry moved;
        if (StatEntryAt(trash.files.get(), candidate, moved, false) != 0 ||
            !expected(moved, ListedLook::AfterOwnMove)) {
            // Swapped between the look and the move: put it back where it was and leave it alone.
            if (::renameat2(trash.files.get(), candidate.c_str(), folder.fd(), name.c_str(), RENAME_NOREPLACE) == 0)
                dropRecord();
            return failure(ESTALE, QStringLiteral("it changed after it was listed"));
        }
        // Its other names, if it has any, now show the change time the move gave it.
        if (moved.links > 1)
            NoteOwnChange({moved.device, moved.inode}, ChangeFold(before.lastChange),
                          ChangeFold(moved.lastChange));
        TrashNames::remember(trash.info.get(), name, n);
        return {0, {}, trash.path, candidate};
    }
    return failure(EEXIST);
}

std::string recordPathIn(const std::string& topPath, const std::string& originalPath) {
    if (topPath == "/")
        return originalPath.size() > 1 ? originalPath.substr(1) : originalPath;
    if (originalPath.size() > topPath.size() + 1 && originalPath.rfind(topPath, 0) == 0 &&
        originalPath[topPath.size()] == '/')
        return originalPath.substr(topPath.size() + 1);
    return originalPath; // reached through a link: the full path still leads back
}

const QString kNoTrash = QStringLiteral("this filesystem has no trash");

} // namespace

std::string Trash::homeTrashPath() { return dataHome() + "/Trash"; }

std::string Trash::escapePath(const std::string& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size() + path.size() / 4);
    for (unsigned char c : path) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~' || c == '/') {
            out += char(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

TrashOutcome Trash::moveToTrash(const FolderHandle& folder, const std::string& name, const std::string& originalPath,
                                const EntryIdentity& expected) {
    return moveToTrash(folder, name, originalPath, [expected](const FsEntry& now, ListedLook) {
        return now.device == expected.device && now.inode == expected.inode;
    });
}

TrashOutcome Trash::moveToTrash(const FolderHandle& folder, const std::string& name,
                                const std::string& originalPath, const EntryCheck& expected) {
    if (!folder.valid())
        return failure(folder.error() ? folder.error() : EBADF);
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        return failure(EINVAL);
    FsEntry first;
    if (const int error = StatEntryAt(folder.fd(), name, first, false))
        return failure(error);
    // A first look spares a file that plainly changed the trash's record.
    if (!expected(first, ListedLook::Whole))
        return failure(ESTALE, QStringLiteral("it changed after it was listed"));

    int error = 0;
    dev_t home = 0;
    if (homeDevice(home) && home == first.device) {
        TrashFolders trash;
        if (!openHomeTrash(true, trash, error))
            return failure(error);
        TrashOutcome outcome = moveInto(trash, folder, name, originalPath, expected);
        // EXDEV: a bind mount of the home filesystem, which has a trash of its own below.
        if (outcome.error != EXDEV)
            return outcome;
    }
    TrashFolders trash;
    bool real = false;
    UniqueFd top = openTopFolder(folder, trash.topPath, real, error);
    if (!top.valid())
        return failure(error);
    if (!real)
        return failure(ENOTSUP, kNoTrash);
    if (!openTopTrash(top.get(), true, trash, error))
        return failure(error, kNoTrash + QStringLiteral(" (") + QString::fromLocal8Bit(std::strerror(error)) + u')');
    return moveInto(trash, folder, name, recordPathIn(trash.topPath, originalPath), expected);
}

namespace {

// The files/ and info/ folders of the trash at trashFolder, as they are (nothing is made).
bool openExistingTrash(const std::string& trashFolder, TrashFolders& trash, int& error) {
    const FolderHandle folder = FolderHandle::open(trashFolder);
    if (!folder.valid()) {
        error = folder.error();
        return false;
    }
    trash.path = trashFolder;
    return openFilesAndInfo(folder.fd(), false, trash, error);
}

bool isTrashName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

} // namespace

bool TrashLookup::holds(const std::string& trashFolder, const std::string& trashName,
                        const EntryIdentity& expected) {
    auto found = m_files.find(trashFolder);
    if (found == m_files.end()) {
        TrashFolders trash;
        int error = 0;
        openExistingTrash(trashFolder, trash, error);
        found = m_files.emplace(trashFolder, std::move(trash.files)).first;
    }
    return isTrashName(trashName) && found->second.valid() &&
           isEntry(found->second.get(), trashName.c_str(), expected);
}

TrashOutcome Trash::restoreFromTrash(const std::string& trashFolder, const std::string& trashName,
                                     const EntryIdentity& expected, const FolderHandle& into,
                                     const std::string& name) {
    const QString gone =
        QStringLiteral("it is no longer in the recycle bin (emptied, or restored meanwhile)");
    if (!into.valid())
        return failure(into.error() ? into.error() : EBADF);
    if (!isTrashName(trashName) || !isTrashName(name))
        return failure(EINVAL);
    TrashFolders trash;
    int error = 0;
    if (!openExistingTrash(trashFolder, trash, error))
        return failure(ENOENT, gone);
    struct stat st {};
    if (::fstatat(trash.files.get(), trashName.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? failure(ENOENT, gone) : failure(errno);
    if (st.st_dev != expected.device || st.st_ino != expected.inode)
        return failure(ESTALE, QStringLiteral("the recycle bin holds another file under its name now"));
    const QString taken = QStringLiteral("a file of that name is there now; it was left in the recycle bin");
    int rc = ::renameat2(trash.files.get(), trashName.c_str(), into.fd(), name.c_str(), RENAME_NOREPLACE);
    if (rc != 0 && errno == EINVAL && !S_ISDIR(st.st_mode)) {
        // A filesystem without no-replace renames: a new link never replaces anything either.
        rc = ::linkat(trash.files.get(), trashName.c_str(), into.fd(), name.c_str(), 0);
        if (rc == 0)
            ::unlinkat(trash.files.get(), trashName.c_str(), 0);
    }
    if (rc != 0) {
        if (errno == EEXIST)
            return failure(EEXIST, taken);
        if (errno == EXDEV)
            return failure(EXDEV, QStringLiteral("its folder is on another filesystem now"));
        return failure(errno);
    }
    if (!isEntry(into.fd(), name.c_str(), expected)) {
        // Swapped in the trash between the look and the move: it goes back, and nothing else stays.
        ::renameat2(into.fd(), name.c_str(), trash.files.get(), trashName.c_str(), RENAME_NOREPLACE);
        return failure(ESTALE, QStringLiteral("the recycle bin holds another file under its name now"));
    }
    const std::string record = trashName + kInfoSuffix;
    ::unlinkat(trash.info.get(), record.c_str(), 0);
    return {0, {}, trashFolder, trashName};
}

void Trash::setRecordMadeHook(TrashStepHook hook) {
    stepHook() = std::move(hook);
}

bool Trash::canTrash(const std::string& path) {
    FolderHandle folder = FolderHandle::open(path);
    if (!folder.valid())
        return false;
    dev_t home = 0;
    if (homeDevice(home) && home == folder.device())
        return true;
    std::string topPath;
    bool real = false;
    int error = 0;
    UniqueFd top = openTopFolder(folder, topPath, real, error);
    if (!top.valid() || !real)
        return false;
    TrashFolders trash;
    // An existing trash, or a top folder where one can be made.
    return openTopTrash(top.get(), false, trash, error) || ::faccessat(top.get(), ".", W_OK, AT_EACCESS) == 0;
}
