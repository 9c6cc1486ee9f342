// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WalkAhead.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace {

// The window: pieces of work running or done ahead of the walk (MostAhead), and the bytes they
// hold. Small enough to cost little memory and few handles, large enough that the helpers rarely
// wait for the walk.
constexpr std::size_t kMostBytesAhead = std::size_t(8) << 20;

bool isHidden(std::string_view name) { return !name.empty() && name[0] == '.'; }

FolderListing::Type typeOfMode(mode_t mode) {
    if (S_ISREG(mode))
        return FolderListing::File;
    if (S_ISDIR(mode))
        return FolderListing::Folder;
    return FolderListing::Other;
}

// The memory a folder read ahead holds.
std::size_t bytesOf(const WalkFolder& f) {
    std::size_t bytes = f.listing.names.capacity() + f.listing.items.capacity() * sizeof(FolderListing::Item) +
                        (f.subFolders.capacity() + f.statItems.capacity()) * sizeof(std::uint32_t) +
                        f.children.capacity() * sizeof(f.children[0]);
    if (f.blocksMade > 0 && f.blocks[0])
        bytes += f.blocks[0]->stats.capacity() * sizeof(AheadStat);
    return bytes;
}

} // namespace

void AheadStat::take(const FsEntry& e, int failure) {
    error = failure;
    if (failure)
        return;
    size = e.size;
    allocated = e.allocated;
    lastWrite = e.lastWrite;
    lastAccess = e.lastAccess;
    lastChange = e.lastChange;
    creation = e.creation;
    device = e.device;
    inode = e.inode;
    mode = e.mode;
    attributes = e.attributes;
    links = e.links;
    owner = e.owner;
    group = e.group;
    hasCreation = e.hasCreation;
    mountRoot = e.mountRoot;
}

void AheadStat::give(FsEntry& e) const {
    e.size = size;
    e.allocated = allocated;
    e.lastWrite = lastWrite;
    e.lastAccess = lastAccess;
    e.lastChange = lastChange;
    e.creation = creation;
    e.device = device;
    e.inode = inode;
    e.mode = mode;
    e.attributes = attributes;
    e.links = links;
    e.owner = owner;
    e.group = group;
    e.hasCreation = hasCreation;
    e.mountRoot = mountRoot;
}

WalkAhead::WalkAhead(int helpers, Options options) : m_options(std::move(options)), m_readAhead(helpers > 0) {
    m_helpers.reserve(std::size_t(std::max(helpers, 0)));
    for (int i = 0; i < helpers; ++i)
        m_helpers.emplace_back([this] { help(); });
}

WalkAhead::~WalkAhead() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_workWaiting.notify_all();
    for (std::thread& t : m_helpers)
        t.join();
    m_work.clear();
}

std::shared_ptr<WalkFolder> WalkAhead::root(FolderHandle handle, const ExclusionRules::Place* place) {
    auto folder = std::make_shared<WalkFolder>();
    folder->handle = std::move(handle);
    if (place)
        folder->place = *place;
    m_rootPlaced = place != nullptr;
    expand(*folder, nullptr);
    std::lock_guard lock(m_mutex);
    folder->running = false;
    queue(folder, m_work.begin());
    return folder;
}

