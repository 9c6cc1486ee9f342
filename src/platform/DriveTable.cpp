// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DriveTable.h"

#include "common/DisplayText.h"
#include "platform/AppError.h"
#include "platform/MountInfo.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace {

constexpr int kMaxDrives = 24; // C: to Z:

using Mount = MountEntry;

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// udev writes the unsafe bytes of a label link's name as "\x" and two hex digits.
std::string UnescapeHex(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' && HexValue(text[i + 2]) >= 0 &&
            HexValue(text[i + 3]) >= 0) {
            out += char(HexValue(text[i + 2]) * 16 + HexValue(text[i + 3]));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string RealPath(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return path;
    std::string out(resolved);
    std::free(resolved);
    return out;
}

// The volume labels of the block devices that have one, by the device's own path.
std::map<std::string, QString> ReadLabels() {
    std::map<std::string, QString> labels;
    const std::string folder = "/dev/disk/by-label";
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return labels;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        labels[RealPath(folder + "/" + name)] = DisplayText(UnescapeHex(name));
    }
    ::closedir(dir);
    return labels;
}

QChar UpperLetter(QChar letter) {
    const char16_t c = letter.unicode();
    return (c >= u'a' && c <= u'z') ? QChar(char16_t(c - (u'a' - u'A'))) : letter;
}

bool IsDriveLetter(QChar letter) { return letter >= u'A' && letter <= u'Z'; }

} // namespace

QString Drive::itemText() const {
    QString text = QString(letter) + u':';
    if (!label.isEmpty())
        text += QStringLiteral(" [") + label + u']';
    return text + u' ' + DisplayText(mountPoint);
}

QString Drive::caption() const { return itemText().left(2); }

std::vector<Drive> DriveTable::fromMountInfo(std::string_view mountInfo,
                                             const std::function<bool(const std::string&)>& isFolder,
                                             const std::function<QString(const std::string&)>& labelOf) {
    const std::vector<Mount> mounts = ParseMountInfo(mountInfo);

    std::vector<Drive> drives;
    std::string rootDevice;
    QString rootLabel;
    for (const Mount& m : mounts)
        if (m.mountPoint == "/") {
            rootDevice = m.device;
            rootLabel = labelOf ? labelOf(m.source) : QString();
        }
    drives.push_back(Drive{QChar(u'C'), "/", rootLabel});

    std::vector<const Mount*> candidates;
    for (const Mount& m : mounts)
        if (m.mountPoint != "/" && m.device != rootDevice && IsRealFilesystem(m) && (!isFolder || isFolder(m.mountPoint)))
            candidates.push_back(&m);
    std::sort(candidates.begin(), candidates.end(),
              [](const Mount* a, const Mount* b) { return a->mountPoint < b->mountPoint; });

    // One drive per filesystem: its mount of the whole filesystem when there is one, else its first
    // mount in mount-point order.
    std::map<std::string, const Mount*> byDevice;
    for (const Mount* m : candidates) {
        auto [it, added] = byDevice.emplace(m->device, m);
        if (!added && it->second->root != "/" && m->root == "/")
            it->second = m;
    }
    std::vector<const Mount*> chosen;
    for (const auto& entry : byDevice)
        chosen.push_back(entry.second);
    std::sort(chosen.begin(), chosen.end(),
              [](const Mount* a, const Mount* b) { return a->mountPoint < b->mountPoint; });

    for (const Mount* m : chosen) {
        if (int(drives.size()) >= kMaxDrives)
            break;
        const QChar letter(char16_t(u'C' + drives.size()));
        drives.push_back(Drive{letter, WithoutTrailingSlash(m->mountPoint), labelOf ? labelOf(m->source) : QString()});
    }
    return drives;
}

