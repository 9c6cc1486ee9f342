// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/MapModel.h"

#include "common/SaturatingSum.h"
#include "stats/StatisticsCollector.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace {
// The type table stops growing here; later extensions join group 0.
constexpr std::size_t kMostTypes = 65'000;
} // namespace

MapModel::MapModel() { clear(); }

void MapModel::clear() {
    m_files.clear();
    m_folders.clear();
    m_children.clear();
    m_names.clear();
    m_types.clear();
    m_typeIndex.clear();
    m_open.clear();
    m_folders.push_back(MapFolder{});
    m_folders.back().parent = NoFolder;
    m_types.push_back(MapType{});
}

std::uint32_t MapModel::addName(std::string_view name) {
    if (m_names.size() + name.size() > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("the map's name table is full");
    const auto offset = std::uint32_t(m_names.size());
    m_names.append(name);
    return offset;
}

std::uint16_t MapModel::typeOf(std::string_view name) {
    const std::string extension = StatisticsCollector::extensionOf(name);
    if (!StatisticsCollector::isTypeExtension(extension))
        return 0;
    const auto it = m_typeIndex.find(extension);
    if (it != m_typeIndex.end())
        return it->second;
    if (m_types.size() >= kMostTypes)
        return 0;
    const auto index = std::uint16_t(m_types.size());
    m_types.push_back(MapType{extension, 0, 0, -1});
    m_typeIndex.emplace(extension, index);
    return index;
}

void MapModel::openFolder(std::uint32_t parent, std::string_view name, std::int64_t changedNs) {
    if (m_folders.size() >= NoFolder)
        throw std::length_error("the map's folder table is full");
    MapFolder f;
    f.parent = parent;
    f.changedNs = changedNs;
    f.nameLength = std::uint16_t(std::min<std::size_t>(name.size(), 0xFFFF));
    f.nameOffset = addName(name.substr(0, f.nameLength));
    m_open.push_back(std::uint32_t(m_folders.size()));
    m_folders.push_back(f);
}

void MapModel::beginRoot(std::string_view path, std::int64_t changedNs) {
    while (!m_open.empty())
        closeFolder();
    openFolder(Scan, path, changedNs);
}

void MapModel::enterFolder(std::string_view name, std::int64_t changedNs) {
    if (m_open.empty())
        throw std::logic_error("a folder of the map needs a root to lie in");
    openFolder(m_open.back(), name, changedNs);
}

void MapModel::addFile(std::string_view name, std::int64_t size) {
    if (m_open.empty())
        throw std::logic_error("a file of the map needs a folder to lie in");
    MapFolder& f = m_folders[m_open.back()];
    if (f.fileCount == 0)
        f.firstFile = std::uint32_t(m_files.size());
    else if (std::size_t(f.firstFile) + f.fileCount != m_files.size())
        throw std::logic_error("a folder's files must be added one after another");
    if (m_files.size() >= std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("the map's file table is full");
    MapFile file{};
    file.size = std::max<std::int64_t>(size, 0);
    file.nameLength = std::uint8_t(std::min<std::size_t>(name.size(), 255));
    file.nameOffset = addName(name.substr(0, file.nameLength));
    file.type = typeOf(name);
    m_files.push_back(file);
    ++f.fileCount;
    f.bytes = SaturatingAdd(f.bytes, file.size);
    ++f.files;
    MapType& t = m_types[file.type];
    t.bytes = SaturatingAdd(t.bytes, file.size);
    ++t.files;
}

void MapModel::markUnreadable() {
    if (!m_open.empty())
        m_folders[m_open.back()].unreadable = 1;
}

void MapModel::closeFolder() {
    const std::uint32_t index = m_open.back();
    m_open.pop_back();
    MapFolder& f = m_folders[index];
    // Largest first, as the layout takes them; equal sizes keep the listing order.
    std::stable_sort(m_files.begin() + f.firstFile, m_files.begin() + f.firstFile + f.fileCount,
                     [](const MapFile& a, const MapFile& b) { return a.size > b.size; });
    MapFolder& parent = m_folders[f.parent];
    parent.bytes = SaturatingAdd(parent.bytes, f.bytes);
    parent.files = SaturatingAdd(parent.files, f.files);
}

void MapModel::leaveFolder() {
    if (!m_open.empty())
        closeFolder();
}

void MapModel::finish() {
    while (!m_open.empty())
        closeFolder();
    // Each folder's sub-folders as one run of the child table: counted, placed, then ordered.
    for (MapFolder& f : m_folders)
        f.childCount = 0;
    for (std::size_t i = 1; i < m_folders.size(); ++i)
        ++m_folders[m_folders[i].parent].childCount;
    std::uint32_t next = 0;
    for (MapFolder& f : m_folders) {
        f.firstChild = next;
        next += f.childCount;
        f.childCount = 0;
    }
    m_children.assign(next, 0);
    for (std::size_t i = 1; i < m_folders.size(); ++i) {
        MapFolder& parent = m_folders[m_folders[i].parent];
        m_children[parent.firstChild + parent.childCount++] = std::uint32_t(i);
    }
    for (std::uint32_t i = 0; i < m_folders.size(); ++i)
        sortChildren(i);

    std::vector<std::uint32_t> order(m_types.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [this](std::uint32_t a, std::uint32_t b) { return m_types[a].bytes > m_types[b].bytes; });
    int rank = 0;
    for (std::uint32_t t : order)
        m_types[t].rank = rank < int(LegendTypes) && m_types[t].bytes > 0 ? rank++ : -1;

    m_files.shrink_to_fit();
    m_folders.shrink_to_fit();
    m_names.shrink_to_fit();
}

void MapModel::sortChildren(std::uint32_t folder) {
    const MapFolder& f = m_folders[folder];
    const auto first = m_children.begin() + f.firstChild;
    std::stable_sort(first, first + f.childCount,
                     [this](std::uint32_t a, std::uint32_t b) { return m_folders[a].bytes > m_folders[b].bytes; });
}

std::string MapModel::folderPath(std::uint32_t folder) const {
    std::vector<std::uint32_t> chain;
    for (std::uint32_t f = folder; f != Scan && f != NoFolder; f = m_folders[f].parent)
        chain.push_back(f);
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (it != chain.rbegin() && (path.empty() || path.back() != '/'))
            path += '/';
        path += folderName(*it);
    }
    return path;
}

std::string MapModel::filePath(std::uint32_t folder, std::uint32_t file) const {
    std::string path = folderPath(folder);
    if (path.empty() || path.back() != '/')
        path += '/';
    path += fileName(file);
    return path;
}

bool MapModel::contains(std::uint32_t ancestor, std::uint32_t folder) const {
    for (std::uint32_t f = folder; f != NoFolder; f = m_folders[f].parent)
        if (f == ancestor)
            return true;
    return false;
}

std::uint32_t MapModel::findFolder(std::string_view path) const {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    const MapFolder& scan = m_folders[Scan];
    for (std::uint32_t c = 0; c < scan.childCount; ++c) {
        const std::uint32_t root = m_children[scan.firstChild + c];
        std::string_view rootPath = folderName(root);
        if (path.substr(0, rootPath.size()) != rootPath)
            continue;
        std::string_view rest = path.substr(rootPath.size());
        if (!rest.empty() && rootPath.back() != '/') {
            if (rest.front() != '/')
                continue;
            rest.remove_prefix(1);
        }
        std::uint32_t at = root;
        while (!rest.empty() && at != NoFolder) {
            const std::size_t slash = rest.find('/');
            const std::string_view name = rest.substr(0, slash);
            rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
            const MapFolder& f = m_folders[at];
            at = NoFolder;
            for (std::uint32_t k = 0; k < f.childCount; ++k) {
                const std::uint32_t candidate = m_children[f.firstChild + k];
                if (!m_folders[candidate].removed && folderName(candidate) == name) {
                    at = candidate;
                    break;
                }
            }
        }
        if (at != NoFolder && !m_folders[at].removed)
            return at;
    }
    return NoFolder;
}

std::uint32_t MapModel::top() const {
    const MapFolder& scan = m_folders[Scan];
    return scan.childCount == 1 ? m_children[scan.firstChild] : Scan;
}

std::vector<std::uint32_t> MapModel::legendTypes() const {
    std::vector<std::uint32_t> legend(LegendTypes, NoFolder);
    std::size_t used = 0;
    for (std::uint32_t t = 0; t < m_types.size(); ++t)
        if (m_types[t].rank >= 0) {
            legend[std::size_t(m_types[t].rank)] = t;
            ++used;
        }
    legend.resize(used);
    return legend;
}

MapViewTypes MapModel::viewTypes(std::uint32_t folder) const {
    MapViewTypes view;
    view.bytes.assign(m_types.size(), 0);
    view.rank.assign(m_types.size(), -1);
    if (folder >= m_folders.size())
        return view;
    view.total = m_folders[folder].bytes;
    // Every folder below it, by the child table, without recursion.
    std::vector<std::uint32_t> pending{folder};
    while (!pending.empty()) {
        const MapFolder& f = m_folders[pending.back()];
        pending.pop_back();
        if (f.removed)
            continue;
        for (std::uint32_t i = f.firstFile; i < f.firstFile + f.fileCount; ++i)
            if (!m_files[i].removed && m_files[i].type < view.bytes.size())
                view.bytes[m_files[i].type] = SaturatingAdd(view.bytes[m_files[i].type], m_files[i].size);
        for (std::uint32_t c = 0; c < f.childCount; ++c)
            pending.push_back(m_children[f.firstChild + c]);
    }
    std::vector<std::uint32_t> order(m_types.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return view.bytes[a] > view.bytes[b]; });
    for (std::uint32_t t : order) {
        if (view.legend.size() >= LegendTypes || view.bytes[t] <= 0)
            break;
        view.rank[t] = int(view.legend.size());
        view.legend.push_back(t);
    }
    return view;
}

