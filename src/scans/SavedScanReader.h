// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "scans/ScanInput.h"

#include <cstdint>
#include <memory>
#include <string>

// One entry of a saved scan as the file gives it. A number the file leaves out is 0, as ncdu reads
// it; the has* flags tell which of the optional fields were there (a time that is not there is not
// known, never invented).
struct SavedScanItem {
    enum Flag : std::uint32_t {
        HasDevice = 1,
        HasMode = 2,
        HasWriteTime = 4,
        HasAccessTime = 8,
        HasBirthTime = 16,
        HasOwner = 32,
        ReadError = 64,   // the entry (or the folder's listing) could not be read
        NotRegular = 128, // neither a regular file nor a folder
        Hidden = 256,     // this program's own hidden flag
        HardLinked = 512, // hlnkc
    };
    enum class Excluded : std::uint8_t { No, OtherFilesystem, KernelFilesystem, Pattern, Other };

    std::string name; // exact bytes (escapes resolved)
    std::int64_t apparentSize = 0;
    std::int64_t diskSize = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t links = 0;
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    std::uint32_t mode = 0;
    std::int64_t writeTime = 0;
    std::int64_t accessTime = 0;
    std::int64_t birthTime = 0;
    std::uint32_t flags = 0;
    Excluded excluded = Excluded::No;
    std::string excludeRule; // this program's own: the rule that excluded it (its first 4,095 bytes)

    bool has(Flag f) const { return (flags & f) != 0; }
    void clear();
};

// What a saved scan says of itself: its metadata and its top folder.
struct SavedScanHeader {
    int minorVersion = 0;
    std::string program;        // progname ("" when not given)
    std::string version;        // progver
    std::int64_t timestamp = 0; // seconds since 1970; 0 when not given
    SavedScanItem root;         // the top folder; its name is its whole path
};

// Reads a saved scan (ncdu's JSON export format, major version 1, as ncdu, gdu and this program
// write it; plain or zstd-compressed) as a stream of events, holding the entry being read and a
// 16-byte fingerprint of each name of the folders open: memory does not grow with the file, only
// with the largest folders on the way down. A name given twice in a folder is found when the
// folder ends (its entries were handed out by then: nothing read from a failed file may be used). Anything that is not such a scan (not JSON, another
// shape, another major version, a name that no file can have or one name twice in a folder, a
// size or count that is negative, fractional, null or too large, a time that is fractional or
// null, a number with a leading zero, a file cut short, anything after the end) stops the reading
// with a message naming the line; keys it does not know are passed over. A negative time is a
// date before 1970, as gdu writes it.
class SavedScanReader {
public:
    enum class Event {
        Folder, // a sub-folder begins: item() is its info; its entries follow up to its End
        File,   // an entry that is not a folder: item()
        End,    // the folder begun last is complete; at depth() 0 the whole scan was read
        Failed, // the file is no saved scan, or could not be read: error()
    };

    SavedScanReader();
    ~SavedScanReader();

    // Opens path and reads up to the top folder's info. False with error() when it is no saved scan.
    bool open(const std::string& path);
    const SavedScanHeader& header() const { return m_header; }
    const std::string& path() const { return m_path; }

    Event next();
    const SavedScanItem& item() const { return m_item; }
    // Folders open, the top one included (0 once the scan is complete).
    std::size_t depth() const { return m_depth; }
    // After Folder: true when the folder holds no entry (its End is next).
    bool nextIsEnd();
    // After Folder: reads past its entries and its End.
    bool skipFolder();
    // "FILE: line N: what is wrong" (or "FILE: reason").
    const std::string& error() const { return m_error; }

private:
    struct Parser;
    std::unique_ptr<Parser> p;
    std::string m_path;
    SavedScanHeader m_header;
    SavedScanItem m_item;
    std::size_t m_depth = 0;
    std::string m_error;
};