std::vector<Drive> DriveTable::fromOverride(std::string_view value) {
    std::vector<Drive> drives;
    std::size_t start = 0;
    while (start <= value.size()) {
        std::size_t end = value.find(';', start);
        if (end == std::string_view::npos)
            end = value.size();
        const std::string_view piece = value.substr(start, end - start);
        start = end + 1;
        if (piece.size() < 3 || piece[1] != '=')
            continue;
        const QChar letter = UpperLetter(QChar(char16_t(static_cast<unsigned char>(piece[0]))));
        if (!IsDriveLetter(letter))
            continue;
        if (std::any_of(drives.begin(), drives.end(), [&](const Drive& d) { return d.letter == letter; }))
            continue;
        drives.push_back(Drive{letter, WithoutTrailingSlash(std::string(piece.substr(2))), QString()});
    }
    std::sort(drives.begin(), drives.end(), [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
    return drives;
}

std::vector<Drive> DriveTable::load() {
    const char* override = std::getenv("VANTOREL_DRIVES");
    if (override && *override)
        return fromOverride(override);

    std::ifstream file("/proc/self/mountinfo");
    std::stringstream text;
    text << file.rdbuf();
    const std::map<std::string, QString> labels = ReadLabels();
    return fromMountInfo(text.str(), IsFolder, [&labels](const std::string& source) {
        if (source.rfind("/dev/", 0) != 0)
            return QString();
        const auto it = labels.find(RealPath(source));
        return it == labels.end() ? QString() : it->second;
    });
}

int DriveTable::indexOfPath(const std::vector<Drive>& drives, const std::string& path) {
    int best = -1;
    std::size_t bestLength = 0;
    for (std::size_t i = 0; i < drives.size(); ++i) {
        const std::string& mp = drives[i].mountPoint;
        const bool inside = mp == "/" ? path.rfind('/', 0) == 0
                                      : path.rfind(mp, 0) == 0 && (path.size() == mp.size() || path[mp.size()] == '/');
        if (inside && (best < 0 || mp.size() > bestLength)) {
            best = int(i);
            bestLength = mp.size();
        }
    }
    return best;
}

std::optional<Drive> DriveTable::find(QChar letter) {
    letter = UpperLetter(letter);
    for (const Drive& d : load())
        if (d.letter == letter)
            return d;
    return std::nullopt;
}

namespace {
std::optional<Drive> CheckedDrive(QChar letter) {
    letter = UpperLetter(letter);
    if (!IsDriveLetter(letter))
        throw AppError(QStringLiteral("Not a valid drive ID"));
    return DriveTable::find(letter);
}
} // namespace

bool DriveReady(QChar letter) {
    const std::optional<Drive> drive = CheckedDrive(letter);
    struct statvfs st {};
    return drive && ::statvfs(drive->mountPoint.c_str(), &st) == 0;
}

DriveSpace SpaceOfStatvfs(const struct statvfs& st) {
    // f_frsize is the unit in which the filesystem counts (and allocates) its blocks; f_bsize is
    // only the preferred transfer size, which some filesystems (NFS, ZFS) set far larger.
    const std::int64_t unit = st.f_frsize ? std::int64_t(st.f_frsize) : std::int64_t(st.f_bsize);
    // Some filesystems report more available than free blocks: then nothing is reserved.
    const std::uint64_t freeBlocks = std::min<std::uint64_t>(st.f_bfree, st.f_blocks);
    const std::uint64_t available = std::min<std::uint64_t>(st.f_bavail, freeBlocks);
    DriveSpace space;
    space.freeBytes = std::int64_t(st.f_bavail) * unit; // what the user may still write
    space.totalBytes = std::int64_t(st.f_blocks) * unit;
    space.clusterBytes = unit;
    space.usedBytes = std::int64_t(st.f_blocks - freeBlocks) * unit;
    space.reservedBytes = std::int64_t(freeBlocks - available) * unit;
    return space;
}

std::optional<DriveSpace> DriveSpaceOf(QChar letter) {
    const std::optional<Drive> drive = CheckedDrive(letter);
    struct statvfs st {};
    if (!drive || ::statvfs(drive->mountPoint.c_str(), &st) != 0)
        return std::nullopt;
    return SpaceOfStatvfs(st);
}

std::optional<DriveSpace> DriveSpaceOfFolder(const FolderHandle& folder) {
    struct statvfs st {};
    if (!folder.valid() || ::fstatvfs(folder.fd(), &st) != 0)
        return std::nullopt;
    return SpaceOfStatvfs(st);
}
