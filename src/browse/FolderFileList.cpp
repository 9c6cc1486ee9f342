// SPDX-License-Identifier: GPL-3.0-or-later
#include "browse/FolderFileList.h"

#include "browse/BrowsedFolder.h"
#include "common/DisplayText.h"
#include "common/FileDateTimeTexts.h"
#include "common/FileTimePacker.h"
#include "common/NumberTexts.h"
#include "common/RowOrder.h"
#include "common/SaturatingSum.h"
#include "platform/FileTypes.h"
#include "platform/FolderHandle.h"
#include "platform/Wildcard.h"

#include <algorithm>
#include <cerrno>
#include <numeric>
#include <sys/stat.h>
#include <unordered_map>

namespace {

// One listed file; its name lies in the names arena. Packed to 4-byte alignment, so the change
// fold costs its 4 bytes and no padding.
struct [[gnu::packed, gnu::aligned(4)]] FileRecord {
    std::int64_t size;
    std::uint64_t inode;
    std::uint32_t nameOffset;
    std::uint32_t modified; // packed local date-times
    std::uint32_t accessed;
    std::uint16_t nameLength;
    std::uint16_t type;     // index of the extension
    std::uint64_t modifiedNs; // the last write to the nanosecond, for telling the file unchanged
    std::uint32_t changeFold; // ChangeFold of the change time, for the same
};
static_assert(sizeof(FileRecord) == 44, "a listed file stays at 44 bytes besides its name");

struct TransparentHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>()(s); }
};

// The extension whose type a name shows: from the last dot on; none for a name without one or
// ending in it.
std::string_view ExtensionOf(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot + 1 == name.size())
        return {};
    return name.substr(dot);
}

bool NameBefore(std::string_view a, std::string_view b) {
    const int folded = CompareFolded(a, b);
    return folded != 0 ? folded < 0 : a < b;
}

constexpr std::uint16_t kMaxTypes = 0xFFFF; // the last index stands for every further extension

} // namespace

struct FolderFileList::Impl {
    ScanPlaces places;
    std::uint32_t folder = ScanPlaces::None;
    std::vector<FileRecord> records;
    std::string names;
    std::int64_t total = 0;
    std::vector<std::string> extensions;
    mutable std::vector<std::optional<QString>> typeNames;
    std::unordered_map<std::string, std::uint16_t, TransparentHash, std::equal_to<>> types;
    mutable FileDateTimeTexts texts;

    std::string_view nameOf(const FileRecord& r) const { return {names.data() + r.nameOffset, r.nameLength}; }

    std::uint16_t typeOf(std::string_view name) {
        const std::string_view ext = ExtensionOf(name);
        if (const auto it = types.find(ext); it != types.end())
            return it->second;
        if (extensions.size() >= kMaxTypes)
            return kMaxTypes; // rendered from the name itself
        const auto index = std::uint16_t(extensions.size());
        extensions.emplace_back(ext);
        types.emplace(std::string(ext), index);
        return index;
    }

    QString typeName(const FileRecord& r) const {
        if (r.type == kMaxTypes) {
            const std::string_view ext = ExtensionOf(nameOf(r));
            return ext.empty() ? QString() : FileTypeName(DisplayText(ext));
        }
        if (typeNames.size() < extensions.size())
            typeNames.resize(extensions.size());
        std::optional<QString>& name = typeNames[r.type];
        if (!name) {
            const std::string& ext = extensions[r.type];
            name = ext.empty() ? QString() : FileTypeName(DisplayText(ext));
        }
        return *name;
    }

    static QString fromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }
};

FolderFileList::FolderFileList() : d(std::make_unique<Impl>()) {}

FolderFileList::~FolderFileList() = default;

void FolderFileList::clear() {
    d->places.clear();
    d->folder = ScanPlaces::None;
    d->records = {};
    d->names = {};
    d->total = 0;
    d->extensions = {};
    d->typeNames = {};
    d->types = {};
    d->texts.clear();
}

bool FolderFileList::list(const BrowsedFolder& folder, const WildcardPattern& pattern, int* error) {
    clear();
    FolderListing listing;
    if (!ReadFolderNames(folder.handle, listing, error))
        return false;
    d->places.addRoot(folder.rootPath, folder.rootIdentity);
    d->folder = d->places.addFolderPath(folder.handle.path(), folder.handle.identity());
    if (d->folder == ScanPlaces::None) {
        if (error)
            *error = EINVAL;
        return false;
    }

    FileTimePacker packer;
    std::vector<FileRecord> found;
    found.reserve(listing.size());
    d->names.reserve(listing.names.size());
    FsEntry stats;
    for (std::size_t i = 0; i < listing.size(); ++i) {
        const FolderListing::Item& item = listing.items[i];
        const std::string_view name = listing.name(i);
        // What the listing already tells costs no statistics: hidden names, folders, links and
        // devices, names the pattern refuses.
        if (name[0] == '.' || item.type == FolderListing::Folder || item.type == FolderListing::Other)
            continue;
        if (!pattern.matches(name))
            continue;
        // Vanished, not a plain file after all, or a file mount point (the file of another mount).
        if (StatEntry(folder.handle, name, stats, false) != 0 || !S_ISREG(stats.mode) || stats.mountRoot)
            continue;
        if (d->names.size() + name.size() > UINT32_MAX)
            break; // a folder this size cannot exist; the arena's offsets stay good
        FileRecord r{};
        r.size = stats.size;
        r.inode = stats.inode;
        r.nameOffset = std::uint32_t(d->names.size());
        r.nameLength = std::uint16_t(name.size());
        r.modified = packer.pack(stats.lastWrite);
        r.modifiedNs = NanosecondStamp(stats.lastWrite);
        r.changeFold = ChangeFold(stats.lastChange);
        r.accessed = packer.pack(stats.lastAccess);
        r.type = d->typeOf(name);
        d->names.append(name);
        d->total = SaturatingAdd(d->total, stats.size);
        found.push_back(r);
    }

    std::vector<std::uint32_t> order(found.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return NameBefore(d->nameOf(found[a]), d->nameOf(found[b]));
    });
    d->records.reserve(found.size());
    for (std::uint32_t i : order)
        d->records.push_back(found[i]);
    return true;
}

