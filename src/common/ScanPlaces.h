// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/ListedEntry.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

// Where the files of a scan were found: each walked root (its path as opened and its identity) and
// the folders below it as a tree, each folder once as its parent, its name and its identity. A folder
// costs its name and a few words, whatever its depth; paths, display texts and ListedEntry values are
// made from the tree when asked. A scan keeps one index per file into this table.
//
// The parts of a root's path above the root are folders of the tree too (without identity), so every
// folder's path, and every order of paths, is read from the tree alone.
class ScanPlaces {
public:
    static constexpr std::uint32_t None = std::numeric_limits<std::uint32_t>::max();

    void clear();
    // Starts a walked root: its path as opened (absolute, no trailing "/" but "/") and identity. The
    // walk is then in the root (see enter). False when the table is full.
    bool addRoot(std::string_view path, EntryIdentity identity);

    // Following a walk: it entered the folder name (with its identity) of the folder it was in, or
    // left the folder it was in. Only the way from the root down is kept (one name per level);
    // nothing is added to the table until current() asks for it.
    void enter(std::string_view name, EntryIdentity identity);
    void leave();
    // The walk goes on in folder (of the table) as if it had walked down to it from its root: a
    // folder walked again within its scan. Folders added from here on lie in folder's root.
    void resumeAt(std::uint32_t folder);
    // True when folder lies below above (or is above itself).
    bool liesIn(std::uint32_t folder, std::uint32_t above) const;
    // The folder the walk is in, added to the table together with every folder above it that was
    // not yet: its index, or None when the table is full (or no root was started).
    std::uint32_t current();

    // A folder of the current root by its path (exact bytes beginning with the root's path, no
    // trailing "/" but "/"), with its identity; the folders between are added without one. Its index,
    // or None when the table is full or the folder does not lie in the current root.
    std::uint32_t addFolderPath(std::string_view path, EntryIdentity identity);

    std::size_t folderCount() const { return m_folders.size(); }
    std::uint32_t parentOf(std::uint32_t folder) const { return m_folders[folder].parent; }
    std::string_view nameOf(std::uint32_t folder) const {
        return {m_names.data() + m_folders[folder].nameOffset, m_folders[folder].nameLength};
    }
    EntryIdentity identityOf(std::uint32_t folder) const { return m_folders[folder].identity; }
    // True for the folder of a walked root itself.
    bool isRoot(std::uint32_t folder) const;

    // The full path of folder (no trailing "/" but "/"), made from the tree.
    std::string folderPath(std::uint32_t folder) const;
    void appendFolderPath(std::uint32_t folder, std::string& out) const;
    // The full path of name in folder.
    std::string path(std::uint32_t folder, std::string_view name) const;
    void appendPath(std::uint32_t folder, std::string_view name, std::string& out) const;
    // The display text of folder's path in UTF-8 (each name as DisplayText shows it). The last one
    // made is kept to make the next one from, so the view is valid until the next call (and the
    // table is not for use from two threads at once).
    std::string_view displayPath(std::uint32_t folder) const;
    void appendDisplayPath(std::uint32_t folder, std::string& out) const { out += displayPath(folder); }

    // The file or folder name of folder, as a listing saw it: root, folder below the root, identities.
    ListedEntry entry(std::uint32_t folder, std::string_view name, std::uint64_t inode) const;
    // A folder of the tree as an entry of the folder that holds it. A walked root has none in its
    // walk: its entry names the root itself (folder and name empty), with the root's identity.
    ListedEntry folderEntry(std::uint32_t folder) const;

    // Texts to order: the display path of folder with a "/" after it (none after "/" itself), then
    // tail; with folder None the tail alone. Every text is ASCII-folded: tail must be so already and
    // hold no "/". (A folder's own path is its name as the tail of the folder above it; the path "/"
    // is the top folder with an empty tail.)
    struct RankItem {
        std::uint32_t folder;
        std::string tail;
    };
    // The rank of each item's text among them all: equal texts share a rank, and ranks order as the
    // texts do, byte by byte as UTF-8, a prefix first. Reads each folder's name once and never makes
    // a whole path, so deep trees cost what their names cost.
    std::vector<std::uint32_t> rankTexts(const std::vector<RankItem>& items) const;

    // The display text of bytes in UTF-8 with a-z as A-Z, appended: the text rankTexts compares.
    static void appendFoldedDisplay(std::string_view bytes, std::string& out);

