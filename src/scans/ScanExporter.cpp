// SPDX-License-Identifier: GPL-3.0-or-later
#include "scans/ScanExporter.h"

#include "BuildConfig.h"
#include "scans/ScanJson.h"
#include "scans/ScanOutput.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

bool isHidden(std::string_view name) {
    return !name.empty() && name[0] == '.';
}

// The statistics of an open folder itself, as StatEntry gives those of an entry.
bool statFolder(int fd, FsEntry& e) {
    struct statx sx {};
    const unsigned mask = STATX_BASIC_STATS | STATX_BTIME;
    if (fd < 0 || ::statx(fd, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, mask, &sx) != 0)
        return false;
    e.mode = sx.stx_mode;
    e.size = std::int64_t(sx.stx_size);
    e.allocated = std::int64_t(sx.stx_blocks) * 512;
    e.lastWrite = {sx.stx_mtime.tv_sec, long(sx.stx_mtime.tv_nsec)};
    e.lastAccess = {sx.stx_atime.tv_sec, long(sx.stx_atime.tv_nsec)};
    e.hasCreation = (sx.stx_mask & STATX_BTIME) != 0;
    e.creation = {sx.stx_btime.tv_sec, long(sx.stx_btime.tv_nsec)};
    e.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    e.inode = sx.stx_ino;
    e.links = sx.stx_nlink;
    e.owner = sx.stx_uid;
    e.group = sx.stx_gid;
    return true;
}

} // namespace

ScanExporter::ScanExporter(ScanOutput& output, Kind kind) : m_out(output), m_full(kind == Kind::Export) {}

void ScanExporter::begin() {
    std::string& out = m_out.buffer();
    out += "[1,2,{\"progname\":\"vantorel\",\"progver\":\"" VANTOREL_VERSION "\"";
    AppendJsonNumber(out, "timestamp", std::int64_t(std::time(nullptr)));
    out += "},\n";
    m_out.written();
}

bool ScanExporter::end() {
    writePending();
    if (!m_rootSeen)
        return false;
    m_out.write("]\n");
    return true;
}

void ScanExporter::appendStatistics(std::string& out, const FsEntry& e, dev_t parentDevice, bool isFolder) {
    if (e.size > 0)
        AppendJsonNumber(out, "asize", e.size);
    if (e.allocated > 0)
        AppendJsonNumber(out, "dsize", e.allocated);
    if (m_devices.empty() || e.device != parentDevice)
        AppendJsonUnsigned(out, "dev", std::uint64_t(e.device));
    if (!m_full) {
        AppendJsonNumber(out, kAccessTimeKey, e.lastAccess.tv_sec);
        return;
    }
    AppendJsonUnsigned(out, "ino", std::uint64_t(e.inode));
    if (!isFolder && e.links > 1) {
        out += ",\"hlnkc\":true";
        AppendJsonUnsigned(out, "nlink", e.links);
    }
    AppendJsonUnsigned(out, "uid", e.owner);
    AppendJsonUnsigned(out, "gid", e.group);
    AppendJsonUnsigned(out, "mode", e.mode);
    AppendJsonNumber(out, "mtime", e.lastWrite.tv_sec);
    AppendJsonNumber(out, kAccessTimeKey, e.lastAccess.tv_sec);
    if (e.hasCreation)
        AppendJsonNumber(out, kBirthTimeKey, e.creation.tv_sec);
}

void ScanExporter::writePending() {
    if (m_pending.empty())
        return;
    m_out.buffer() += m_pending;
    m_out.buffer() += '}';
    m_pending.clear();
    m_out.written();
}

