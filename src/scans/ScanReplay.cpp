// SPDX-License-Identifier: GPL-3.0-or-later
#include "scans/ScanReplay.h"

#include "scans/SavedScanReader.h"

#include <cerrno>
#include <sys/stat.h>

namespace {

// Mount: a file something was mounted on, excluded as another filesystem.
enum ChildKind : std::uint8_t { File, Folder, Other, Unread, Mount, ExcludedFile, ExcludedFolder };

bool isHidden(std::string_view name) {
    return !name.empty() && name[0] == '.';
}

// What the scan tells of an entry's type: its mode when the scan has one, else its flags.
mode_t modeOf(const SavedScanItem& item, bool folder) {
    const mode_t type = folder ? S_IFDIR : item.has(SavedScanItem::NotRegular) ? 0 : S_IFREG;
    if (item.has(SavedScanItem::HasMode) && (item.mode & S_IFMT) != 0)
        return mode_t(item.mode);
    // Permissions not in the scan: none claimed read-only.
    return type | (item.has(SavedScanItem::HasMode) ? mode_t(item.mode) : mode_t(S_IRUSR | S_IWUSR));
}

timespec secondsOf(std::int64_t seconds) {
    return {time_t(seconds), 0};
}

// A level's entries are kept packed, numbers as variable-length bytes (most sizes, counts and times
// take a few): a folder of many files then costs about what the walker's listing of it costs.
// put* write at out (at most 10 bytes) and return where the next goes.
char* putNumber(char* out, std::uint64_t v) {
    while (v >= 0x80) {
        *out++ = char(v | 0x80);
        v >>= 7;
    }
    *out++ = char(v);
    return out;
}
char* putSigned(char* out, std::int64_t v) {
    return putNumber(out, (std::uint64_t(v) << 1) ^ std::uint64_t(v >> 63));
}
std::uint64_t takeNumber(const char*& p) {
    std::uint64_t v = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*p++);
        v |= std::uint64_t(byte & 0x7F) << shift;
        if (byte < 0x80)
            return v;
    }
}
std::int64_t takeSigned(const char*& p) {
    const std::uint64_t v = takeNumber(p);
    return std::int64_t(v >> 1) ^ -std::int64_t(v & 1);
}

// One entry as unpacked for the file pass.
struct ReplayChild {
    std::uint8_t kind = 0;
    std::uint32_t flags = 0;
    std::string_view name;
    std::uint32_t mode = 0;
    std::uint32_t links = 0;
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    std::int64_t size = 0;
    std::int64_t allocated = 0;
    std::uint64_t inode = 0;
    std::int64_t writeTime = 0;
    std::int64_t accessTime = 0;
    std::int64_t birthTime = 0;
    std::string_view rule; // of an excluded one
};

// The entry c of a folder on device, as the walker would give it.
void fillEntry(FsEntry& entry, std::uint64_t device, const ReplayChild& c) {
    entry.name.assign(c.name);
    entry.mode = c.mode;
    entry.attributes = AttributesOf(entry.name, entry.mode);
    if (c.flags & SavedScanItem::Hidden)
        entry.attributes |= faHidden;
    entry.size = c.size;
    entry.allocated = c.allocated;
    entry.lastWrite = (c.flags & SavedScanItem::HasWriteTime) ? secondsOf(c.writeTime) : timespec{};
    entry.lastAccess = (c.flags & SavedScanItem::HasAccessTime) ? secondsOf(c.accessTime) : timespec{};
    entry.hasCreation = (c.flags & SavedScanItem::HasBirthTime) != 0;
    entry.creation = entry.hasCreation ? secondsOf(c.birthTime) : timespec{};
    entry.device = dev_t(device);
    entry.inode = ino_t(c.inode);
    entry.links = c.links;
    entry.owner = c.owner;
    entry.group = c.group;
    entry.mountRoot = false;
}

} // namespace