void MapModel::subtract(std::uint32_t from, std::int64_t bytes, std::int64_t files) {
    for (std::uint32_t f = from; f != NoFolder; f = m_folders[f].parent) {
        MapFolder& folder = m_folders[f];
        folder.bytes = std::max<std::int64_t>(0, SaturatingSub(folder.bytes, bytes));
        folder.files = std::max<std::int64_t>(0, folder.files - files);
        // Its place among its siblings may have changed.
        if (folder.parent != NoFolder)
            sortChildren(folder.parent);
    }
}

void MapModel::removeFile(std::uint32_t folder, std::uint32_t file) {
    MapFile& f = m_files[file];
    if (f.removed)
        return;
    f.removed = 1;
    MapType& t = m_types[f.type];
    t.bytes = std::max<std::int64_t>(0, t.bytes - f.size);
    t.files = std::max<std::int64_t>(0, t.files - 1);
    subtract(folder, f.size, 1);
}

void MapModel::removeFolder(std::uint32_t folder) {
    if (folder == Scan || m_folders[folder].removed)
        return;
    // The type totals lose every file below it; the folders above lose its totals once.
    std::vector<std::uint32_t> pending{folder};
    while (!pending.empty()) {
        const MapFolder& f = m_folders[pending.back()];
        pending.pop_back();
        if (f.removed)
            continue;
        for (std::uint32_t i = f.firstFile; i < f.firstFile + f.fileCount; ++i)
            if (!m_files[i].removed) {
                MapType& t = m_types[m_files[i].type];
                t.bytes = std::max<std::int64_t>(0, t.bytes - m_files[i].size);
                t.files = std::max<std::int64_t>(0, t.files - 1);
            }
        for (std::uint32_t c = 0; c < f.childCount; ++c)
            pending.push_back(m_children[f.firstChild + c]);
    }
    MapFolder& f = m_folders[folder];
    const std::int64_t bytes = f.bytes;
    const std::int64_t files = f.files;
    f.removed = 1;
    f.bytes = 0;
    f.files = 0;
    subtract(f.parent, bytes, files);
}

