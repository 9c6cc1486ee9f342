// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "scans/SavedScanReader.h"
#include "scans/ScanReplay.h"

#include <string>

// A saved scan file opened to be read as a walk: the reader and its replay together, for the
// engines' scanSaved. A scan is read once.
class SavedScan {
public:
    SavedScan() : m_replay(m_reader) {}

    // Opens path and reads its header. False with error() when it is no saved scan.
    bool open(const std::string& path) { return m_reader.open(path); }
    const SavedScanHeader& header() const { return m_reader.header(); }
    const std::string& rootPath() const { return m_reader.header().root.name; }
    ScanReplay& replay() { return m_replay; }
    // After the replay: the file turned out to be no valid scan.
    bool failed() const { return m_replay.failed(); }
    const std::string& error() const { return m_replay.failed() ? m_replay.error() : m_reader.error(); }

private:
    SavedScanReader m_reader;
    ScanReplay m_replay;
};