bool WalkAhead::expand(WalkFolder& f, WalkFolder* parent) {
    const ExclusionRules* rules = m_options.exclusions.get();
    if (parent) {
        std::shared_lock lock(parent->fdLock);
        if (!parent->handle.valid())
            return false;
        const std::string_view name = parent->listing.name(f.item);
        f.handle = FolderHandle::openChildUnnamed(parent->handle, name);
        if (rules)
            f.place = rules->below(parent->place, name);
    } else if (rules && !m_rootPlaced) {
        f.place = rules->top();
    }
    if (!f.handle.valid()) {
        f.openError = f.handle.error() ? f.handle.error() : EBADF;
        return true;
    }
    // Another filesystem, or a bind mount of this one: listed, never entered (the root itself is).
    if (parent && (f.handle.device() != m_options.rootDevice || f.handle.isMountRoot())) {
        f.openError = EXDEV;
        f.handle.close();
        return true;
    }
    if (!ReadFolderNames(f.handle, f.listing, &f.listError)) {
        if (f.listError == 0)
            f.listError = EIO;
        f.listing.clear();
        return true;
    }
    if (rules && exclude(f, parent == nullptr))
        return true;
    // The walk needs to know which visible entries are folders; one statx settles an entry whose
    // listing gave no type hint. One that vanished meanwhile stays Unknown and is left out.
    FsEntry stats;
    const bool everyType = rules && rules->needsTypes();
    for (std::size_t i = 0; i < f.listing.size(); ++i) {
        FolderListing::Item& item = f.listing.items[i];
        if (item.type != FolderListing::Unknown ||
            (!m_options.hiddenFolders && !everyType && isHidden(f.listing.name(i))))
            continue;
        const int error = StatEntry(f.handle, f.listing.name(i), stats, false);
        if (error == 0) {
            item.type = typeOfMode(stats.mode);
        } else if (error != ENOENT) {
            item.type = FolderListing::Failed;
            f.typeFailures.emplace_back(std::uint32_t(i), error);
        }
    }
    if (rules && rules->hasPatterns())
        markExcluded(f, *rules);
    for (std::size_t i = 0; i < f.listing.size(); ++i) {
        const FolderListing::Item& item = f.listing.items[i];
        const std::string_view name = f.listing.name(i);
        if (item.type == FolderListing::Folder && (m_options.hiddenFolders || !isHidden(name)))
            f.subFolders.push_back(std::uint32_t(i));
        if (!m_readAhead)
            continue; // the single walk reads each entry when it gets there
        const bool wanted = m_options.everyEntry
                                ? item.type != FolderListing::Folder && item.type != FolderListing::Failed &&
                                      item.type != FolderListing::Excluded
                                : item.type == FolderListing::File && !isHidden(name) &&
                                      (!m_options.fileFilter || m_options.fileFilter(name));
        if (wanted)
            f.statItems.push_back(std::uint32_t(i));
    }
    f.children.resize(f.subFolders.size());
    f.blocks.resize((f.statItems.size() + BlockSize - 1) / BlockSize);
    // A folder without sub-folders needs its files next: read with the listing, as one piece.
    if (f.subFolders.empty() && f.blocks.size() == 1) {
        auto block = std::make_shared<AheadBlock>();
        if (readBlock(f, 0, *block)) {
            block->running = false;
            f.blocks[0] = std::move(block);
            f.blocksMade = 1;
        }
    }
    return true;
}

bool WalkAhead::exclude(WalkFolder& f, bool isRoot) {
    const ExclusionRules& rules = *m_options.exclusions;
    // The scanned folder itself is what the user asked for, cache or not.
    if (isRoot || !rules.caches())
        return false;
    const FolderListing& listing = f.listing;
    for (std::size_t i = 0; i < listing.size(); ++i) {
        if (listing.name(i) == ExclusionRules::CacheTagName) {
            if (!HoldsCacheTag(f.handle))
                return false;
            f.excludedBy = rules.cacheRule();
            f.listing.clear();
            return true;
        }
    }
    return false;
}

void WalkAhead::markExcluded(WalkFolder& f, const ExclusionRules& rules) {
    FolderListing& listing = f.listing;
    bool failedOnes = false;
    for (std::size_t i = 0; i < listing.size(); ++i) {
        FolderListing::Item& item = listing.items[i];
        const bool folder = item.type == FolderListing::Folder;
        const ExclusionRules::Rule rule = rules.excludes(f.place, listing.name(i), folder);
        if (rule == ExclusionRules::None)
            continue;
        failedOnes = failedOnes || item.type == FolderListing::Failed;
        f.excluded.push_back({std::uint32_t(i), rule, item.type});
        item.type = FolderListing::Excluded;
    }
    // An entry left out is not one that could not be read.
    if (failedOnes)
        std::erase_if(f.typeFailures, [&](const auto& failure) {
            return listing.items[failure.first].type == FolderListing::Excluded;
        });
}

bool WalkAhead::readBlock(WalkFolder& f, std::size_t b, AheadBlock& block) {
    std::shared_lock lock(f.fdLock);
    if (!f.handle.valid())
        return false;
    const std::size_t begin = b * BlockSize;
    const std::size_t end = std::min(begin + BlockSize, f.statItems.size());
    block.stats.resize(end - begin);
    FsEntry entry;
    for (std::size_t p = begin; p < end; ++p) {
        if (m_stopping.load(std::memory_order_relaxed))
            return false;
        const int error = StatEntry(f.handle, f.listing.name(f.statItems[p]), entry, m_options.withCreation);
        block.stats[p - begin].take(entry, error);
    }
    return true;
}

