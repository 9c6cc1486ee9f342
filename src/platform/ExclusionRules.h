// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/GlobPattern.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class FolderHandle;

// What a walk leaves out: neither listed nor counted, and said (FolderVisitor::entryExcluded).
// A rule is a pattern or the cache rule:
// - a pattern without "/" (but for a last one) is matched against the name of every entry at any
//   depth ("*.o", "node_modules");
// - a pattern with a "/" before its end is matched against the path below the scanned folder, one
//   part of the pattern per folder ("*" never takes a "/"), anchored at the scanned folder whether
//   or not it begins with "/" ("/backup/*", "src/*.tmp"), as rsync and .gitignore read such patterns;
// - a pattern ending in "/" only leaves out folders;
// - the cache rule leaves out a folder below the scanned one that holds a CACHEDIR.TAG file
//   beginning with the standard signature.
// Parts are GlobPattern globs: fnmatch's rules, letter case counting. An excluded folder is not
// entered, so nothing below it is looked at.
class ExclusionRules {
public:
    using Rule = std::uint16_t;
    static constexpr Rule None = 0xFFFF;
    // At most this many patterns (a rule is a 16-bit number; the last ones are kept for the cache
    // rule and None).
    static constexpr std::size_t MostPatterns = 60'000;
    static constexpr std::string_view CacheTagName = "CACHEDIR.TAG";
    static constexpr std::string_view CacheTagSignature = "Signature: 8a477f597d28d172789f06886806bc55";

    // Adds pattern; false (nothing added) with the reason in *error for a bad one: empty, only "/",
    // an unbalanced "[" or an unknown character class, too many patterns.
    bool add(std::string_view pattern, std::string* error = nullptr);
    void setCaches(bool on) { m_caches = on; }

    bool caches() const { return m_caches; }
    bool hasPatterns() const { return !m_patterns.empty(); }
    bool empty() const { return m_patterns.empty() && !m_caches; }
    // The patterns as given, in order.
    std::vector<std::string> patterns() const;
    // What a rule is, as the user would recognise it: the pattern, or "CACHEDIR.TAG".
    std::string_view text(Rule rule) const;
    Rule cacheRule() const { return Rule(m_patterns.size()); }
    // Some pattern depends on whether an entry is a folder: its type has to be known even where the
    // walk would not otherwise ask.
    bool needsTypes() const { return m_foldersOnly; }

    // Where a folder of a walk stands: its depth below the scanned folder (0 for it) and the path
    // patterns whose first parts its path has matched so far. Empty when no path pattern can match
    // below it, which is the usual case.
    struct Place {
        std::uint32_t depth = 0;
        std::vector<Rule> paths;
    };
    Place top() const;
    // The place of the sub-folder name of a folder at place.
    Place below(const Place& place, std::string_view name) const;
    // The first rule that leaves out the entry name of a folder at place (None: it is kept).
    Rule excludes(const Place& place, std::string_view name, bool isFolder) const;

private:
    struct Pattern {
        std::string text;
        std::vector<GlobPattern> parts; // one for a name pattern
        bool anchored = false;          // a path pattern
        bool foldersOnly = false;
    };
    bool partMatches(const Pattern& p, std::size_t part, std::string_view name, bool isFolder) const;

    std::vector<Pattern> m_patterns;
    // Name patterns, in order, by the byte their names must end with (most patterns have one), and
    // those whose names may end with any: a name is tried only against the patterns it can match.
    std::array<std::vector<Rule>, 256> m_namedByLast;
    std::vector<Rule> m_namedAnyLast;
    std::vector<Rule> m_anchored; // path patterns, in order
    bool m_caches = false;
    bool m_foldersOnly = false;
};

// Adds the patterns of a file, one a line (LF or CR LF), passing over empty lines and lines that
// begin with "#". The file must be a regular file (a folder, FIFO or device is refused at once,
// never waited on) of at most MostPatternFileBytes. False with the reason in *error (the line's
// number and text for a bad pattern); the rules then hold the patterns before it.
constexpr std::size_t MostPatternFileBytes = std::size_t(16) << 20;
bool AddPatternsFromFile(ExclusionRules& rules, const std::string& path, std::string* error);

// True when folder holds a CACHEDIR.TAG that is a regular file beginning with the signature. The file
// is opened without following a link and without blocking (a FIFO of that name says no at once).
bool HoldsCacheTag(const FolderHandle& folder);

// The rules every walk applies unless it is given its own: the command line's options or the user's
// setting. nullptr: none. Safe to call from any thread.
std::shared_ptr<const ExclusionRules> WalkExclusions();
void SetWalkExclusions(std::shared_ptr<const ExclusionRules> rules);
