// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// One file of the map: 16 bytes besides its name, which lies in the model's name arena.
struct MapFile {
    std::int64_t size;        // bytes
    std::uint32_t nameOffset; // into the name arena
    std::uint16_t type;       // index into the type table
    std::uint8_t nameLength;  // a file name holds at most 255 bytes
    std::uint8_t removed;     // gone since the walk: no tile, no longer in any total
};
static_assert(sizeof(MapFile) == 16, "a file of the map must stay at 16 bytes besides its name");

// One folder of the map. Its files are one run of the file table, largest first; its sub-folders
// one run of the child table, largest first (after finish()).
struct MapFolder {
    std::int64_t bytes = 0;     // every file below it that is not removed (the sum stops at the 64-bit maximum)
    std::int64_t files = 0;     // how many files that is
    std::int64_t changedNs = 0; // its modification time when it was walked (for the re-check)
    std::uint32_t parent = 0;
    std::uint32_t firstFile = 0;
    std::uint32_t fileCount = 0;
    std::uint32_t firstChild = 0; // into the child table
    std::uint32_t childCount = 0;
    std::uint32_t nameOffset = 0;
    std::uint16_t nameLength = 0; // a root's name is its whole path
    std::uint8_t removed = 0;
    std::uint8_t unreadable = 0;  // listed but could not be opened or read: it may hold more
};

// A type group of the statistics' Types page (the extension, upper case, with its dot), with what
// the map holds of it. Group 0 gathers the names whose extension is no type group (too long).
struct MapType {
    std::string extension;
    std::int64_t bytes = 0;
    std::int64_t files = 0;
    int rank = -1; // 0 .. 9 for the ten largest by bytes when the map was finished, else -1
};

// What one folder of the map holds of each type group: the legend and the colours of that folder's
// picture, so that both describe what is shown.
struct MapViewTypes {
    std::vector<std::int64_t> bytes;   // per type group of MapModel::types(), below the folder
    std::vector<int> rank;             // per type group: 0 .. 9 for the ten largest there, else -1
    std::vector<std::uint32_t> legend; // those ten type groups, largest first
    std::int64_t total = 0;            // the folder's bytes
};

// The walked tree as the map draws it: every file with its size, name and type, nested by folder.
// Folder 0 is the scan itself (its children are the roots, its name empty). The model is built in
// walk order: a root, then for each folder entered its sub-folders, then its own files, then the
// folder is left. Names are exact bytes; texts are made only when shown.
class MapModel {
public:
    static constexpr std::uint32_t NoFolder = std::numeric_limits<std::uint32_t>::max();
    static constexpr std::uint32_t Scan = 0;
    static constexpr std::size_t LegendTypes = 10;

    MapModel();

    void clear();
    // Build steps. beginRoot starts a walked root (its path as opened); enterFolder a sub-folder of
    // the current folder. addFile adds a file of the current folder: a folder's files must follow
    // one another, after its last sub-folder was left. leaveFolder ends the current folder, adding
    // its totals to its parent's. finish() closes folders still open (a stopped walk), puts every
    // folder's sub-folders in order and ranks the types.
    void beginRoot(std::string_view path, std::int64_t changedNs);
    void enterFolder(std::string_view name, std::int64_t changedNs);
    void addFile(std::string_view name, std::int64_t size);
    void leaveFolder();
    // The current folder could not be opened or read (it may hold more than the map shows).
    void markUnreadable();
    void finish();
    bool building() const { return !m_open.empty(); }

    std::size_t fileCount() const { return m_files.size(); }
    std::size_t folderCount() const { return m_folders.size(); }
    const MapFile& file(std::uint32_t i) const { return m_files[i]; }
    const MapFolder& folder(std::uint32_t i) const { return m_folders[i]; }
    std::uint32_t child(std::uint32_t childIndex) const { return m_children[childIndex]; }
    std::string_view fileName(std::uint32_t i) const {
        return {m_names.data() + m_files[i].nameOffset, m_files[i].nameLength};
    }
    std::string_view folderName(std::uint32_t i) const {
        return {m_names.data() + m_folders[i].nameOffset, m_folders[i].nameLength};
    }
    // Exact path bytes: a root's as opened, below it joined by single "/". The scan's is "".
    std::string folderPath(std::uint32_t folder) const;
    std::string filePath(std::uint32_t folder, std::uint32_t file) const;
    // True when ancestor is folder itself or lies above it.
    bool contains(std::uint32_t ancestor, std::uint32_t folder) const;
    // The folder whose path is exactly path (a root or any folder below one); NoFolder when none.
    std::uint32_t findFolder(std::string_view path) const;
    // The view to start from: the one root when there is one, else the scan.
    std::uint32_t top() const;

    const std::vector<MapType>& types() const { return m_types; }
    // The type groups of the legend: the ten largest by bytes when the map was finished, in that order.
    std::vector<std::uint32_t> legendTypes() const;
    // The type groups as the files below folder hold them now (removed ones left out), ranked as
    // finish() ranks the whole map's: by bytes, equal bytes in type order.
    MapViewTypes viewTypes(std::uint32_t folder) const;

    // A file or folder that is gone: it leaves the map and every total above it. Nothing happens for
    // one already removed.
    void removeFile(std::uint32_t folder, std::uint32_t file);
    void removeFolder(std::uint32_t folder);
    // A folder measured again after the map was finished: folder leaves the map as removeFolder
    // does, and the build steps from here on (enterFolder for its new self, what lies in it,
    // leaveFolder) add its new content to the folder that held it. endRebuild() adds that to every
    // total above and orders the model again; the folder's new index is then the last one made
    // below that parent.
    void beginRebuild(std::uint32_t folder);
    void endRebuild();
    void setChanged(std::uint32_t folder, std::int64_t changedNs) { m_folders[folder].changedNs = changedNs; }

    // Bytes held by the tables (the measure of the bench), and the part of them that is name bytes.
    std::size_t memoryBytes() const;
    std::size_t nameBytes() const { return m_names.capacity(); }

private:
    std::uint32_t addName(std::string_view name);
    std::uint16_t typeOf(std::string_view name);
    void openFolder(std::uint32_t parent, std::string_view name, std::int64_t changedNs);
    void closeFolder();
    void sortChildren(std::uint32_t folder);
    void subtract(std::uint32_t from, std::int64_t bytes, std::int64_t files);

    std::vector<MapFile> m_files;
    std::vector<MapFolder> m_folders;
    std::vector<std::uint32_t> m_children;
    std::string m_names;
    std::vector<MapType> m_types;
    std::unordered_map<std::string, std::uint16_t> m_typeIndex;
    std::vector<std::uint32_t> m_open; // the folders being built, outermost first
    // A rebuild: the folder the new content goes in, and its totals before it.
    std::uint32_t m_rebuildIn = NoFolder;
    std::int64_t m_rebuildBytes = 0;
    std::int64_t m_rebuildFiles = 0;
};
