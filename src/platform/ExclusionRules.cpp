// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ExclusionRules.h"

#include "platform/FolderHandle.h"
#include "platform/OpenForReading.h"
#include "platform/UniqueFd.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::mutex g_walkExclusionsLock;
std::shared_ptr<const ExclusionRules> g_walkExclusions;

} // namespace

bool ExclusionRules::add(std::string_view pattern, std::string* error) {
    auto refuse = [&](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    if (pattern.empty())
        return refuse("an empty pattern");
    if (pattern.find_first_not_of('/') == std::string_view::npos)
        return refuse("a pattern of only \"/\" would leave out everything");
    if (m_patterns.size() >= MostPatterns)
        return refuse("too many patterns");
    Pattern p;
    p.text.assign(pattern);
    std::string_view rest = pattern;
    if (rest.back() == '/') {
        p.foldersOnly = true;
        while (!rest.empty() && rest.back() == '/')
            rest.remove_suffix(1);
    }
    p.anchored = rest.find('/') != std::string_view::npos;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (part.empty())
            continue; // "/" at the start, or "//": the same folder
        GlobPattern glob;
        std::string why;
        if (!glob.compile(part, &why))
            return refuse(why);
        p.parts.push_back(std::move(glob));
    }
    const Rule rule = Rule(m_patterns.size());
    if (p.anchored) {
        m_anchored.push_back(rule);
    } else {
        const int last = p.parts.front().lastByte();
        (last < 0 ? m_namedAnyLast : m_namedByLast[std::size_t(last)]).push_back(rule);
    }
    m_foldersOnly = m_foldersOnly || p.foldersOnly;
    m_patterns.push_back(std::move(p));
    return true;
}

std::vector<std::string> ExclusionRules::patterns() const {
    std::vector<std::string> out;
    out.reserve(m_patterns.size());
    for (const Pattern& p : m_patterns)
        out.push_back(p.text);
    return out;
}

std::string_view ExclusionRules::text(Rule rule) const {
    if (rule < m_patterns.size())
        return m_patterns[rule].text;
    return rule == cacheRule() ? CacheTagName : std::string_view();
}

ExclusionRules::Place ExclusionRules::top() const {
    Place place;
    place.paths = m_anchored;
    return place;
}

bool ExclusionRules::partMatches(const Pattern& p, std::size_t part, std::string_view name, bool isFolder) const {
    if (part + 1 == p.parts.size() && p.foldersOnly && !isFolder)
        return false;
    return p.parts[part].matches(name);
}

ExclusionRules::Place ExclusionRules::below(const Place& place, std::string_view name) const {
    Place child;
    child.depth = place.depth + 1;
    for (Rule rule : place.paths) {
        const Pattern& p = m_patterns[rule];
        // Only a pattern with parts left below this one can still match deeper down.
        if (p.parts.size() > child.depth && p.parts[place.depth].matches(name))
            child.paths.push_back(rule);
    }
    return child;
}

ExclusionRules::Rule ExclusionRules::excludes(const Place& place, std::string_view name, bool isFolder) const {
    Rule found = None;
    if (!name.empty()) {
        for (Rule rule : m_namedByLast[static_cast<unsigned char>(name.back())]) {
            if (partMatches(m_patterns[rule], 0, name, isFolder)) {
                found = rule;
                break;
            }
        }
    }
    for (Rule rule : m_namedAnyLast) {
        if (rule >= found)
            break; // the first rule in the user's order is the one named
        if (partMatches(m_patterns[rule], 0, name, isFolder)) {
            found = rule;
            break;
        }
    }
    for (Rule rule : place.paths) {
        if (rule >= found)
            break; // the first rule in the user's order is the one named
        const Pattern& p = m_patterns[rule];
        if (p.parts.size() == std::size_t(place.depth) + 1 && partMatches(p, place.depth, name, isFolder)) {
            found = rule;
            break;
        }
    }
    return found;
}

bool AddPatternsFromFile(ExclusionRules& rules, const std::string& path, std::string* error) {
    auto refuse = [&](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    const RegularFileOpen opened = OpenRegularFile(path);
    const UniqueFd fd(opened.fd);
    if (opened.notRegular)
        return refuse("not a regular file");
    if (!fd.valid())
        return refuse(std::strerror(opened.error));
    std::string text;
    char block[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return refuse(std::strerror(errno));
        if (n == 0)
            break;
        if (text.size() + std::size_t(n) > MostPatternFileBytes)
            return refuse("larger than " + std::to_string(MostPatternFileBytes >> 20) + " MiB");
        text.append(block, std::size_t(n));
    }
    std::size_t lineNumber = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string_view line(text.data() + at, end - at);
        at = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line[0] == '#')
            continue;
        std::string why;
        if (!rules.add(line, &why))
            return refuse("line " + std::to_string(lineNumber) + ": '" + std::string(line) + "': " + why);
    }
    return true;
}

bool HoldsCacheTag(const FolderHandle& folder) {
    constexpr std::string_view signature = ExclusionRules::CacheTagSignature;
    const UniqueFd fd(OpenForReading(folder.fd(), std::string(ExclusionRules::CacheTagName).c_str(),
                                     O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    char buffer[signature.size()];
    std::size_t got = 0;
    while (got < sizeof buffer) {
        const ssize_t n = ::read(fd.get(), buffer + got, sizeof buffer - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        got += std::size_t(n);
    }
    return std::string_view(buffer, got) == signature;
}

std::shared_ptr<const ExclusionRules> WalkExclusions() {
    std::lock_guard lock(g_walkExclusionsLock);
    return g_walkExclusions;
}

void SetWalkExclusions(std::shared_ptr<const ExclusionRules> rules) {
    std::lock_guard lock(g_walkExclusionsLock);
    g_walkExclusions = rules && !rules->empty() ? std::move(rules) : nullptr;
}
