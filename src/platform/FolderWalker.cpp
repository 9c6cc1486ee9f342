// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FolderWalker.h"

#include "platform/WalkAhead.h"
#include "platform/WalkThreads.h"

#include <cerrno>
#include <sys/stat.h>

struct FolderWalker::Level {
    std::shared_ptr<WalkFolder> folder;
    std::size_t next = 0;    // next listing item of the folder pass
    std::size_t listed = 0;  // entries handed out in the folder pass so far
    std::size_t child = 0;   // next of folder->subFolders
    std::size_t failure = 0; // next of folder->typeFailures
    std::size_t excluded = 0; // next of folder->excluded in the folder pass
    bool broken = false;     // the handle could not be had back: the rest of this folder is given up
    // Sub-folders left out when opened (cache folders), by item: the every-entry pass leaves them out too.
    std::vector<std::uint32_t> excludedFolders;

    const FolderHandle& handle() const { return folder->handle; }
    const FolderListing& listing() const { return folder->listing; }
};

namespace {

bool isHidden(std::string_view name) { return !name.empty() && name[0] == '.'; }

} // namespace

int ClassifyEntry(std::string_view name, std::uint32_t attributes) {
    if (name == "." || name == "..")
        return 1;
    return (attributes & faFolder) ? 0 : 2;
}

FolderWalker::FolderWalker() : m_threads(WalkThreadCount()) {}
FolderWalker::~FolderWalker() = default;

void FolderWalker::reset() { m_visited.clear(); }

void FolderWalker::setOpenHandleLimit(std::size_t limit) { m_openLimit = limit < 2 ? 2 : limit; }

void FolderWalker::setExclusions(std::shared_ptr<const ExclusionRules> rules) {
    m_rules = rules && !rules->empty() ? std::move(rules) : nullptr;
    m_ownRules = true;
}

void FolderWalker::setThreadCount(int threads) {
    m_threads = threads < 1 ? 1 : threads > MostWalkThreads ? MostWalkThreads : threads;
}

bool FolderWalker::walk(const std::string& root, FolderVisitor& visitor) {
    FolderHandle h = FolderHandle::open(root);
    if (!h.valid()) {
        visitor.folderSkipped(h, {}, h.error());
        return false;
    }
    return walkOpen(std::move(h), nullptr, visitor);
}

bool FolderWalker::walkBelow(FolderHandle folder, std::string_view belowRoot, FolderVisitor& visitor) {
    if (!m_ownRules)
        m_rules = WalkExclusions();
    ExclusionRules::Place place;
    if (m_rules) {
        place = m_rules->top();
        while (!belowRoot.empty()) {
            const std::size_t slash = belowRoot.find('/');
            if (slash != 0)
                place = m_rules->below(place, belowRoot.substr(0, slash));
            belowRoot = slash == std::string_view::npos ? std::string_view() : belowRoot.substr(slash + 1);
        }
    }
    return walkOpen(std::move(folder), &place, visitor);
}

