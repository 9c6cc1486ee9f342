// SPDX-License-Identifier: GPL-3.0-or-later
// The records of a scan: their tables, their fields and lines (the orders are in DupRecordOrder.cpp).
#include "finders/dup/DupRecordStore.h"

#include "common/DisplayText.h"
#include "common/DosDateTime.h"
#include "common/NumberTexts.h"
#include "common/RowOrder.h"
#include "finders/dup/DupLineTexts.h"
#include "platform/FileTypes.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

using DupLine::sizeTextBytes;
constexpr std::string_view kMarkerBytes = DupLine::MarkerBytes;
const QString kMarker = QString::fromLatin1(kMarkerBytes.data(), qsizetype(kMarkerBytes.size()));

std::size_t dateKey(std::uint32_t v) { return FileDateTimeTexts::dateKey(v); }
std::size_t timeKey(std::uint32_t v) { return FileDateTimeTexts::timeKey(v); }

} // namespace

void DupRecordStore::clear() {
    m_records.clear();
    m_names.clear();
    m_places.clear();
    m_runs.clear();
    m_folder = ScanPlaces::None;
    m_searchPath = {};
    m_bigSizes = {};
    m_unclean = {};
    m_results = {};
    m_typeNames = {};
    m_typeUtf8 = {};
    m_exts = {};
    m_extSlots = {};
    m_texts.clear();
}

bool DupRecordStore::addRoot(std::string_view path, EntryIdentity identity) {
    m_folder = ScanPlaces::None;
    return m_places.addRoot(path, identity);
}

bool DupRecordStore::useFolder(std::uint32_t folder, bool searchPath) {
    // The folder index shares its word with a flag: 31 bits.
    if (folder == ScanPlaces::None || folder >= (std::uint32_t(1) << 31) - 1)
        return false;
    if (searchPath) {
        if (m_searchPath.size() <= folder)
            m_searchPath.resize(std::max<std::size_t>(folder + 1, m_searchPath.size() * 2), 0);
        m_searchPath[folder] = 1;
    }
    m_folder = folder;
    return true;
}

bool DupRecordStore::useWalkFolder(bool searchPath) {
    return useFolder(m_places.current(), searchPath);
}

bool DupRecordStore::addFolder(std::string_view path, bool searchPath, EntryIdentity identity) {
    return useFolder(m_places.addFolderPath(path, identity), searchPath);
}

namespace {
// A folder text of a line ends in exactly one "/".
QString withSlash(std::string_view shown) {
    QString text = QString::fromUtf8(shown.data(), qsizetype(shown.size()));
    if (!text.endsWith(u'/'))
        text += u'/';
    return text;
}
} // namespace

