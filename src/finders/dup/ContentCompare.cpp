// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/dup/ContentCompare.h"

#include "platform/FolderHandle.h"
#include "platform/ListedFolder.h"
#include "platform/OpenForReading.h"

#include <xxhash.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace {

constexpr std::size_t kBlock = 64 * 1024;
// Files read side by side at once; a larger group of equal sizes is first sorted out by hashes.
constexpr std::size_t kMaxOpen = 256;

// Still the file the scan listed, unchanged (its change time too), as an open descriptor shows it.
bool unchanged(int fd, const ListedEntry& e) {
    FsEntry now;
    return StatOpenFile(fd, now) == 0 && S_ISREG(now.mode) && MatchesListed(now, e);
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
    if (!unchanged(fd, e)) {
        ::close(fd);
        return -1;
    }
    return fd;
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

bool allZero(const char* bytes, std::size_t n) {
    return n == 0 || (bytes[0] == 0 && std::memcmp(bytes, bytes + 1, n - 1) == 0);
}

} // namespace

// One file being read, alone or side by side with others of its size. Holes are never read: they
// read as zeros, so a stretch that is a hole in every file compared is passed over, and a block
// that is a hole in one file only is taken as zeros. The whole-content hash sees only the blocks
// that hold something but zeros, each with its offset, so it is the same for the same contents
// whatever the hole map (a hole or written zeros).
struct ContentCompare::Reader {
    std::size_t file = 0; // index into the files compared
    int fd = -1;
    std::int64_t size = 0;
    std::vector<char> block;
    XXH3_state_t* state = nullptr;
    // The next stretch of data at or after what was asked last: [dataStart, dataEnd).
    std::int64_t dataStart = 0;
    std::int64_t dataEnd = 0;
    bool mapped = false;

    Reader() = default;
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
    ~Reader() {
        if (fd >= 0)
            ::close(fd);
        if (state)
            XXH3_freeState(state);
    }

    bool open(int descriptor, std::int64_t bytes) {
        fd = descriptor;
        size = bytes;
        state = XXH3_createState();
        XXH3_128bits_reset(state);
        block.resize(std::size_t(std::min<std::int64_t>(size, std::int64_t(kBlock))));
        return fd >= 0;
    }

    // Where data begins at or after offset (size when only holes are left).
    std::int64_t dataFrom(std::int64_t offset) {
        if (!mapped || offset >= dataEnd) {
            mapped = true;
            const off_t start = ::lseek(fd, offset, SEEK_DATA);
            if (start < 0) {
                // ENXIO: nothing but holes up to the end. Anything else: a file system that cannot
                // tell, where everything counts as data.
                dataStart = errno == ENXIO ? size : offset;
                dataEnd = size;
            } else {
                dataStart = std::min<std::int64_t>(start, size);
                const off_t end = ::lseek(fd, start, SEEK_HOLE);
                dataEnd =
                    end < 0 ? size : std::min<std::int64_t>(std::max<std::int64_t>(end, dataStart), size);
            }
        }
        return std::max(offset, dataStart);
    }

    // The n bytes at offset into block: zeros for a hole, else read. Adds them to the hash; bytesRead
    // grows by what was read. False when they could not be read (the file changed).
    bool take(std::int64_t offset, std::size_t n, std::atomic<std::int64_t>& bytesRead) {
        bool zeros = false;
        if (dataFrom(offset) >= offset + std::int64_t(n)) {
            std::memset(block.data(), 0, n);
            zeros = true;
        } else {
            if (!readFully(fd, block.data(), n, offset))
                return false;
            bytesRead += std::int64_t(n);
            zeros = allZero(block.data(), n);
        }
        if (!zeros) {
            XXH3_128bits_update(state, &offset, sizeof offset);
            XXH3_128bits_update(state, block.data(), n);
        }
        return true;
    }
};