    // For ordering files by their whole path texts (the display path of their folder, "/", then
    // a tail: the shown name, folded, and a suffix without "/") without making them. The tree's
    // order cut at every folder's beginning ("path/") and end ("path0": "0" is the byte after "/")
    // gives segments that each hold the files of one folder (or of folders whose paths show alike)
    // and nothing else. A file's segment follows from its folder and from where its tail falls
    // among the names of the folder's sub-folders; within a segment the tails decide.
    class PathSegments {
    public:
        // Segments are numbered 0 .. count()-1 in text order.
        std::uint32_t count() const { return m_count; }
        // The segment of a file of folder (one of those the segments were made for).
        // tailBefore(piece): whether the file's tail sorts before piece, a sub-folder's shown name,
        // folded, with "/" after it (see ShownNameBefore).
        template <class TailBefore> std::uint32_t segmentOf(std::uint32_t folder, const TailBefore& tailBefore) const {
            const std::uint32_t group = m_start[folder];
            const Child* first = m_children.data() + m_childStart[group];
            const Child* last = m_children.data() + m_childStart[group + 1];
            // The sub-folders whose pieces sort before the tail come first; a tail never equals one.
            while (first < last) {
                const Child* mid = first + (last - first) / 2;
                if (tailBefore(std::string_view(m_pieces).substr(mid->pieceOffset, mid->pieceLength)))
                    last = mid;
                else
                    first = mid + 1;
            }
            const Child* begin = m_children.data() + m_childStart[group];
            return first == begin ? group : (first - 1)->end;
        }

    private:
        friend class ScanPlaces;
        struct Child {
            std::uint32_t end; // the segment after its texts
            std::uint32_t pieceOffset;
            std::uint32_t pieceLength;
        };
        std::vector<std::uint32_t> m_start;      // by folder: the segment its texts begin with
        std::vector<std::uint32_t> m_childStart; // by that segment: its folder's sub-folders in m_children
        std::vector<Child> m_children;           // by their pieces' order
        std::string m_pieces;
        std::uint32_t m_count = 0;
    };
    // The segments for files of the folders marked in holdsFiles (by folder index, 1 = holds files).
    PathSegments pathSegments(const std::vector<std::uint8_t>& holdsFiles) const;

    std::size_t memoryBytes() const;

private:
    struct Folder {
        std::uint64_t nameOffset; // into m_names
        EntryIdentity identity;   // unknown ({}) for the parts of a root's path above it
        std::uint32_t parent;     // None at the top
        std::uint32_t root;       // the walked root it lies in; None above every root
        std::uint32_t depth;      // folders above it in the tree
        std::uint16_t nameLength;
    };
    struct Root {
        std::string path;
        EntryIdentity identity;
        std::uint32_t folder; // the root's own folder in the tree
    };
    // A level of the walk's way down from the root.
    struct Step {
        std::uint32_t folder;     // its index once added, None before
        std::uint32_t nameOffset; // into m_wayNames
        std::uint16_t nameLength;
        EntryIdentity identity;
    };

    std::uint32_t addNode(std::uint32_t parent, std::string_view name, EntryIdentity identity,
                          std::uint32_t root);
    // Adds each "/"-separated name of names below parent (none for an empty part); the last one's
    // index (parent itself when there is none), or None when the table is full.
    std::uint32_t addNames(std::uint32_t parent, std::string_view names, std::uint32_t root);
    // The part of folder's path below its root ("" for the root itself).
    std::string pathBelowRoot(std::uint32_t folder) const;

    std::vector<Folder> m_folders;
    std::string m_names;
    std::vector<Root> m_roots;
    std::vector<Step> m_way;
    std::string m_wayNames;
    std::uint32_t m_wayRoot = None; // the root the way lies in
    // The display path made last: its folders from the top, where each one's text ends.
    struct Shown {
        std::vector<std::uint32_t> way;
        std::vector<std::size_t> ends;
        std::string text;
        std::vector<std::uint32_t> scratch;
    };
    mutable Shown m_shown;
};

// The folders of files kept in the order a walk gives them: the files of one folder come one after
// the other, so a folder is noted once per run of files, not once per file.
class FolderRuns {
public:
    struct Run {
        std::uint32_t first;  // the first file of the run
        std::uint32_t folder; // in the scan's places
    };
    void clear() { m_runs = {}; }
    // File index (the next one added) lies in folder.
    void note(std::uint32_t index, std::uint32_t folder) {
        if (m_runs.empty() || m_runs.back().folder != folder)
            m_runs.push_back({index, folder});
    }
    std::uint32_t folderOf(std::uint32_t index) const {
        const auto after = std::upper_bound(m_runs.begin(), m_runs.end(), index,
                                            [](std::uint32_t i, const Run& r) { return i < r.first; });
        return (after - 1)->folder;
    }
    const std::vector<Run>& runs() const { return m_runs; }
    std::size_t memoryBytes() const { return m_runs.capacity() * sizeof(Run); }

    // Gives the folders of files asked for in increasing order without a search (a smaller index
    // starts again from the first run).
    class Cursor {
    public:
        explicit Cursor(const FolderRuns& runs) : m_runs(runs.m_runs) {}
        std::uint32_t folderOf(std::uint32_t index) {
            if (index < m_last)
                m_next = 0;
            m_last = index;
            while (m_next < m_runs.size() && m_runs[m_next].first <= index)
                ++m_next;
            return m_runs[m_next - 1].folder;
        }

    private:
        const std::vector<Run>& m_runs;
        std::size_t m_next = 0;
        std::uint32_t m_last = 0;
    };

private:
    std::vector<Run> m_runs;
};