// One folder on the way down: its handle and the entries read so far (packed), for the file pass.
struct ScanReplay::Level {
    FolderHandle handle;
    std::string children; // packed: kind, flags, name, then the numbers (times only when known)
    std::size_t count = 0;
    std::uint64_t device = 0;
    std::size_t listed = 0;
    bool readError = false;

    // The entry at at, which moves on to the next.
    static void unpack(const char*& at, ReplayChild& c) {
        c.kind = std::uint8_t(*at++);
        c.flags = std::uint32_t(takeNumber(at));
        const std::size_t length = takeNumber(at);
        c.name = {at, length};
        at += length;
        c.mode = std::uint32_t(takeNumber(at));
        c.links = std::uint32_t(takeNumber(at));
        c.owner = std::uint32_t(takeNumber(at));
        c.group = std::uint32_t(takeNumber(at));
        c.size = std::int64_t(takeNumber(at));
        c.allocated = std::int64_t(takeNumber(at));
        c.inode = takeNumber(at);
        c.writeTime = (c.flags & SavedScanItem::HasWriteTime) ? takeSigned(at) : 0;
        c.accessTime = (c.flags & SavedScanItem::HasAccessTime) ? takeSigned(at) : 0;
        c.birthTime = (c.flags & SavedScanItem::HasBirthTime) ? takeSigned(at) : 0;
        c.rule = {};
        if (c.kind == ExcludedFile || c.kind == ExcludedFolder) {
            const std::size_t ruleLength = takeNumber(at);
            c.rule = {at, ruleLength};
            at += ruleLength;
        }
    }
    ExclusionRules::Place place; // where it stands for the path patterns
};

ScanReplay::ScanReplay(SavedScanReader& reader) : m_reader(reader) {}
ScanReplay::~ScanReplay() = default;

void ScanReplay::setExclusions(std::shared_ptr<const ExclusionRules> rules) {
    m_rules = std::move(rules);
    m_ownRules = true;
}

void ScanReplay::push(FolderVisitor& visitor, std::string_view name, std::uint64_t device,
                      std::uint64_t inode) {
    if (m_levels.size() <= m_depth)
        m_levels.push_back(std::make_unique<Level>());
    Level& level = *m_levels[m_depth++];
    if (m_depth > 1) {
        if (m_path.empty() || m_path.back() != '/')
            m_path += '/';
        m_path += name;
    }
    if (m_rules)
        level.place = m_depth > 1 ? m_rules->below(m_levels[m_depth - 2]->place, name) : m_rules->top();
    level.handle = FolderHandle::described({dev_t(device), ino_t(inode)});
    level.handle.sharePath(m_path, m_path.size());
    level.children.clear();
    level.count = 0;
    level.device = device;
    level.listed = 0;
    level.readError = m_reader.item().has(SavedScanItem::ReadError);
    visitor.enterFolder(level.handle);
}

void ScanReplay::addChild(Level& level, int kind, std::string_view rule) {
    const SavedScanItem& item = m_reader.item();
    char head[24];
    char* h = head;
    *h++ = char(kind);
    h = putNumber(h, item.flags);
    h = putNumber(h, item.name.size());
    char numbers[10 * 10];
    char* n = putNumber(numbers, modeOf(item, kind == Folder));
    n = putNumber(n, item.links > 0 ? item.links : 1);
    n = putNumber(n, item.owner);
    n = putNumber(n, item.group);
    n = putNumber(n, std::uint64_t(item.apparentSize));
    n = putNumber(n, std::uint64_t(item.diskSize));
    n = putNumber(n, item.inode);
    if (item.has(SavedScanItem::HasWriteTime))
        n = putSigned(n, item.writeTime);
    if (item.has(SavedScanItem::HasAccessTime))
        n = putSigned(n, item.accessTime);
    if (item.has(SavedScanItem::HasBirthTime))
        n = putSigned(n, item.birthTime);
    std::string& out = level.children;
    out.append(head, std::size_t(h - head)).append(item.name).append(numbers, std::size_t(n - numbers));
    if (kind == ExcludedFile || kind == ExcludedFolder) {
        char length[10];
        out.append(length, std::size_t(putNumber(length, rule.size()) - length)).append(rule);
    }
    ++level.count;
}