void WalkAhead::queue(const std::shared_ptr<WalkFolder>& f, std::list<AheadWork>::iterator at) {
    if (!m_readAhead || f->dropped)
        return;
    if (f->made < f->subFolders.size()) {
        f->childWork = m_work.insert(at, AheadWork{f, AheadWork::Children});
        f->childQueued = true;
    }
    // A folder's own files come after everything below it in the walk's order.
    if (f->blocksMade < f->blocks.size()) {
        f->blockWork = m_work.insert(at, AheadWork{f, AheadWork::Statistics});
        f->blockQueued = true;
    }
    m_workWaiting.notify_all();
}

std::list<AheadWork>::iterator WalkAhead::firstWork() {
    for (auto it = m_work.begin(); it != m_work.end(); ++it)
        if (it->kind != AheadWork::Opening)
            return it;
    return m_work.end();
}

void WalkAhead::help() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        auto it = m_work.end();
        m_workWaiting.wait(lock, [&] {
            if (m_stopping)
                return true;
            if (m_aheadCount >= MostAhead || m_aheadBytes >= kMostBytesAhead)
                return false;
            it = firstWork();
            return it != m_work.end();
        });
        if (m_stopping)
            return;
        const std::shared_ptr<WalkFolder> f = it->folder;
        if (it->kind == AheadWork::Children) {
            const std::size_t k = f->made++;
            auto at = it;
            if (f->made == f->subFolders.size()) {
                at = m_work.erase(it);
                f->childQueued = false;
            }
            auto child = std::make_shared<WalkFolder>();
            child->parent = f;
            child->item = f->subFolders[k];
            child->inWindow = true;
            f->children[k] = child;
            // Its place in the list, where what it makes will go.
            const auto place = m_work.insert(at, AheadWork{child, AheadWork::Opening});
            ++m_aheadCount;
            lock.unlock();
            const bool opened = expand(*child, f.get());
            lock.lock();
            const auto next = m_work.erase(place);
            child->parent.reset();
            child->running = false;
            child->deferred = !opened;
            if (!opened || child->dropped) {
                leaveWindow(*child);
            } else {
                child->counted = bytesOf(*child);
                m_aheadBytes += child->counted;
                queue(child, next);
            }
        } else {
            const std::size_t b = f->blocksMade++;
            if (f->blocksMade == f->blocks.size()) {
                m_work.erase(it);
                f->blockQueued = false;
            }
            auto block = std::make_shared<AheadBlock>();
            block->inWindow = true;
            f->blocks[b] = block;
            ++m_aheadCount;
            lock.unlock();
            const bool read = readBlock(*f, b, *block);
            lock.lock();
            block->running = false;
            block->deferred = !read;
            if (!read || block->dropped) {
                leaveWindow(*block);
            } else {
                block->counted = block->stats.capacity() * sizeof(AheadStat);
                m_aheadBytes += block->counted;
            }
        }
        m_workDone.notify_all();
    }
}

void WalkAhead::leaveWindow(WalkFolder& f) {
    if (!f.inWindow)
        return;
    f.inWindow = false;
    --m_aheadCount;
    m_aheadBytes -= f.counted;
    m_workWaiting.notify_all();
}

void WalkAhead::leaveWindow(AheadBlock& block) {
    if (!block.inWindow)
        return;
    block.inWindow = false;
    --m_aheadCount;
    m_aheadBytes -= block.counted;
    m_workWaiting.notify_all();
}

std::shared_ptr<WalkFolder> WalkAhead::takeChild(const std::shared_ptr<WalkFolder>& folder, std::size_t k) {
    std::unique_lock lock(m_mutex);
    WalkFolder& f = *folder;
    std::shared_ptr<WalkFolder> child;
    f.taken = k + 1;
    if (k < f.made && f.children[k]) {
        child = std::move(f.children[k]);
        m_workDone.wait(lock, [&] { return !child->running; });
        if (!child->deferred) {
            leaveWindow(*child);
            return child;
        }
        // A helper found this folder's handle closed (the walk was deep below it): opened here.
        child->running = true;
        child->deferred = false;
    } else {
        if (k >= f.made) {
            f.made = k + 1;
            if (f.made >= f.subFolders.size() && f.childQueued) {
                m_work.erase(f.childWork);
                f.childQueued = false;
            }
        }
        child = std::make_shared<WalkFolder>();
        child->item = f.subFolders[k];
    }
    lock.unlock();
    if (!expand(*child, &f))
        child->openError = EBADF; // cannot be: the walk is in folder, so its handle is open
    lock.lock();
    child->running = false;
    // The walk needs nothing before this folder now: what lies below it is the nearest work.
    queue(child, m_work.begin());
    return child;
}