namespace {

std::string_view extensionOf(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

// Extensions are a few bytes: a byte-wise multiply hash costs less than a general one.
std::uint64_t extensionHash(std::string_view ext) {
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ ext.size();
    for (char c : ext)
        h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
    return h ^ (h >> 32);
}

} // namespace

std::uint32_t DupRecordStore::typeOf(std::string_view name) {
    const std::string_view ext = extensionOf(name);
    const std::uint64_t hash = extensionHash(ext);
    if (!m_extSlots.empty()) {
        for (std::size_t mask = m_extSlots.size() - 1, at = hash & mask;; at = (at + 1) & mask) {
            const ExtSlot& slot = m_extSlots[at];
            if (slot.index == 0)
                break;
            if (slot.hash == hash && m_exts[slot.index - 1] == ext)
                return slot.index - 1;
        }
    }
    const auto index = static_cast<std::uint32_t>(m_typeNames.size());
    m_typeNames.push_back(ext.empty() ? QString() : FileTypeName(DisplayText(ext)));
    QByteArray u = m_typeNames.back().toUtf8();
    m_typeUtf8.emplace_back(u.constData(), std::size_t(u.size()));
    m_exts.emplace_back(ext);
    // At most half full, so a probe ends soon at a free slot.
    if (m_exts.size() * 2 > m_extSlots.size()) {
        std::vector<ExtSlot> slots(std::max<std::size_t>(64, m_extSlots.size() * 2));
        for (std::size_t k = 0; k < m_exts.size(); ++k) {
            const std::uint64_t h = extensionHash(m_exts[k]);
            std::size_t at = h & (slots.size() - 1);
            while (slots[at].index != 0)
                at = (at + 1) & (slots.size() - 1);
            slots[at] = {h, static_cast<std::uint32_t>(k + 1)};
        }
        m_extSlots = std::move(slots);
    } else {
        std::size_t at = hash & (m_extSlots.size() - 1);
        while (m_extSlots[at].index != 0)
            at = (at + 1) & (m_extSlots.size() - 1);
        m_extSlots[at] = {hash, index + 1};
    }
    return index;
}

std::uint32_t DupRecordStore::typeIndex(std::string_view name) const {
    const std::string_view ext = extensionOf(name);
    const std::uint64_t hash = extensionHash(ext);
    if (m_extSlots.empty())
        return 0;
    for (std::size_t mask = m_extSlots.size() - 1, at = hash & mask;; at = (at + 1) & mask) {
        const ExtSlot& slot = m_extSlots[at];
        if (slot.index == 0)
            return 0; // not reached: every name's extension was added with its record
        if (slot.hash == hash && m_exts[slot.index - 1] == ext)
            return slot.index - 1;
    }
}

bool DupRecordStore::add(std::string_view name, std::int64_t size, std::uint64_t inode,
                         std::uint32_t modified, std::uint32_t accessed, std::uint64_t modifiedNs,
                         std::uint32_t changeFold) {
    // The arena must stay addressable by 32-bit offsets up to its end, which closes the last name.
    if (m_folder == ScanPlaces::None || name.empty() ||
        m_names.size() + name.size() > std::numeric_limits<std::uint32_t>::max() ||
        m_records.size() >= std::numeric_limits<std::uint32_t>::max())
        return false;
    typeOf(name);
    const auto index = static_cast<std::uint32_t>(m_records.size());
    DupRecord r{};
    std::uint64_t low = BigSize;
    if (size >= 0 && std::uint64_t(size) < BigSize)
        low = std::uint64_t(size);
    else
        m_bigSizes.emplace_back(index, size);
    r.sizeAndAccess = low | (std::uint64_t(accessed >> 16) << 48); // the lines show the access date only
    r.inode = inode;
    r.nameOffset = static_cast<std::uint32_t>(m_names.size());
    r.modified = modified;
    r.modifiedNs = modifiedNs;
    r.changeFold = changeFold;
    m_names.append(name);
    m_records.push_back(r);
    m_runs.note(index, m_folder);
    if (index % 64 == 0)
        m_unclean.push_back(0);
    if (!IsCleanName(name))
        m_unclean.back() |= std::uint64_t(1) << (index % 64);
    return true;
}

std::int64_t DupRecordStore::fileSize(std::size_t i) const {
    const std::uint64_t low = m_records[i].sizeAndAccess & BigSize;
    if (low != BigSize)
        return std::int64_t(low);
    const auto at = std::lower_bound(m_bigSizes.begin(), m_bigSizes.end(), std::uint32_t(i),
                                     [](const auto& big, std::uint32_t index) { return big.first < index; });
    return at->second;
}

std::string DupRecordStore::path(std::size_t i) const {
    std::string p;
    appendPath(i, p);
    return p;
}

void DupRecordStore::appendPath(std::size_t i, std::string& out) const {
    m_places.appendPath(folderOf(i), name(i), out);
}

ListedEntry DupRecordStore::entry(std::size_t i) const {
    const DupRecord& r = m_records[i];
    ListedEntry e = m_places.entry(folderOf(i), name(i), r.inode);
    e.isFolder = false;
    e.size = fileSize(i);
    e.modifiedNs = r.modifiedNs;
    e.modifiedKnown = r.modifiedNs != 0; // a record added without its exact time is checked without it
    e.changeFold = r.changeFold;
    return e;
}

QString DupRecordStore::nameText(std::size_t i) const {
    const NameBytes n = nameBytes(i);
    return n.clean ? QString::fromUtf8(n.bytes.data(), qsizetype(n.bytes.size())) : DisplayText(n.bytes);
}

QString DupRecordStore::folderField(std::uint32_t folder) const {
    const QString text = withSlash(shownFolder(folder));
    return isSearchPath(folder) ? text + kMarker : text;
}

std::string_view DupRecordStore::suffixOf(std::uint32_t folder) const {
    return isSearchPath(folder) ? kMarkerBytes : std::string_view();
}

QString DupRecordStore::field(std::size_t i, int n, bool dupMode) const {
    const DupRecord& r = m_records[i];
    if (!dupMode)
        ++n; // the hog layout is the duplicates layout without the name, with the path in place of the folder
    switch (n) {
    case 1:
        return nameText(i);
    case 2:
        return SizeInKText(fileSize(i)) + QStringLiteral(" K");
    case 3:
        return FileDateText(r.modified);
    case 4:
        return FileTimeText(r.modified);
    case 5:
        return FileDateText(std::uint32_t(accessedDate(i)) << 16);
    case 6: {
        const std::uint32_t folder = folderOf(i);
        if (dupMode)
            return folderField(folder);
        QString p = withSlash(shownFolder(folder)) + nameText(i);
        return isSearchPath(folder) ? p + kMarker : p;
    }
    case 7:
        return m_typeNames[typeIndex(name(i))];
    default:
        return {};
    }
}

QString DupRecordStore::line(std::size_t i, bool dupMode) const {
    QString out;
    out.reserve(120);
    for (int n = 1, last = fieldCount(dupMode); n <= last; ++n) {
        if (n > 1)
            out += u'\t';
        out += field(i, n, dupMode);
    }
    return out;
}

std::size_t DupRecordStore::memoryBytes() const {
    std::size_t bytes = m_records.capacity() * sizeof(DupRecord) + m_names.capacity() + m_runs.memoryBytes() +
                        m_unclean.capacity() * sizeof(std::uint64_t);
    bytes += m_bigSizes.capacity() * sizeof(m_bigSizes[0]) + m_results.capacity() * sizeof(std::uint32_t);
    return bytes + m_places.memoryBytes() + m_searchPath.capacity();
}

void DupRecordStore::appendLine(std::size_t i, bool dupMode, std::string& out) const {
    const DupRecord& r = m_records[i];
    const std::uint32_t folder = folderOf(i);
    const std::string_view shown = shownFolder(folder);
    const std::string_view slash = shown.empty() || shown.back() != '/' ? "/" : "";
    const std::string_view raw = name(i);
    const ShownName nv(nameBytes(i));
    char size[32];
    const std::string_view sizeText(size, sizeTextBytes(fileSize(i), size));
    const std::string_view modDate = m_texts.dateText(dateKey(r.modified));
    const std::string_view modTime = m_texts.timeText(timeKey(r.modified));
    const std::string_view accDate = m_texts.dateText(dateKey(std::uint32_t(accessedDate(i)) << 16));
    const std::string_view marker = suffixOf(folder);
    const std::string& type = m_typeUtf8[typeIndex(raw)];

    // One resize and plain copies: a line is written in one go, not by many small appends.
    const std::size_t length = (dupMode ? nv.text().size() + 1 : nv.text().size()) + sizeText.size() +
                               modDate.size() + modTime.size() + accDate.size() + shown.size() +
                               slash.size() + marker.size() + type.size() + 5;
    const std::size_t start = out.size();
    out.resize(start + length);
    char* p = out.data() + start;
    auto put = [&p](std::string_view s) {
        if (!s.empty()) // an empty view may have no data pointer at all
            std::memcpy(p, s.data(), s.size());
        p += s.size();
    };
    if (dupMode) {
        put(nv.text());
        *p++ = '\t';
    }
    put(sizeText);
    *p++ = '\t';
    put(modDate);
    *p++ = '\t';
    put(modTime);
    *p++ = '\t';
    put(accDate);
    *p++ = '\t';
    put(shown);
    put(slash);
    if (!dupMode)
        put(nv.text());
    put(marker);
    *p++ = '\t';
    put(type);
}