namespace {

// Splits readers into classes of equal blocks (first n bytes of their buffers).
template <class R> std::vector<std::vector<R*>> equalBlocks(const std::vector<R*>& readers, std::size_t n) {
    std::vector<std::vector<R*>> classes;
    for (R* r : readers) {
        auto same = std::find_if(classes.begin(), classes.end(), [&](const std::vector<R*>& c) {
            return std::memcmp(c.front()->block.data(), r->block.data(), n) == 0;
        });
        if (same == classes.end())
            classes.push_back({r});
        else
            same->push_back(r);
    }
    return classes;
}

// The first block offset at or after offset where one of readers holds data (a stretch that is a
// hole in all of them is zeros in all of them); size when there is none.
template <class R>
std::int64_t nextBlockOfData(const std::vector<R*>& readers, std::int64_t offset, std::int64_t size) {
    std::int64_t next = size;
    for (R* r : readers)
        next = std::min(next, r->dataFrom(offset));
    next -= next % std::int64_t(kBlock);
    return std::max(next, offset);
}

} // namespace

bool ContentCompare::stillListed(const ListedEntry& file) {
    const int fd = openListed(file);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

int ContentCompare::openFile(const std::vector<ListedEntry>& files, std::size_t i) const {
    return m_locate ? openListed(m_locate(i)) : openListed(files[i]);
}

std::vector<std::vector<std::size_t>> ContentCompare::sameContents(const std::vector<ListedEntry>& files,
                                                                   std::int64_t size,
                                                                   std::vector<std::size_t>& unreadable,
                                                                   Locate locate) {
    m_locate = std::move(locate);
    if (files.size() < 2 || m_abort)
        return {};
    if (files.size() > kMaxOpen)
        return compareMany(files, size, unreadable);
    std::vector<std::size_t> all(files.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = i;
    return compareSideBySide(files, all, size, unreadable);
}

std::vector<std::vector<std::size_t>>
ContentCompare::compareSideBySide(const std::vector<ListedEntry>& files,
                                  const std::vector<std::size_t>& which, std::int64_t size,
                                  std::vector<std::size_t>& unreadable) {
    std::vector<std::unique_ptr<Reader>> readers;
    std::vector<Reader*> open;
    for (std::size_t i : which) {
        auto r = std::make_unique<Reader>();
        r->file = i;
        if (!r->open(openFile(files, i), size)) {
            unreadable.push_back(i);
            continue;
        }
        open.push_back(r.get());
        readers.push_back(std::move(r));
    }
    // Sets of files alike so far, each at its own offset: a set passes over the holes all its
    // files share, which differ from set to set.
    struct Pending {
        std::vector<Reader*> readers;
        std::int64_t offset = 0;
        bool first = true; // no block of it read yet
    };
    std::vector<Pending> work;
    if (open.size() >= 2)
        work.push_back({open});
    std::vector<std::vector<Reader*>> sets; // alike to the end
    while (!work.empty()) {
        Pending set = std::move(work.back());
        work.pop_back();
        bool split = false;
        while (!split && (set.offset = nextBlockOfData(set.readers, set.offset, size)) < size) {
            const std::int64_t offset = set.offset;
            const std::size_t n = std::size_t(std::min<std::int64_t>(size - offset, std::int64_t(kBlock)));
            std::vector<Reader*> alive;
            for (Reader* r : set.readers) {
                if (r->take(offset, n, m_read))
                    alive.push_back(r);
                else
                    unreadable.push_back(r->file);
            }
            // The first block's hash parts most sets at once; equal hashes are still compared.
            std::vector<std::vector<Reader*>> byHash;
            if (set.first) {
                std::unordered_map<XXH64_hash_t, std::size_t> slot;
                for (Reader* r : alive) {
                    auto [it, added] = slot.emplace(XXH3_64bits(r->block.data(), n), byHash.size());
                    if (added)
                        byHash.push_back({});
                    byHash[it->second].push_back(r);
                }
            } else {
                byHash.push_back(std::move(alive));
            }
            std::vector<std::vector<Reader*>> parts;
            for (const std::vector<Reader*>& part : byHash) {
                if (part.size() < 2)
                    continue;
                for (std::vector<Reader*>& same : equalBlocks(part, n))
                    if (same.size() >= 2)
                        parts.push_back(std::move(same));
            }
            set.offset += std::int64_t(n);
            set.first = false;
            if (parts.size() == 1 && parts.front().size() == set.readers.size()) {
                // All still alike: on with the same set.
            } else {
                split = true;
                for (std::vector<Reader*>& part : parts)
                    work.push_back({std::move(part), set.offset, false});
            }
            yield();
            if (m_abort)
                return {};
        }
        if (!split)
            sets.push_back(std::move(set.readers));
    }
    // To the end together: the whole contents' hashes agree, and nothing changed while reading.
    std::vector<std::vector<std::size_t>> identical;
    for (const std::vector<Reader*>& set : sets) {
        std::vector<std::size_t> same;
        const XXH128_hash_t first = XXH3_128bits_digest(set.front()->state);
        for (Reader* r : set) {
            if (!unchanged(r->fd, files[r->file]) || !XXH128_isEqual(XXH3_128bits_digest(r->state), first)) {
                unreadable.push_back(r->file);
                continue;
            }
            same.push_back(r->file);
        }
        if (same.size() >= 2)
            identical.push_back(std::move(same));
    }
    // In the order the files were given, as the callers number their groups.
    std::sort(identical.begin(), identical.end());
    return identical;
}

std::vector<std::vector<std::size_t>> ContentCompare::compareMany(const std::vector<ListedEntry>& files,
                                                                  std::int64_t size,
                                                                  std::vector<std::size_t>& unreadable) {
    std::map<std::pair<XXH64_hash_t, XXH64_hash_t>, std::vector<std::size_t>> byHash;
    for (std::size_t i = 0; i < files.size(); ++i) {
        Reader r;
        if (!r.open(openFile(files, i), size)) {
            unreadable.push_back(i);
            continue;
        }
        bool whole = true;
        for (std::int64_t offset = 0;
             (offset = nextBlockOfData(std::vector<Reader*>{&r}, offset, size)) < size;) {
            const std::size_t n = std::size_t(std::min<std::int64_t>(size - offset, std::int64_t(kBlock)));
            if (!r.take(offset, n, m_read)) {
                whole = false;
                break;
            }
            offset += std::int64_t(n);
            yield();
            if (m_abort)
                return {};
        }
        if (!whole) {
            unreadable.push_back(i);
            continue;
        }
        const XXH128_hash_t hash = XXH3_128bits_digest(r.state);
        byHash[{hash.high64, hash.low64}].push_back(i);
    }
    std::vector<std::vector<std::size_t>> identical;
    for (const auto& [hash, candidates] : byHash) {
        (void)hash;
        if (candidates.size() < 2)
            continue;
        if (candidates.size() <= kMaxOpen) {
            for (std::vector<std::size_t>& set : compareSideBySide(files, candidates, size, unreadable))
                identical.push_back(std::move(set));
            continue;
        }
        // Too many to read at once: in turns, each against the same first file.
        std::vector<std::size_t> confirmed{candidates.front()};
        for (std::size_t from = 1; from < candidates.size();) {
            std::vector<std::size_t> turn{candidates.front()};
            for (; from < candidates.size() && turn.size() < kMaxOpen; ++from)
                turn.push_back(candidates[from]);
            for (std::vector<std::size_t>& set : compareSideBySide(files, turn, size, unreadable)) {
                if (set.front() == candidates.front())
                    confirmed.insert(confirmed.end(), set.begin() + 1, set.end());
                else
                    identical.push_back(std::move(set));
            }
            if (m_abort)
                return {};
        }
        if (confirmed.size() >= 2)
            identical.push_back(std::move(confirmed));
    }
    return identical;
}
