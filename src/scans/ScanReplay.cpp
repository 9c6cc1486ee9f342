// SPDX-License-Identifier: GPL-3.0-or-later
#include "scans/ScanReplay.h"

#include "scans/SavedScanReader.h"

#include <sys/stat.h>

namespace {

enum ChildKind : std::uint8_t { File, Folder, Other, Unread };

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

} // namespace

// One folder on the way down: its handle and the entries read so far, for the file pass.
struct ScanReplay::Level {
    struct Child {
        std::uint32_t nameOffset;
        std::uint32_t nameLength;
        std::uint8_t kind;
        std::uint32_t mode;
        std::uint32_t links;
        std::uint32_t owner;
        std::uint32_t group;
        std::uint32_t flags;
        std::int64_t size;
        std::int64_t allocated;
        std::uint64_t inode;
        std::int64_t writeTime;
        std::int64_t accessTime;
        std::int64_t birthTime;
    };
    FolderHandle handle;
    std::string names;
    std::vector<Child> children;
    std::uint64_t device = 0;
    std::size_t listed = 0;
    bool readError = false;

    std::string_view name(std::size_t i) const {
        return {names.data() + children[i].nameOffset, children[i].nameLength};
    }
};

ScanReplay::ScanReplay(SavedScanReader& reader) : m_reader(reader) {}
ScanReplay::~ScanReplay() = default;

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
    level.handle = FolderHandle::described({dev_t(device), ino_t(inode)});
    level.handle.sharePath(m_path, m_path.size());
    level.names.clear();
    level.children.clear();
    level.device = device;
    level.listed = 0;
    level.readError = m_reader.item().has(SavedScanItem::ReadError);
    visitor.enterFolder(level.handle);
}

void ScanReplay::addChild(Level& level, int kind) {
    const SavedScanItem& item = m_reader.item();
    Level::Child c{};
    c.nameOffset = std::uint32_t(level.names.size());
    c.nameLength = std::uint32_t(item.name.size());
    level.names += item.name;
    c.kind = std::uint8_t(kind);
    c.mode = modeOf(item, kind == Folder);
    c.links = item.links > 0 ? std::uint32_t(item.links) : 1;
    c.owner = item.owner;
    c.group = item.group;
    c.flags = item.flags;
    c.size = item.apparentSize;
    c.allocated = item.diskSize;
    c.inode = item.inode;
    c.writeTime = item.writeTime;
    c.accessTime = item.accessTime;
    c.birthTime = item.birthTime;
    level.children.push_back(c);
}

void ScanReplay::fillEntry(const Level& level, std::size_t i) {
    const Level::Child& c = level.children[i];
    m_entry.name.assign(level.name(i));
    m_entry.mode = c.mode;
    m_entry.attributes = AttributesOf(m_entry.name, m_entry.mode);
    if (c.flags & SavedScanItem::Hidden)
        m_entry.attributes |= faHidden;
    m_entry.size = c.size;
    m_entry.allocated = c.allocated;
    m_entry.lastWrite = (c.flags & SavedScanItem::HasWriteTime) ? secondsOf(c.writeTime) : timespec{};
    m_entry.lastAccess = (c.flags & SavedScanItem::HasAccessTime) ? secondsOf(c.accessTime) : timespec{};
    m_entry.hasCreation = (c.flags & SavedScanItem::HasBirthTime) != 0;
    m_entry.creation = m_entry.hasCreation ? secondsOf(c.birthTime) : timespec{};
    m_entry.device = dev_t(level.device);
    m_entry.inode = ino_t(c.inode);
    m_entry.links = c.links;
    m_entry.owner = c.owner;
    m_entry.group = c.group;
    m_entry.mountRoot = false;
}

void ScanReplay::filePass(Level& level, FolderVisitor& visitor) {
    if (level.readError)
        visitor.folderSkipped(level.handle, {}, NotInScan);
    visitor.beginFiles(level.handle);
    std::size_t wanted = 0;
    for (std::size_t i = 0; i < level.children.size(); ++i) {
        if (visitor.shouldStop())
            return;
        const Level::Child& c = level.children[i];
        const std::string_view name = level.name(i);
        if (m_everyEntry) {
            if (c.kind == Folder)
                visitor.subFolderEntry(level.handle, name);
            else if (c.kind == Unread)
                visitor.entrySkipped(level.handle, name, NotInScan);
            else {
                fillEntry(level, i);
                visitor.file(level.handle, m_entry);
            }
            if (i > 0)
                visitor.yield();
            continue;
        }
        if (c.kind == Folder || c.kind == Other || !S_ISREG(c.mode) || isHidden(name) ||
            !visitor.wantsFile(name))
            continue;
        if (c.kind == Unread) {
            visitor.entrySkipped(level.handle, name, NotInScan);
        } else {
            fillEntry(level, i);
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
    m_hiddenFolders = visitor.wantsHiddenFolders();
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
        if (!folder) {
            const bool excluded = item.excluded != SavedScanItem::Excluded::No;
            const bool unread = item.has(SavedScanItem::ReadError) || excluded;
            const int kind = unread ? Unread : item.has(SavedScanItem::NotRegular) ? Other : File;
            addChild(level, kind);
            if (hidden || kind == Other)
                continue; // hidden and system entries are not listed in the folder pass
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
        if (hidden && !m_hiddenFolders) {
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