std::shared_ptr<AheadBlock> WalkAhead::takeBlock(WalkFolder& f, std::size_t b) {
    std::unique_lock lock(m_mutex);
    // Blocks before b are not needed any more (the walk wanted none of their files).
    for (; f.blocksTaken < b && f.blocksTaken < f.blocksMade; ++f.blocksTaken) {
        if (std::shared_ptr<AheadBlock>& skipped = f.blocks[f.blocksTaken]) {
            skipped->dropped = true;
            if (!skipped->running)
                leaveWindow(*skipped);
            skipped.reset();
        }
    }
    f.blocksTaken = std::max(f.blocksTaken, b + 1);
    std::shared_ptr<AheadBlock> block;
    if (b < f.blocksMade && f.blocks[b]) {
        block = std::move(f.blocks[b]);
        m_workDone.wait(lock, [&] { return !block->running; });
        if (!block->deferred) {
            leaveWindow(*block);
            return block;
        }
        block->deferred = false;
    } else {
        if (b >= f.blocksMade) {
            f.blocksMade = b + 1;
            if (f.blocksMade >= f.blocks.size() && f.blockQueued) {
                m_work.erase(f.blockWork);
                f.blockQueued = false;
            }
        }
        block = std::make_shared<AheadBlock>();
    }
    block->running = false;
    lock.unlock();
    if (!readBlock(f, b, *block)) {
        // Only when the walk stops meanwhile: each entry then reads as gone.
        block->stats.assign(std::min(BlockSize, f.statItems.size() - b * BlockSize), AheadStat{});
        for (AheadStat& s : block->stats)
            s.error = ENOENT;
    }
    return block;
}

const AheadStat& WalkAhead::stat(WalkFolder& f, std::size_t p) {
    const std::size_t b = p / BlockSize;
    if (b != f.blockIndex) {
        f.block.reset();
        f.block = takeBlock(f, b);
        f.blockIndex = b;
    }
    return f.block->stats[p - b * BlockSize];
}

void WalkAhead::dropLocked(WalkFolder& f) {
    f.dropped = true;
    if (f.running)
        return; // its helper sees the mark when it is done
    leaveWindow(f);
    if (f.childQueued) {
        m_work.erase(f.childWork);
        f.childQueued = false;
    }
    if (f.blockQueued) {
        m_work.erase(f.blockWork);
        f.blockQueued = false;
    }
    for (std::size_t k = f.taken; k < f.made; ++k) {
        if (std::shared_ptr<WalkFolder>& child = f.children[k]) {
            dropLocked(*child);
            child.reset();
        }
    }
    f.taken = f.made;
    for (std::size_t b = f.blocksTaken; b < f.blocksMade; ++b) {
        if (std::shared_ptr<AheadBlock>& block = f.blocks[b]) {
            block->dropped = true;
            if (!block->running)
                leaveWindow(*block);
            block.reset();
        }
    }
    f.blocksTaken = f.blocksMade;
}

void WalkAhead::drop(WalkFolder& f) {
    std::lock_guard lock(m_mutex);
    dropLocked(f);
    f.block.reset();
}

void WalkAhead::closeHandle(WalkFolder& f) {
    {
        // Helpers leave its sub-folders and files alone meanwhile, rather than find it closed.
        std::lock_guard lock(m_mutex);
        if (f.childQueued) {
            m_work.erase(f.childWork);
            f.childQueued = false;
        }
        if (f.blockQueued) {
            m_work.erase(f.blockWork);
            f.blockQueued = false;
        }
        f.paused = true;
    }
    std::unique_lock lock(f.fdLock);
    f.handle.close();
}

void WalkAhead::setHandle(WalkFolder& f, FolderHandle handle) {
    {
        std::unique_lock lock(f.fdLock);
        f.handle = std::move(handle);
    }
    std::lock_guard lock(m_mutex);
    if (f.paused && !f.dropped) {
        f.paused = false;
        // The walk is back in this folder: the rest of it is the nearest work.
        queue(f.shared_from_this(), m_work.begin());
    }
}