void ScanReplay::filePass(Level& level, FolderVisitor& visitor) {
    if (level.readError)
        visitor.folderSkipped(level.handle, {}, NotInScan);
    visitor.beginFiles(level.handle);
    std::size_t wanted = 0;
    const char* at = level.children.data();
    ReplayChild c;
    for (std::size_t i = 0; i < level.count; ++i) {
        if (visitor.shouldStop())
            return;
        Level::unpack(at, c);
        const std::string_view name = c.name;
        if (c.kind == ExcludedFolder) {
            // Said in the folder pass, unless that pass does not show it (hidden).
            if (m_everyEntry && isHidden(name) && !m_hiddenEntries)
                visitor.entryExcluded(level.handle, name, true, c.rule);
            continue;
        }
        if (c.kind == ExcludedFile) {
            // Said where the walker would have handed it out.
            if (m_everyEntry || (!(c.flags & SavedScanItem::NotRegular) && S_ISREG(c.mode) && !isHidden(name) &&
                                 visitor.wantsFile(name)))
                visitor.entryExcluded(level.handle, name, false, c.rule);
            continue;
        }
        if (m_everyEntry) {
            if (c.kind == Folder)
                visitor.subFolderEntry(level.handle, name);
            else if (c.kind == Mount)
                visitor.folderSkipped(level.handle, name, EXDEV); // as the walker says a file mount
            else if (c.kind == Unread)
                visitor.entrySkipped(level.handle, name, NotInScan);
            else {
                fillEntry(m_entry, level.device, c);
                visitor.file(level.handle, m_entry);
            }
            if (i > 0)
                visitor.yield();
            continue;
        }
        if (c.kind == Folder || c.kind == Other || isHidden(name) || (c.kind != Mount && !S_ISREG(c.mode)) ||
            !visitor.wantsFile(name))
            continue;
        if (c.kind == Mount) {
            visitor.folderSkipped(level.handle, name, EXDEV);
        } else if (c.kind == Unread) {
            visitor.entrySkipped(level.handle, name, NotInScan);
        } else {
            fillEntry(m_entry, level.device, c);
            visitor.file(level.handle, m_entry);
        }
        if (++wanted > 1)
            visitor.yield();
    }
    visitor.leaveFolder(level.handle);
}

bool ScanReplay::replay(FolderVisitor& visitor) {
    m_error.clear();
    m_depth = 0;
    const bool done = run(visitor);
    m_path.clear();
    m_depth = 0;
    return done && !failed();
}

