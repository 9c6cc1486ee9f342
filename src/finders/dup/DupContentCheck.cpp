// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/dup/DupContentCheck.h"

#include "finders/dup/DupScanEngine.h"
#include "platform/ListedFolder.h"
#include "platform/OpenForReading.h"

#include <xxhash.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace {

constexpr std::size_t kBlock = 64 * 1024;
// Files read side by side at once; a larger group of equal sizes is first sorted out by hashes.
constexpr std::size_t kMaxOpen = 256;

// Still the file the scan listed, as an open descriptor shows it.
bool unchanged(const struct stat& st, const ListedEntry& e) {
    return S_ISREG(st.st_mode) && st.st_dev == e.identity.device && st.st_ino == e.identity.inode &&
           st.st_size == e.size && (!e.modifiedKnown || NanosecondStamp(st.st_mtim) == e.modifiedNs);
}

// Opens the listed file for reading through its folder's handle, or -1 when it cannot be read or
// is not the listed file any more.
int openListed(const ListedEntry& e) {
    const FolderHandle folder = OpenListedFolder(e);
    if (!folder.valid())
        return -1;
    const int fd =
        OpenForReading(folder.fd(), e.name.c_str(), O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !unchanged(st, e)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool stillListed(const ListedEntry& e) {
    const int fd = openListed(e);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool readFully(int fd, char* into, std::size_t size, std::int64_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, into + done, size - done, offset + std::int64_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false; // shorter than listed: it changed
        done += std::size_t(n);
    }
    return true;
}

// One file being read side by side with others of its size.
struct Reader {
    std::size_t inode = 0; // index into the run's inodes
    int fd = -1;
    std::vector<char> block;
    XXH3_state_t* state = nullptr;

    Reader() = default;
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
    ~Reader() {
        if (fd >= 0)
            ::close(fd);
        if (state)
            XXH3_freeState(state);
    }
};

// Splits readers into classes of equal blocks (first n bytes of their buffers).
std::vector<std::vector<Reader*>> equalBlocks(const std::vector<Reader*>& readers, std::size_t n) {
    std::vector<std::vector<Reader*>> classes;
    for (Reader* r : readers) {
        auto same = std::find_if(classes.begin(), classes.end(), [&](const std::vector<Reader*>& c) {
            return std::memcmp(c.front()->block.data(), r->block.data(), n) == 0;
        });
        if (same == classes.end())
            classes.push_back({r});
        else
            same->push_back(r);
    }
    return classes;
}

} // namespace

struct DupContentCheck::Impl {
    const DupScanEngine& engine;
    std::function<void()> yieldHook;
    std::atomic<bool> abortRequested{false};
    std::atomic<std::int64_t> read{0};
    bool didRun = false;

    std::vector<std::uint32_t> groupOf;
    struct Group {
        std::vector<std::uint32_t> members;
        bool sameFile = false;
    };
    std::vector<Group> groups;
    std::int64_t unreadable = 0;

    // The distinct files (inodes) of one size within a run, with their names. What a file was when
    // listed is kept without its path: a run of files deep down would hold a copy of each path,
    // which is made again only to open the file.
    struct Inode {
        ListedEntry listed;               // identity, size and write time; no path parts
        std::vector<std::uint32_t> names; // result indices
    };
    ListedEntry entryOf(const Inode& in) const { return engine.resultEntry(in.names.front()); }

    explicit Impl(const DupScanEngine& e) : engine(e) {}

    void yield() {
        if (yieldHook)
            yieldHook();
    }

    // Reads the files side by side, a block at a time, and gives the sets of inodes (indices) whose
    // contents are the same. Files that cannot be read or change are counted and left out.
    std::vector<std::vector<std::size_t>> compareSideBySide(const std::vector<Inode>& inodes,
                                                            const std::vector<std::size_t>& which,
                                                            std::int64_t size) {
        std::vector<std::unique_ptr<Reader>> readers;
        std::vector<Reader*> open;
        for (std::size_t i : which) {
            auto r = std::make_unique<Reader>();
            r->inode = i;
            r->fd = openListed(entryOf(inodes[i]));
            if (r->fd < 0) {
                unreadable += std::int64_t(inodes[i].names.size());
                continue;
            }
            r->state = XXH3_createState();
            XXH3_128bits_reset(r->state);
            r->block.resize(std::size_t(std::min<std::int64_t>(size, std::int64_t(kBlock))));
            open.push_back(r.get());
            readers.push_back(std::move(r));
        }
        std::vector<std::vector<Reader*>> sets;
        if (open.size() >= 2)
            sets.push_back(open);
        for (std::int64_t offset = 0; offset < size && !sets.empty(); offset += std::int64_t(kBlock)) {
            const std::size_t n = std::size_t(std::min<std::int64_t>(size - offset, std::int64_t(kBlock)));
            std::vector<std::vector<Reader*>> next;
            for (const std::vector<Reader*>& set : sets) {
                std::vector<Reader*> alive;
                for (Reader* r : set) {
                    if (!readFully(r->fd, r->block.data(), n, offset)) {
                        unreadable += std::int64_t(inodes[r->inode].names.size());
                        continue;
                    }
                    read += std::int64_t(n);
                    XXH3_128bits_update(r->state, r->block.data(), n);
                    alive.push_back(r);
                }
                // The first block's hash parts most sets at once; equal hashes are still compared.
                std::vector<std::vector<Reader*>> byHash;
                if (offset == 0) {
                    std::unordered_map<XXH64_hash_t, std::size_t> slot;
                    for (Reader* r : alive) {
                        auto [it, added] = slot.emplace(XXH3_64bits(r->block.data(), n), byHash.size());
                        if (added)
                            byHash.push_back({});
                        byHash[it->second].push_back(r);
                    }
                } else {
                    byHash.push_back(alive);
                }
                for (const std::vector<Reader*>& part : byHash) {
                    if (part.size() < 2)
                        continue;
                    for (std::vector<Reader*>& same : equalBlocks(part, n))
                        if (same.size() >= 2)
                            next.push_back(std::move(same));
                }
            }
            sets = std::move(next);
            yield();
            if (abortRequested)
                return {};
        }
        // To the end together: the whole contents' hashes agree, and nothing changed while reading.
        std::vector<std::vector<std::size_t>> identical;
        for (const std::vector<Reader*>& set : sets) {
            std::vector<std::size_t> same;
            const XXH128_hash_t first = XXH3_128bits_digest(set.front()->state);
            for (Reader* r : set) {
                struct stat st {};
                if (::fstat(r->fd, &st) != 0 || !unchanged(st, inodes[r->inode].listed) ||
                    !XXH128_isEqual(XXH3_128bits_digest(r->state), first)) {
                    unreadable += std::int64_t(inodes[r->inode].names.size());
                    continue;
                }
                same.push_back(r->inode);
            }
            if (same.size() >= 2)
                identical.push_back(std::move(same));
        }
        return identical;
    }

    // More files of one size than can be read side by side: their whole-content hashes sort them
    // into candidates first (one extra read each), which are then compared side by side in turn.
    std::vector<std::vector<std::size_t>> compareMany(const std::vector<Inode>& inodes, std::int64_t size) {
        std::map<std::pair<XXH64_hash_t, XXH64_hash_t>, std::vector<std::size_t>> byHash;
        std::vector<char> block(kBlock);
        for (std::size_t i = 0; i < inodes.size(); ++i) {
            const int fd = openListed(entryOf(inodes[i]));
            if (fd < 0) {
                unreadable += std::int64_t(inodes[i].names.size());
                continue;
            }
            XXH3_state_t* state = XXH3_createState();
            XXH3_128bits_reset(state);
            bool whole = true;
            for (std::int64_t offset = 0; offset < size; offset += std::int64_t(kBlock)) {
                const std::size_t n = std::size_t(std::min<std::int64_t>(size - offset, std::int64_t(kBlock)));
                if (!readFully(fd, block.data(), n, offset)) {
                    whole = false;
                    break;
                }
                XXH3_128bits_update(state, block.data(), n);
                yield();
                if (abortRequested)
                    break;
            }
            const XXH128_hash_t hash = XXH3_128bits_digest(state);
            XXH3_freeState(state);
            ::close(fd);
            if (abortRequested)
                return {};
            if (!whole) {
                unreadable += std::int64_t(inodes[i].names.size());
                continue;
            }
            byHash[{hash.high64, hash.low64}].push_back(i);
        }
        std::vector<std::vector<std::size_t>> identical;
        for (const auto& [hash, candidates] : byHash) {
            (void)hash;
            if (candidates.size() < 2)
                continue;
            if (candidates.size() <= kMaxOpen) {
                for (std::vector<std::size_t>& set : compareSideBySide(inodes, candidates, size))
                    identical.push_back(std::move(set));
                continue;
            }
            // Too many to read at once: in turns, each against the same first file.
            std::vector<std::size_t> confirmed{candidates.front()};
            for (std::size_t from = 1; from < candidates.size();) {
                std::vector<std::size_t> turn{candidates.front()};
                for (; from < candidates.size() && turn.size() < kMaxOpen; ++from)
                    turn.push_back(candidates[from]);
                for (std::vector<std::size_t>& set : compareSideBySide(inodes, turn, size)) {
                    if (set.front() == candidates.front())
                        confirmed.insert(confirmed.end(), set.begin() + 1, set.end());
                    else
                        identical.push_back(std::move(set));
                }
                if (abortRequested)
                    return {};
            }
            if (confirmed.size() >= 2)
                identical.push_back(std::move(confirmed));
        }
        return identical;
    }

    void addGroup(std::vector<std::uint32_t> members, bool sameFile, std::vector<Group>& found) {
        std::sort(members.begin(), members.end());
        found.push_back({std::move(members), sameFile});
    }

    void checkRun(std::uint32_t begin, std::uint32_t end, std::vector<Group>& found) {
        std::map<std::int64_t, std::vector<std::uint32_t>> bySize;
        for (std::uint32_t i = begin; i < end; ++i)
            bySize[engine.resultSize(i)].push_back(i);
        for (auto& [size, results] : bySize) {
            if (results.size() < 2)
                continue;
            // The distinct files among the names, in result order.
            std::vector<Inode> inodes;
            for (std::uint32_t r : results) {
                ListedEntry e = engine.resultEntry(r);
                auto same = std::find_if(inodes.begin(), inodes.end(),
                                         [&](const Inode& in) { return in.listed.identity == e.identity; });
                if (same == inodes.end()) {
                    ListedEntry listed;
                    listed.identity = e.identity;
                    listed.size = e.size;
                    listed.modifiedNs = e.modifiedNs;
                    listed.modifiedKnown = e.modifiedKnown;
                    inodes.push_back({std::move(listed), {r}});
                } else {
                    same->names.push_back(r);
                }
            }
            if (size == 0) {
                // Empty files are all alike: only whether each is still there, still empty, counts.
                std::vector<std::uint32_t> alike;
                bool oneFile = true;
                for (const Inode& in : inodes) {
                    if (!stillListed(entryOf(in))) {
                        unreadable += std::int64_t(in.names.size());
                        continue;
                    }
                    oneFile =
                        oneFile && (alike.empty() || in.listed.identity == inodes.front().listed.identity);
                    alike.insert(alike.end(), in.names.begin(), in.names.end());
                }
                if (alike.size() >= 2)
                    addGroup(std::move(alike), oneFile && inodes.size() == 1, found);
                continue;
            }
            std::vector<std::size_t> all(inodes.size());
            for (std::size_t i = 0; i < all.size(); ++i)
                all[i] = i;
            std::vector<std::vector<std::size_t>> sets;
            if (inodes.size() >= 2)
                sets = inodes.size() <= kMaxOpen ? compareSideBySide(inodes, all, size) : compareMany(inodes, size);
            if (abortRequested)
                return;
            std::vector<bool> grouped(inodes.size(), false);
            for (const std::vector<std::size_t>& set : sets) {
                std::vector<std::uint32_t> names;
                for (std::size_t i : set) {
                    grouped[i] = true;
                    names.insert(names.end(), inodes[i].names.begin(), inodes[i].names.end());
                }
                addGroup(std::move(names), false, found);
            }
            // Several names of one file with no other twin: the same file, no read needed.
            for (std::size_t i = 0; i < inodes.size(); ++i)
                if (!grouped[i] && inodes[i].names.size() >= 2 && stillListed(entryOf(inodes[i])))
                    addGroup(inodes[i].names, true, found);
        }
    }
};

DupContentCheck::DupContentCheck(const DupScanEngine& engine) : d(std::make_unique<Impl>(engine)) {}
DupContentCheck::~DupContentCheck() = default;

void DupContentCheck::setYieldHook(std::function<void()> hook) { d->yieldHook = std::move(hook); }

void DupContentCheck::run() {
    d->abortRequested = false;
    d->read = 0;
    d->unreadable = 0;
    d->groups.clear();
    d->groupOf.assign(d->engine.resultCount(), 0);
    const std::vector<std::uint32_t> starts = d->engine.resultRunStarts();
    for (std::size_t i = 0; i < starts.size() && !d->abortRequested; ++i) {
        const std::uint32_t end = i + 1 < starts.size() ? starts[i + 1] : std::uint32_t(d->engine.resultCount());
        std::vector<Impl::Group> found;
        d->checkRun(starts[i], end, found);
        // Groups are numbered in result order: by their first member.
        std::sort(found.begin(), found.end(),
                  [](const Impl::Group& a, const Impl::Group& b) { return a.members.front() < b.members.front(); });
        for (Impl::Group& g : found) {
            d->groups.push_back(std::move(g));
            for (std::uint32_t r : d->groups.back().members)
                d->groupOf[r] = std::uint32_t(d->groups.size());
        }
    }
    d->didRun = true;
}

void DupContentCheck::abort() { d->abortRequested = true; }
bool DupContentCheck::aborted() const { return d->abortRequested; }

std::uint32_t DupContentCheck::groupOf(std::size_t result) const {
    return result < d->groupOf.size() ? d->groupOf[result] : 0;
}

std::size_t DupContentCheck::groupCount() const { return d->groups.size(); }

const std::vector<std::uint32_t>& DupContentCheck::members(std::uint32_t group) const {
    static const std::vector<std::uint32_t> none;
    return group >= 1 && group <= d->groups.size() ? d->groups[group - 1].members : none;
}

bool DupContentCheck::sameFile(std::uint32_t group) const {
    return group >= 1 && group <= d->groups.size() && d->groups[group - 1].sameFile;
}

std::int64_t DupContentCheck::unreadableFiles() const { return d->unreadable; }
std::int64_t DupContentCheck::bytesRead() const { return d->read; }
bool DupContentCheck::ran() const { return d->didRun; }
