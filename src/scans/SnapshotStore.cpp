// SPDX-License-Identifier: GPL-3.0-or-later
#include "scans/SnapshotStore.h"

#include "delete/DeletionTotals.h"
#include "platform/ProfileFile.h"
#include "scans/SavedScanReader.h"

#include <QDir>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

const char kSuffix[] = ".json.zst";

// A made-and-checked folder path: every missing part made 0700.
bool makeFolder(const std::string& path) {
    std::string part;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || (path[i] == '/' && i > 0)) {
            part = path.substr(0, i);
            if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
                return false;
        }
    }
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The lock every change of the folder takes, given up after the wait.
class FolderLock {
public:
    FolderLock(const std::string& folder, std::chrono::milliseconds wait) {
        m_fd = ::open((folder + "/.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (m_fd < 0)
            return;
        const auto until = std::chrono::steady_clock::now() + wait;
        while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= until) {
                ::close(m_fd);
                m_fd = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ~FolderLock() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

std::uint64_t rootHash(const std::string& root) {
    std::uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : root)
        hash = (hash ^ c) * 1099511628211ull;
    return hash;
}

// A name that says which root it holds (its hash) and when (milliseconds), so that names of one root
// sort by time.
std::string snapshotName(std::uint64_t hash, long long milliseconds) {
    char name[80];
    std::snprintf(name, sizeof name, "%016llx-%013lld%s", static_cast<unsigned long long>(hash), milliseconds,
                  kSuffix);
    return name;
}

// The name for a snapshot made now that no other holds: two scans of a root in one millisecond must
// not overwrite each other. Called under the folder's lock.
std::string freshSnapshotName(const std::string& folder, const std::string& root) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    long long milliseconds = static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    std::string name = snapshotName(rootHash(root), milliseconds);
    struct stat st {};
    while (::lstat((folder + "/" + name).c_str(), &st) == 0)
        name = snapshotName(rootHash(root), ++milliseconds);
    return name;
}

} // namespace

SnapshotStore::Writer::Writer(std::string folder)
    : m_folder(std::move(folder)), m_exporter(m_out, ScanExporter::Kind::Snapshot) {}

bool SnapshotStore::Writer::begin() {
    if (!makeFolder(m_folder))
        return false;
    // The final name is known only at the end (the root is named by the walk): a placeholder now.
    // The fastest levels: the scan waits for none of it, and the files stay small enough.
    if (m_out.open(m_folder + "/pending" + kSuffix, true, SnapshotLevel) != 0)
        return false;
    m_exporter.begin();
    return true;
}

bool SnapshotStore::Writer::commit(const SnapshotStore& store) {
    if (!m_exporter.end()) {
        m_out.discard();
        return false;
    }
    {
        FolderLock lock(m_folder, lockWait);
        if (!lock.held()) {
            m_out.discard();
            return false;
        }
        m_out.setFinalPath(m_folder + "/" + freshSnapshotName(m_folder, m_exporter.rootPath()));
        if (m_out.finish() != 0)
            return false;
    }
    store.prune();
    return true;
}

SnapshotStore::SnapshotStore(std::string folder) : m_folder(std::move(folder)) {}

std::string SnapshotStore::defaultFolder() {
    // The XDG rule: an unset, empty or relative XDG_STATE_HOME means ~/.local/state.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return (base + QStringLiteral("/vantorel/scans")).toStdString();
}

bool SnapshotStore::enabled() {
    return ProfileFile(DeletionTotals::settingsPath())
               .readInteger(QStringLiteral("Vantorel"), QStringLiteral("ScanSnapshots")) != 0;
}

void SnapshotStore::setEnabled(bool on) {
    ProfileFile(DeletionTotals::settingsPath())
        .writeIntegers(QStringLiteral("Vantorel"), {{QStringLiteral("ScanSnapshots"), on ? 1 : 0}});
}

std::vector<SnapshotStore::Snapshot> SnapshotStore::list(const std::string& root) const {
    std::vector<Snapshot> found;
    DIR* dir = ::opendir(m_folder.c_str());
    if (!dir)
        return found;
    const std::string wanted = root.empty() ? std::string() : snapshotName(rootHash(root), 0).substr(0, 17);
    while (dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.size() < 30 || name[0] == '.' || name.compare(name.size() - 9, 9, kSuffix) != 0 ||
            name.compare(0, 7, "pending") == 0)
            continue;
        if (!wanted.empty() && name.compare(0, wanted.size(), wanted) != 0)
            continue;
        Snapshot s;
        s.path = m_folder + "/" + name;
        struct stat st {};
        if (::lstat(s.path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        s.bytes = st.st_size;
        SavedScanReader reader;
        if (!reader.open(s.path))
            continue; // not a scan: passed over
        s.root = reader.header().root.name;
        while (s.root.size() > 1 && s.root.back() == '/')
            s.root.pop_back();
        s.timestamp = reader.header().timestamp;
        if (!root.empty() && s.root != root)
            continue;
        found.push_back(std::move(s));
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end(), [](const Snapshot& a, const Snapshot& b) {
        return a.timestamp != b.timestamp ? a.timestamp > b.timestamp : a.path > b.path;
    });
    return found;
}

bool SnapshotStore::prune() const {
    FolderLock lock(m_folder, lockWait);
    if (!lock.held())
        return false;
    std::vector<Snapshot> all = list();
    std::map<std::string, std::size_t> perRoot;
    std::int64_t total = 0;
    for (const Snapshot& s : all) { // newest first: the oldest are the ones beyond a limit
        const bool overRoot = ++perRoot[s.root] > PerRoot;
        const bool overTotal = total + s.bytes > TotalBytes;
        if (overRoot || overTotal)
            ::unlink(s.path.c_str());
        else
            total += s.bytes;
    }
    return true;
}

std::vector<SnapshotStore::Snapshot> SnapshotStore::newestOf(const std::vector<std::string>& roots) const {
    std::vector<Snapshot> newest;
    for (const std::string& root : roots) {
        std::vector<Snapshot> of = list(root);
        if (of.empty())
            return {};
        newest.push_back(std::move(of.front()));
    }
    return newest;
}