bool ScanReplay::run(FolderVisitor& visitor) {
    m_everyEntry = visitor.wantsEveryEntry();
    m_hiddenEntries = visitor.wantsHiddenEntries();
    if (!m_ownRules)
        m_rules = WalkExclusions();
    if (m_rules && !m_rules->hasPatterns())
        m_rules = nullptr; // the cache rule needs the files themselves, which a scan does not hold
    visitor.wantsCreationTime(); // asked once per walk, as the walker does
    const SavedScanItem& root = m_reader.header().root;
    m_rootDevice = root.device;
    m_path = root.name;
    while (m_path.size() > 1 && m_path.back() == '/')
        m_path.pop_back();
    push(visitor, {}, root.device, root.inode);
    if (m_levels[0]->readError && m_reader.nextIsEnd()) {
        // The top folder itself could not be read when the scan was made.
        Level& level = *m_levels[0];
        visitor.folderSkipped(level.handle, {}, NotInScan);
        visitor.leaveFolder(level.handle);
        m_reader.next();
        return false;
    }

    while (m_depth > 0) {
        if (visitor.shouldStop())
            return true;
        Level& level = *m_levels[m_depth - 1];
        const SavedScanReader::Event event = m_reader.next();
        if (event == SavedScanReader::Event::Failed) {
            m_error = m_reader.error();
            return false;
        }
        if (event == SavedScanReader::Event::End) {
            filePass(level, visitor);
            if (visitor.shouldStop())
                return true;
            // A big folder's buffer goes with it: only the folders on the way down keep theirs.
            if (level.children.capacity() > 16 * 1024)
                std::string().swap(level.children);
            --m_depth;
            m_path.resize(m_depth > 0 ? m_levels[m_depth - 1]->handle.path().size() : 0);
            if (m_depth > 0 && m_levels[m_depth - 1]->listed > 1)
                visitor.yield();
            continue;
        }
        const SavedScanItem& item = m_reader.item();
        const std::string_view name = item.name;
        const bool hidden = isHidden(name);
        const bool folder = event == SavedScanReader::Event::Folder ||
                            (item.has(SavedScanItem::HasMode) && S_ISDIR(item.mode));
        // Left out by the scan's own rules (a hidden folder that a snapshot did not enter is no
        // exclusion of the user's where hidden folders are not walked anyway), or by the rules now.
        const bool scanExcluded = item.excluded == SavedScanItem::Excluded::Pattern &&
                                  (!item.excludeRule.empty() || !hidden || m_hiddenEntries);
        ExclusionRules::Rule rule = ExclusionRules::None;
        if (!scanExcluded && m_rules)
            rule = m_rules->excludes(level.place, name, folder);
        if (scanExcluded || rule != ExclusionRules::None) {
            const std::string ruleText = scanExcluded ? item.excludeRule : std::string(m_rules->text(rule));
            const std::string excludedName = item.name;
            addChild(level, folder ? ExcludedFolder : ExcludedFile, ruleText);
            if (folder && event == SavedScanReader::Event::Folder && !m_reader.skipFolder()) {
                m_error = m_reader.error();
                return false;
            }
            if (folder && (!hidden || m_hiddenEntries))
                visitor.entryExcluded(level.handle, excludedName, true, ruleText);
            continue;
        }
        if (!folder) {
            const bool excluded = item.excluded != SavedScanItem::Excluded::No;
            const bool mount = item.excluded == SavedScanItem::Excluded::OtherFilesystem ||
                               item.excluded == SavedScanItem::Excluded::KernelFilesystem;
            const bool unread = item.has(SavedScanItem::ReadError) || excluded;
            const int kind = mount                                 ? Mount
                             : unread                              ? Unread
                             : item.has(SavedScanItem::NotRegular) ? Other
                                                                   : File;
            addChild(level, kind);
            if ((hidden && !m_hiddenEntries) || kind == Other)
                continue; // system entries, and hidden ones unless asked for, are not listed in the folder pass
            ++level.listed;
            visitor.folderEntry(level.handle, name, false);
            if (level.listed > 1)
                visitor.yield();
            continue;
        }
        addChild(level, Folder);
        auto passOver = [&] {
            if (event == SavedScanReader::Event::Folder && !m_reader.skipFolder()) {
                m_error = m_reader.error();
                return false;
            }
            return true;
        };
        if (hidden && !m_hiddenEntries) {
            if (!passOver())
                return false;
            continue;
        }
        ++level.listed;
        visitor.folderEntry(level.handle, name, true);
        const std::uint64_t device = item.has(SavedScanItem::HasDevice) ? item.device : level.device;
        int refused = 0;
        if (item.excluded == SavedScanItem::Excluded::OtherFilesystem ||
            item.excluded == SavedScanItem::Excluded::KernelFilesystem || device != m_rootDevice)
            refused = EXDEV;
        else if (item.excluded != SavedScanItem::Excluded::No || event != SavedScanReader::Event::Folder)
            refused = NotInScan;
        else if (item.has(SavedScanItem::ReadError) && m_reader.nextIsEnd())
            refused = NotInScan; // could not be opened when the scan was made
        if (refused) {
            const std::string skippedName = item.name; // passOver reads on
            if (!passOver())
                return false;
            visitor.folderSkipped(level.handle, skippedName, refused);
            if (level.listed > 1)
                visitor.yield();
            continue;
        }
        push(visitor, name, device, item.inode);
    }
    return true;
}
