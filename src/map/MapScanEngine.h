// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
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
class MapScanEngine {
public:
    // At most this many folders that could not be read are kept by name (all are counted).
    static constexpr std::size_t KeptUnreadable = 1000;

    MapScanEngine();
    ~MapScanEngine();

    // Called after each directory entry (except the first of a listing); the window runs its event
    // loop there. None by default.
    void setYieldHook(std::function<void()> hook);
    // Called with the display text of each folder entered (for the status panel).
    void setStatusHook(std::function<void(const QString&)> hook);
    // Called with each folder that could not be read (path bytes and errno); mounts are not
    // reported. The walk goes on.
    void setSkippedFolderHook(std::function<void(const std::string& path, int error)> hook);

    // Starts a new map: clears the model, the counts and the abort flag.
    void begin();
    // Walks one root (a drive's mount point or any folder), staying on its filesystem. False when the
    // root cannot be opened or read.
    bool scanDrive(const std::string& rootPath);
    // Orders the model for the layout; folders still open after an abort are closed with what they got.
    void finish();

    void abort();
    bool aborted() const;

    std::int64_t filesSeen() const;
    std::int64_t foldersSeen() const;
    // Folders that could not be read: how many, and the first KeptUnreadable with their errno.
    std::int64_t unreadableCount() const;
    const std::vector<std::pair<std::string, int>>& unreadableFolders() const;

    const MapModel& model() const;
    MapModel& model();

    // After another window may have deleted files or folders: every folder of the map is looked at
    // again (one statx each; listed again only when it changed since the walk, or around it), and
    // what is no longer there leaves the map. Returns how many files and folders left.
    std::size_t recheck();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