void MapModel::beginRebuild(std::uint32_t folder) {
    const std::uint32_t parent = m_folders[folder].parent;
    removeFolder(folder);
    m_rebuildIn = parent;
    m_rebuildBytes = m_folders[parent].bytes;
    m_rebuildFiles = m_folders[parent].files;
    m_open.assign(1, parent);
}

void MapModel::endRebuild() {
    if (m_rebuildIn == NoFolder)
        return;
    // A stopped walk leaves folders open: they close with what they got.
    while (m_open.size() > 1)
        closeFolder();
    m_open.clear();
    const MapFolder& in = m_folders[m_rebuildIn];
    const std::int64_t bytes = SaturatingSub(in.bytes, m_rebuildBytes);
    const std::int64_t files = in.files - m_rebuildFiles;
    for (std::uint32_t f = in.parent; f != NoFolder; f = m_folders[f].parent) {
        m_folders[f].bytes = SaturatingAdd(m_folders[f].bytes, bytes);
        m_folders[f].files = SaturatingAdd(m_folders[f].files, files);
    }
    m_rebuildIn = NoFolder;
    finish();
}

std::size_t MapModel::memoryBytes() const {
    return m_files.capacity() * sizeof(MapFile) + m_folders.capacity() * sizeof(MapFolder) +
           m_children.capacity() * sizeof(std::uint32_t) + m_names.capacity() +
           m_types.capacity() * sizeof(MapType) + m_typeIndex.size() * 64;
}
