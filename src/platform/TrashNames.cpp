// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TrashNames.h"

#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unordered_map>

namespace {

// So many names remembered at most; past that the memory starts afresh (it is only a hint).
constexpr std::size_t kRememberedNames = 4096;
// A stem cut shorter than this would leave too little of the name: then the extension gives way.
constexpr std::size_t kShortestStem = 4;

// The greatest cut at or before at that does not split a UTF-8 character. A character has at most
// three continuation bytes; a name that is not UTF-8 there is cut where it must be.
std::size_t characterBoundary(const std::string& text, std::size_t at) {
    for (std::size_t back = 0; back <= 3 && back <= at; ++back) {
        if ((static_cast<unsigned char>(text[at - back]) & 0xC0) != 0x80)
            return at - back;
    }
    return at;
}

struct Memory {
    std::mutex lock;
    std::unordered_map<std::string, std::uint64_t> lastNumber;
};

Memory& memory() {
    static Memory instance;
    return instance;
}

// The trash (by its info folder's device and inode) and the name, as one key; a name holds no '/'.
bool keyOf(int infoFolder, const std::string& name, std::string& key) {
    struct stat st {};
    if (::fstat(infoFolder, &st) != 0)
        return false;
    key = std::to_string(st.st_dev) + ':' + std::to_string(st.st_ino) + '/' + name;
    return true;
}

} // namespace

std::string TrashNames::candidate(const std::string& name, std::uint64_t n) {
    const std::string number = n > 1 ? '.' + std::to_string(n) : std::string();
    const std::size_t firstDot = name.find('.');
    const std::size_t at = firstDot == std::string::npos ? name.size() : firstDot;
    if (name.size() + number.size() <= longest)
        return name.substr(0, at) + number + name.substr(at);
    const std::size_t room = longest - number.size();
    // The extension from the first dot, as in the short names, or else the last one alone.
    for (const std::size_t dot : {firstDot, name.rfind('.')}) {
        if (dot == std::string::npos || name.size() - dot + kShortestStem > room)
            continue;
        return name.substr(0, characterBoundary(name, room - (name.size() - dot))) + number +
               name.substr(dot);
    }
    return name.substr(0, characterBoundary(name, room)) + number;
}

std::uint64_t TrashNames::firstCollisionNumber(int infoFolder, const std::string& name) {
    std::string key;
    if (!keyOf(infoFolder, name, key))
        return 2;
    std::uint64_t last = 0;
    {
        Memory& m = memory();
        const std::lock_guard<std::mutex> hold(m.lock);
        const auto found = m.lastNumber.find(key);
        if (found == m.lastNumber.end())
            return 2;
        last = found->second;
    }
    const std::string record = candidate(name, last) + ".trashinfo";
    struct stat st {};
    return ::fstatat(infoFolder, record.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 ? last + 1 : 2;
}

void TrashNames::remember(int infoFolder, const std::string& name, std::uint64_t n) {
    std::string key;
    if (n < 2 || !keyOf(infoFolder, name, key))
        return;
    Memory& m = memory();
    const std::lock_guard<std::mutex> hold(m.lock);
    if (m.lastNumber.size() >= kRememberedNames && !m.lastNumber.contains(key))
        m.lastNumber.clear();
    m.lastNumber[key] = n;
}
