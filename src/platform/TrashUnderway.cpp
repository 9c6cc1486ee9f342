// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TrashUnderway.h"

#include "platform/StateFolder.h"
#include "platform/UniqueFd.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr char kFolder[] = "trashing";
constexpr char kInfoSuffix[] = ".trashinfo";
constexpr std::size_t kMostNoteBytes = 64 * 1024;

// This program's note file, made at its first move and locked until it ends.
struct Note {
    std::mutex mutex;
    bool tried = false;
    UniqueFd file;
    FolderHandle folder;
    std::string name;

    ~Note() {
        // A program that ends leaves nothing under way.
        if (file.valid() && folder.valid())
            ::unlinkat(folder.fd(), name.c_str(), 0);
    }

    bool open() {
        if (tried)
            return file.valid();
        tried = true;
        folder = OpenStateFolder(kFolder, true);
        if (!folder.valid())
            return false;
        unsigned char bits[8] = {};
        if (::getrandom(bits, sizeof bits, 0) != ssize_t(sizeof bits))
            return false;
        char text[64];
        std::snprintf(text, sizeof text, "%d-%02x%02x%02x%02x%02x%02x%02x%02x", int(::getpid()), bits[0],
                      bits[1], bits[2], bits[3], bits[4], bits[5], bits[6], bits[7]);
        name = text;
        file = UniqueFd(
            ::openat(folder.fd(), name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (file.valid() && ::flock(file.get(), LOCK_EX | LOCK_NB) != 0)
            file.reset();
        return file.valid();
    }
};

Note& note() {
    static Note n;
    return n;
}

// What a note holds: the trash folder, the record's name and identity, each ended by a NUL.
struct Noted {
    std::string trashFolder;
    std::string infoName;
    EntryIdentity record;
};

bool parse(const std::string& text, Noted& out) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t nul; (nul = text.find('\0', from)) != std::string::npos; from = nul + 1)
        parts.push_back(text.substr(from, nul - from));
    if (parts.size() != 4 || from != text.size())
        return false;
    std::uint64_t device = 0, inode = 0;
    auto number = [](const std::string& s, std::uint64_t& v) {
        const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), v);
        return error == std::errc() && end == s.data() + s.size();
    };
    if (!number(parts[2], device) || !number(parts[3], inode))
        return false;
    out = {parts[0], parts[1], {dev_t(device), ino_t(inode)}};
    // Only a record's name, of the trash's own info/ folder.
    return !out.infoName.empty() && out.infoName.find('/') == std::string::npos &&
           out.infoName.size() > sizeof kInfoSuffix - 1 && out.infoName.ends_with(kInfoSuffix) &&
           !out.trashFolder.empty() && out.trashFolder[0] == '/';
}

// Removes the noted record when it is still that record and its entry never reached files/.
bool removeLeftover(const Noted& noted) {
    const FolderHandle trash = FolderHandle::open(noted.trashFolder);
    if (!trash.valid())
        return false;
    const FolderHandle files = FolderHandle::openChild(trash, "files");
    const FolderHandle info = FolderHandle::openChild(trash, "info");
    if (!files.valid() || !info.valid())
        return false;
    const std::string entry = noted.infoName.substr(0, noted.infoName.size() - (sizeof kInfoSuffix - 1));
    struct stat st {};
    if (::fstatat(files.fd(), entry.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT)
        return false; // the move happened (or cannot be told): the record is that entry's
    if (::fstatat(info.fd(), noted.infoName.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
        st.st_dev != noted.record.device || st.st_ino != noted.record.inode)
        return false;
    return ::unlinkat(info.fd(), noted.infoName.c_str(), 0) == 0;
}

} // namespace

void TrashUnderway::noteRecord(const std::string& trashFolder, const std::string& infoName,
                               const EntryIdentity& record) {
    Note& n = note();
    std::lock_guard lock(n.mutex);
    if (!n.open())
        return;
    std::string text = trashFolder;
    text += '\0';
    text += infoName;
    text += '\0';
    text += std::to_string(std::uint64_t(record.device));
    text += '\0';
    text += std::to_string(std::uint64_t(record.inode));
    text += '\0';
    // Never fsynced: it has only to outlive the program, not the machine.
    if (::pwrite(n.file.get(), text.data(), text.size(), 0) != ssize_t(text.size()) ||
        ::ftruncate(n.file.get(), off_t(text.size())) != 0)
        (void)::ftruncate(n.file.get(), 0);
}

void TrashUnderway::settled() {
    Note& n = note();
    std::lock_guard lock(n.mutex);
    if (n.file.valid())
        (void)::ftruncate(n.file.get(), 0);
}

int TrashUnderway::clearLeftovers() {
    const FolderHandle folder = OpenStateFolder(kFolder, false);
    FolderListing listing;
    if (!folder.valid() || !ReadFolderNames(folder, listing))
        return 0;
    int removed = 0;
    for (std::size_t i = 0; i < listing.size(); ++i) {
        const std::string name(listing.name(i));
        UniqueFd file(::openat(folder.fd(), name.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat st {};
        // A note whose program still runs is locked (this program's own too).
        if (!file.valid() || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
            st.st_size > off_t(kMostNoteBytes) || ::flock(file.get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        std::string text(std::size_t(st.st_size), '\0');
        Noted noted;
        if (::pread(file.get(), text.data(), text.size(), 0) == ssize_t(text.size()) && parse(text, noted) &&
            removeLeftover(noted))
            ++removed;
        ::unlinkat(folder.fd(), name.c_str(), 0);
    }
    return removed;
}