std::size_t FolderFileList::count() const { return d->records.size(); }

std::int64_t FolderFileList::totalBytes() const { return d->total; }

std::string_view FolderFileList::name(std::uint32_t key) const {
    return key < d->records.size() ? d->nameOf(d->records[key]) : std::string_view();
}

std::string FolderFileList::path(std::uint32_t key) const {
    return key < d->records.size() ? d->places.path(d->folder, name(key)) : std::string();
}

std::int64_t FolderFileList::size(std::uint32_t key) const {
    return key < d->records.size() ? d->records[key].size : 0;
}

ListedEntry FolderFileList::entry(std::uint32_t key) const {
    if (key >= d->records.size())
        return {};
    const FileRecord& r = d->records[key];
    ListedEntry e = d->places.entry(d->folder, name(key), r.inode);
    e.size = r.size;
    e.modifiedNs = r.modifiedNs;
    e.changeFold = r.changeFold;
    e.modifiedKnown = true;
    return e;
}

std::optional<std::uint32_t> FolderFileList::find(std::string_view name) const {
    // Keys are in name order: the name is found by halving.
    const auto at = std::lower_bound(d->records.begin(), d->records.end(), name,
                                     [this](const FileRecord& r, std::string_view n) { return NameBefore(d->nameOf(r), n); });
    if (at == d->records.end() || d->nameOf(*at) != name)
        return std::nullopt;
    return std::uint32_t(at - d->records.begin());
}

QString FolderFileList::cellText(std::uint32_t key, int column) const {
    if (key >= d->records.size())
        return {};
    const FileRecord& r = d->records[key];
    switch (column) {
    case Modified:
        return Impl::fromUtf8(d->texts.dateText(FileDateTimeTexts::dateKey(r.modified)));
    case Time:
        return Impl::fromUtf8(d->texts.timeText(FileDateTimeTexts::timeKey(r.modified)));
    case Access:
        return Impl::fromUtf8(d->texts.dateText(FileDateTimeTexts::dateKey(r.accessed)));
    case Size:
        return FormatThousands(r.size);
    case Filename:
        return DisplayText(d->nameOf(r));
    case Type:
        return d->typeName(r);
    default:
        return {};
    }
}

std::size_t FolderFileList::memoryBytes() const {
    return d->records.capacity() * sizeof(FileRecord) + d->names.capacity() + d->places.memoryBytes();
}

std::vector<std::uint32_t> FolderFileList::orderRows(int column, bool descending,
                                                     const std::vector<std::uint32_t>& keys) const {
    const std::size_t n = d->records.size();
    if (column < Modified || column > Type)
        return {};
    const auto positions = PositionsOfKeys(keys, n);
    if (!positions)
        return {};
    const std::vector<std::uint32_t>& positionOf = *positions;
    // Keys are positions in name order: sorted, they are the ties' order.
    std::vector<std::uint32_t> rows(keys.begin(), keys.end());
    std::sort(rows.begin(), rows.end());
    if (column == Filename) {
        if (descending)
            std::reverse(rows.begin(), rows.end());
    } else {
        RadixOrder order(std::move(rows), n);
        const auto& records = d->records;
        switch (column) {
        case Modified:
        case Time:
            order.sortBy(32, descending,
                         [&](std::uint32_t i) { return PackedTimeOrder(records[i].modified); });
            break;
        case Access:
            // The column shows the day; the record keeps the time, and the order is of points in time.
            order.sortBy(32, descending,
                         [&](std::uint32_t i) { return PackedTimeOrder(records[i].accessed); });
            break;
        case Size:
            order.sortBy(64, descending, [&](std::uint32_t i) {
                return std::uint64_t(std::max<std::int64_t>(0, records[i].size));
            });
            break;
        default: {
            // Types by their names' texts, each extension's name looked up once.
            std::vector<std::string> texts(n);
            std::unordered_map<std::uint16_t, std::string> byType;
            for (std::size_t i = 0; i < n; ++i) {
                const FileRecord& r = records[i];
                auto found = r.type == kMaxTypes ? byType.end() : byType.find(r.type);
                if (found == byType.end()) {
                    std::string text = FoldAscii(d->typeName(r).toStdString());
                    if (r.type != kMaxTypes)
                        found = byType.emplace(r.type, text).first;
                    texts[i] = std::move(text);
                } else {
                    texts[i] = found->second;
                }
            }
            const std::vector<std::uint32_t> rank = RankTexts(texts);
            order.sortBy(32, descending, [&](std::uint32_t i) { return rank[i]; });
            break;
        }
        }
        rows = order.take();
    }
    for (std::uint32_t& i : rows)
        i = positionOf[i];
    return rows;
}