bool FolderWalker::walkOpen(FolderHandle h, const ExclusionRules::Place* place, FolderVisitor& visitor) {
    if (!m_visited.insert({h.device(), h.inode()}).second)
        return true;
    m_rootDevice = h.device();
    m_withCreation = visitor.wantsCreationTime();
    m_everyEntry = visitor.wantsEveryEntry();
    m_hidden = visitor.wantsHiddenEntries();
    if (!m_ownRules && !place)
        m_rules = WalkExclusions();

    WalkAhead::Options options;
    options.rootDevice = m_rootDevice;
    options.withCreation = m_withCreation;
    options.everyEntry = m_everyEntry;
    options.hiddenFolders = m_hidden;
    options.exclusions = m_rules;
    if (m_threads > 1 && !m_everyEntry)
        options.fileFilter = visitor.fileFilter();
    WalkAhead ahead(m_threads > 1 ? m_threads : 0, std::move(options));
    // Whatever way the walk ends, no level keeps a folder (and its handle) past it.
    struct Finish {
        FolderWalker& w;
        ~Finish() {
            while (w.m_depth > 0)
                w.m_levels[--w.m_depth]->folder.reset();
            w.m_path.clear();
            w.m_ahead = nullptr;
        }
    } finish{*this};
    m_ahead = &ahead;

    // From here on every level's path is the first bytes of the one buffer.
    m_path.assign(h.path());
    h.sharePath(m_path, m_path.size());
    if (!push(ahead.root(std::move(h), place), visitor))
        return false;

    while (m_depth > 0) {
        Level& level = *m_levels[m_depth - 1];
        if (visitor.shouldStop())
            break;
        const FolderListing& listing = level.listing();
        if (level.broken || level.next >= listing.size()) {
            if (!level.broken)
                filePass(level, visitor);
            else
                visitor.leaveFolder(level.handle());
            pop(visitor);
            continue;
        }
        const std::size_t index = level.next++;
        const FolderListing::Item& item = listing.items[index];
        const std::string_view name = listing.name(index);
        if (!m_hidden && isHidden(name))
            continue;
        if (item.type == FolderListing::Failed) {
            // Its type could not be read when it was listed: said where the walk meets it.
            visitor.entrySkipped(level.handle(), name, level.folder->typeFailures[level.failure++].second);
            continue;
        }
        if (item.type == FolderListing::Excluded) {
            // A folder is said here, where it would have been entered; anything else in the file pass.
            const auto& excluded = level.folder->excluded;
            while (excluded[level.excluded].item < index)
                ++level.excluded;
            if (excluded[level.excluded].type == FolderListing::Folder)
                visitor.entryExcluded(level.handle(), name, true, m_rules->text(excluded[level.excluded].rule));
            continue;
        }
        // System entries (links, devices, ...) are not listed, nor entries gone since the listing.
        if (item.type != FolderListing::File && item.type != FolderListing::Folder)
            continue;
        bool isFolder = item.type == FolderListing::Folder;
        if (!isFolder) {
            ++level.listed;
            visitor.folderEntry(level.handle(), name, false);
            afterEntry(level, visitor);
            continue;
        }
        std::shared_ptr<WalkFolder> child = ahead.takeChild(level.folder, level.child++);
        // Left out once its listing showed what it is (a cache folder): never listed nor entered.
        if (child->excludedBy != ExclusionRules::None) {
            ahead.drop(*child);
            level.excludedFolders.push_back(std::uint32_t(index));
            visitor.entryExcluded(level.handle(), name, true, m_rules->text(child->excludedBy));
            continue;
        }
        ++level.listed;
        visitor.folderEntry(level.handle(), name, true);
        // Not opened, or another filesystem or a bind mount of this one: listed, never entered.
        if (const int refused = child->openError) {
            visitor.folderSkipped(level.handle(), name, refused);
            afterEntry(level, visitor);
            continue;
        }
        if (!m_visited.insert({child->handle.device(), child->handle.inode()}).second) {
            ahead.drop(*child);
            afterEntry(level, visitor); // reached before through another root: walked once only
            continue;
        }
        if (m_path.empty() || m_path.back() != '/')
            m_path += '/';
        m_path += name;
        child->handle.sharePath(m_path, m_path.size());
        // Deep down, the parent's handle is given back; pop() takes it again through "..".
        if (m_depth >= m_openLimit)
            ahead.closeHandle(*level.folder);
        push(std::move(child), visitor); // on failure the child level is already gone again
    }
    return true;
}

bool FolderWalker::push(std::shared_ptr<WalkFolder> folder, FolderVisitor& visitor) {
    if (m_levels.size() <= m_depth)
        m_levels.push_back(std::make_unique<Level>());
    Level& level = *m_levels[m_depth++];
    level.folder = std::move(folder);
    level.next = 0;
    level.listed = 0;
    level.child = 0;
    level.failure = 0;
    level.excluded = 0;
    level.excludedFolders.clear();
    level.broken = false;
    visitor.enterFolder(level.handle());
    if (const int error = level.folder->listError) {
        visitor.folderSkipped(level.handle(), {}, error);
        level.broken = true;
        visitor.leaveFolder(level.handle());
        pop(visitor);
        return false;
    }
    return true;
}

void FolderWalker::pop(FolderVisitor& visitor) {
    Level& level = *m_levels[m_depth - 1];
    if (m_depth >= 2) {
        Level& parent = *m_levels[m_depth - 2];
        if (!parent.handle().valid() && !parent.broken) {
            const FolderHandle& old = parent.handle();
            FolderHandle back = FolderHandle::reopenParent(level.handle(), old);
            if (!back.valid()) {
                // No way up through "..": try the path text, which still has to name the same folder.
                FolderHandle byPath = FolderHandle::open(old.path());
                if (byPath.valid() && byPath.device() == old.device() && byPath.inode() == old.inode()) {
                    byPath.sharePath(m_path, old.path().size());
                    back = std::move(byPath);
                }
            }
            if (back.valid()) {
                m_ahead->setHandle(*parent.folder, std::move(back));
            } else {
                const int error = back.error() ? back.error() : ESTALE;
                m_ahead->drop(*level.folder);
                level.folder.reset();
                --m_depth;
                cutPath();
                visitor.folderSkipped(parent.handle(), {}, error);
                parent.broken = true;
                m_ahead->drop(*parent.folder); // nothing more below it is wanted
                return;
            }
        }
    }
    m_ahead->drop(*level.folder);
    level.folder.reset();
    --m_depth;
    cutPath();
    if (m_depth > 0 && !m_levels[m_depth - 1]->broken)
        afterEntry(*m_levels[m_depth - 1], visitor);
}

