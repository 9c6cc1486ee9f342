// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "scans/ScanExporter.h"
#include "scans/ScanOutput.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The snapshots of the folder hog scans: one compressed saved scan per walked root, in
// $XDG_STATE_HOME/vantorel/scans (default ~/.local/state), written while the scan walks, at most
// the last PerRoot per root and TotalBytes in all (the oldest go first). Files are written under a
// temporary name and renamed; the folder is changed only under a lock on it, waited for at most
// lockWait. Nothing in the folder is trusted: a snapshot's root and time are read from its content,
// and a file that is no saved scan is passed over.
class SnapshotStore {
public:
    static constexpr std::size_t PerRoot = 10;
    static constexpr std::int64_t TotalBytes = std::int64_t(1) << 30;
    static constexpr std::chrono::milliseconds lockWait{5000};
    static constexpr int SnapshotLevel = 1; // zstd's

    struct Snapshot {
        std::string path;
        std::string root;           // the folder scanned
        std::int64_t timestamp = 0; // seconds since 1970, as the file says
        std::int64_t bytes = 0;     // of the file
    };

    // A snapshot on its way: hand companion() to the scan, then commit() when the walk is complete
    // or let it go (the destructor drops the file).
    class Writer {
    public:
        explicit Writer(std::string folder);
        // False (nothing written) when the folder cannot be made or written.
        bool begin();
        FolderVisitor& companion() { return m_exporter; }
        // Puts the snapshot in place and drops the oldest beyond the limits. False when it could not be
        // written or the walk gave no root.
        bool commit(const SnapshotStore& store);

    private:
        std::string m_folder;
        ScanOutput m_out;
        ScanExporter m_exporter;
    };

    // folder: where the snapshots are; the default is the user's state folder.
    explicit SnapshotStore(std::string folder = defaultFolder());
    static std::string defaultFolder();
    const std::string& folder() const { return m_folder; }

    // The setting that turns snapshots off: "ScanSnapshots=0" in [Vantorel] of the settings file.
    static bool enabled();
    static void setEnabled(bool on);

    std::unique_ptr<Writer> writer() const { return std::make_unique<Writer>(m_folder); }
    // The snapshots, newest first; of one root when root is given.
    std::vector<Snapshot> list(const std::string& root = {}) const;
    // The newest snapshot of each of roots, in their order; empty unless every root has one.
    std::vector<Snapshot> newestOf(const std::vector<std::string>& roots) const;
    // Drops the oldest beyond PerRoot of any root and beyond TotalBytes in all. False when the lock
    // could not be had in time.
    bool prune() const;

private:
    std::string m_folder;
};