void ScanExporter::enterFolder(const FolderHandle& folder) {
    writePending();
    const bool root = !m_rootSeen;
    m_rootSeen = true;
    if (root)
        m_rootPath.assign(folder.path());
    ++m_entries;
    m_pending = root ? "[{\"name\":" : ",\n[{\"name\":";
    // The top folder is named by its whole path, as ncdu does.
    AppendJsonString(m_pending, root ? folder.path() : folder.name());
    const dev_t parent = m_devices.empty() ? dev_t(0) : m_devices.back();
    if (statFolder(folder.fd(), m_stats)) {
        appendStatistics(m_pending, m_stats, parent, true);
    } else {
        m_stats.device = folder.device();
        if (m_devices.empty() || folder.device() != parent)
            AppendJsonUnsigned(m_pending, "dev", std::uint64_t(folder.device()));
        if (m_full)
            AppendJsonUnsigned(m_pending, "ino", std::uint64_t(folder.inode()));
    }
    if (!root && isHidden(folder.name()))
        m_pending += ",\"hidden\":true";
    m_devices.push_back(folder.device());
}

void ScanExporter::file(const FolderHandle&, const FsEntry& entry) {
    writePending();
    ++m_entries;
    std::string& out = m_out.buffer();
    out += ",\n{\"name\":";
    AppendJsonString(out, entry.name);
    appendStatistics(out, entry, m_devices.empty() ? dev_t(0) : m_devices.back(), false);
    if (entry.attributes & faHidden)
        out += ",\"hidden\":true";
    if (!S_ISREG(entry.mode))
        out += ",\"notreg\":true";
    out += '}';
    m_out.written();
}

void ScanExporter::writeUnwalked(const FolderHandle& folder, std::string_view name, std::string_view flag) {
    writePending();
    ++m_entries;
    std::string& out = m_out.buffer();
    const bool known = StatEntry(folder, name, m_stats, true) == 0;
    // A file mount point is an excluded file, not a folder, and its size (the mounted file's) is
    // nobody's to count here.
    const bool isFolder = !known || S_ISDIR(m_stats.mode);
    out += isFolder ? ",\n[{\"name\":" : ",\n{\"name\":";
    AppendJsonString(out, name);
    if (known && isFolder)
        appendStatistics(out, m_stats, m_devices.empty() ? dev_t(0) : m_devices.back(), true);
    if (isHidden(name))
        out += ",\"hidden\":true";
    out += flag;
    out += isFolder ? "}]" : "}";
    m_out.written();
}

void ScanExporter::subFolderEntry(const FolderHandle& folder, std::string_view name) {
    // Every other sub-folder was written when it was entered or skipped.
    if (!m_full && isHidden(name))
        writeUnwalked(folder, name, ",\"excluded\":\"pattern\"");
}

void ScanExporter::leaveFolder(const FolderHandle&) {
    writePending();
    m_out.buffer() += ']';
    m_out.written();
    if (!m_devices.empty())
        m_devices.pop_back();
}

void ScanExporter::folderSkipped(const FolderHandle& folder, std::string_view name, int error) {
    if (name.empty()) {
        // The folder just entered could not be listed: its info says so. (A failure later on, the
        // way back lost, can no longer be marked; the walk has said it.)
        if (!m_pending.empty())
            m_pending += ",\"read_error\":true";
        return;
    }
    writeUnwalked(folder, name, error == EXDEV ? ",\"excluded\":\"otherfs\"" : ",\"read_error\":true");
}

void ScanExporter::entrySkipped(const FolderHandle&, std::string_view name, int) {
    writePending();
    ++m_entries;
    std::string& out = m_out.buffer();
    out += ",\n{\"name\":";
    AppendJsonString(out, name);
    out += ",\"read_error\":true}";
    m_out.written();
}

void ScanExporter::entryExcluded(const FolderHandle&, std::string_view name, bool isFolder, std::string_view rule) {
    writePending();
    ++m_entries;
    std::string& out = m_out.buffer();
    out += isFolder ? ",\n[{\"name\":" : ",\n{\"name\":";
    AppendJsonString(out, name);
    if (isHidden(name))
        out += ",\"hidden\":true";
    out += ",\"excluded\":\"pattern\"";
    if (!rule.empty()) {
        out += ",\"";
        out += kExcludeRuleKey;
        out += "\":";
        AppendJsonString(out, rule);
    }
    out += isFolder ? "}]" : "}";
    m_out.written();
}