void FolderWalker::cutPath() {
    m_path.resize(m_depth > 0 ? m_levels[m_depth - 1]->handle().path().size() : 0);
}

void FolderWalker::afterEntry(Level& level, FolderVisitor& visitor) {
    if (level.listed > 1)
        visitor.yield();
}

bool FolderWalker::statItem(Level& level, std::size_t i, std::size_t& p, FolderVisitor& visitor) {
    WalkFolder& folder = *level.folder;
    const std::string_view name = folder.listing.name(i);
    int error = 0;
    if (p < folder.statItems.size() && folder.statItems[p] == i) {
        const AheadStat& ahead = m_ahead->stat(folder, p++);
        error = ahead.error;
        if (error == 0)
            ahead.give(m_entry);
    } else {
        error = StatEntry(folder.handle, name, m_entry, m_withCreation);
    }
    if (error == 0)
        return true;
    // Gone since the listing: nothing was left out. Anything else was, and is said.
    if (error != ENOENT)
        visitor.entrySkipped(folder.handle, name, error);
    return false;
}

void FolderWalker::filePass(Level& level, FolderVisitor& visitor) {
    visitor.beginFiles(level.handle());
    if (m_everyEntry) {
        everyEntryPass(level, visitor);
        return;
    }
    const FolderListing& listing = level.listing();
    const std::vector<std::uint32_t>& ahead = level.folder->statItems;
    const auto& excluded = level.folder->excluded;
    std::size_t e = 0; // the next of the excluded items
    std::size_t wanted = 0;
    std::size_t p = 0; // the next of the files read ahead
    for (std::size_t i = 0; i < listing.size(); ++i) {
        if (visitor.shouldStop())
            return;
        const FolderListing::Item& item = listing.items[i];
        if (item.type == FolderListing::Excluded) {
            while (excluded[e].item < i)
                ++e;
            const std::string_view name = listing.name(i);
            // Said only of what the visitor would have been given: no hidden, system or unwanted file.
            if (excluded[e].type == FolderListing::File && !isHidden(name) && visitor.wantsFile(name))
                visitor.entryExcluded(level.handle(), name, false, m_rules->text(excluded[e].rule));
            continue;
        }
        if (item.type != FolderListing::File)
            continue;
        std::string_view name = listing.name(i);
        if (isHidden(name) || !visitor.wantsFile(name)) {
            if (p < ahead.size() && ahead[p] == i)
                ++p;
            continue;
        }
        // No longer a plain file since the listing: left out. A file something is mounted on
        // belongs to another mount (it may be a file listed elsewhere under its own name): like a
        // folder mount, it is said and never handed out.
        if (statItem(level, i, p, visitor) && S_ISREG(m_entry.mode)) {
            if (m_entry.mountRoot) {
                visitor.folderSkipped(level.handle(), name, EXDEV);
            } else {
                m_entry.name.assign(name);
                visitor.file(level.handle(), m_entry);
            }
        }
        if (++wanted > 1)
            visitor.yield();
    }
    visitor.leaveFolder(level.handle());
}

void FolderWalker::everyEntryPass(Level& level, FolderVisitor& visitor) {
    const FolderListing& listing = level.listing();
    const auto& excluded = level.folder->excluded;
    std::size_t e = 0; // the next of the excluded items
    std::size_t c = 0; // the next of the cache folders left out
    std::size_t p = 0;
    for (std::size_t i = 0; i < listing.size(); ++i) {
        if (visitor.shouldStop())
            return;
        const FolderListing::Item& item = listing.items[i];
        const std::string_view name = listing.name(i);
        if (item.type == FolderListing::Excluded) {
            while (excluded[e].item < i)
                ++e;
            // A folder the folder pass met was said there.
            const bool folder = excluded[e].type == FolderListing::Folder;
            if (!folder || (!m_hidden && isHidden(name)))
                visitor.entryExcluded(level.handle(), name, folder, m_rules->text(excluded[e].rule));
        } else if (item.type == FolderListing::Folder && c < level.excludedFolders.size() &&
                   level.excludedFolders[c] == i) {
            ++c; // said in the folder pass
        } else if (item.type == FolderListing::Folder) {
            visitor.subFolderEntry(level.handle(), name);
        } else if (item.type != FolderListing::Failed && statItem(level, i, p, visitor)) {
            // A hidden entry without a type hint is known only now.
            if (S_ISDIR(m_entry.mode)) {
                visitor.subFolderEntry(level.handle(), name);
            } else if (m_entry.mountRoot) {
                visitor.folderSkipped(level.handle(), name, EXDEV); // a file mount, as above
            } else {
                m_entry.name.assign(name);
                visitor.file(level.handle(), m_entry);
            }
        }
        if (i > 0)
            visitor.yield();
    }
    visitor.leaveFolder(level.handle());
}
