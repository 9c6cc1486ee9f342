// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "common/WalkReport.h"
#include "map/MapModel.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// The walk behind the map. The window (or the command-line tool) calls begin(), then scanDrive()
// once per root, then finish(); the model then holds every file. The engine is a visitor of the one
// folder walker that takes every entry of every entered folder with its own size, as the folder
// size scan counts them: hidden files and links too, hidden folders and mounts not entered, a
// folder reached twice walked once.
class ScanReplay;

class MapScanEngine {
public:
    MapScanEngine();
    ~MapScanEngine();

    // Called after each directory entry (except the first of a listing); the window runs its event
    // loop there. None by default.
    void setYieldHook(std::function<void()> hook);
    // The folder being walked, for the status panel: made only when asked.
    QString walkStatus() const;
    // The folders and entries that could not be read (mounts are not entered and not counted); a
    // reporter set on it hears of each at once. The walk goes on.
    SkippedEntries& skipped();
    const SkippedEntries& skipped() const;

    // Starts a new map: clears the model, the counts and the abort flag.
    void begin();
    // Walks one root (a drive's mount point or any folder), staying on its filesystem. False when the
    // root cannot be opened or read.
    bool scanDrive(const std::string& rootPath);
    // The same for a saved scan, read instead of the disk. False when its top folder was not read in
    // the scan, or the file is no valid scan (scan.failed()).
    bool scanSaved(ScanReplay& scan);
    // Orders the model for the layout; folders still open after an abort are closed with what they got.
    void finish();

    void abort();
    bool aborted() const;

    std::int64_t filesSeen() const;
    std::int64_t foldersSeen() const;

    const MapModel& model() const;
    MapModel& model();

    // After another window may have deleted files or folders: every folder of the map is looked at
    // again (one statx each; listed again only when it changed since the walk, or around it), and
    // what is no longer there leaves the map. Returns how many files and folders left.
    std::size_t recheck();
    // Walks one folder of the map again, alone, reached from its root through folder handles (never
    // a link), and puts what it holds now in the place of what the map had: its tiles and those below
    // it, and every total above it. A folder that is gone, or is now a link, a file or a mount,
    // leaves the map. Returns the folder's new index, or MapModel::NoFolder when it left.
    std::uint32_t refreshFolder(std::uint32_t folder);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
