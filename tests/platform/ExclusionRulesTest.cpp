// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ExclusionRules.h"
#include "platform/FolderHandle.h"
#include "support/TempTree.h"

#include <fnmatch.h>
#include <gtest/gtest.h>
#include <locale.h>
#include <sys/stat.h>

namespace {

// fnmatch(3) without flags in a UTF-8 locale: what ncdu's patterns match.
bool Fnmatch(const std::string& pattern, const std::string& name) {
    const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
    const locale_t old = uselocale(utf8);
    const bool match = ::fnmatch(pattern.c_str(), name.c_str(), 0) == 0;
    uselocale(old);
    freelocale(utf8);
    return match;
}

bool Glob(const std::string& pattern, const std::string& name) {
    GlobPattern glob;
    EXPECT_TRUE(glob.compile(pattern)) << pattern;
    return glob.matches(name);
}

TEST(GlobPatternTest, MatchesAsFnmatchDoes) {
    const std::vector<std::string> patterns = {
        "*.o", "node_modules", "build*", "*", "?", "??.txt", "a*b*c", "*~", ".*", "*.[ch]", "[!a]*",
        "[^a]*", "[]x]", "[a-c]x", "[[:digit:]]*", "[[:upper:]][[:lower:]]*", "\\*", "a\\?b", "*.tar.*",
        "é?", "?é", "[é]", "[à-ü]", "x[-a]", "[a-]z", "*a*a*a*b", "CACHEDIR.TAG", "core.[0-9]*"};
    const std::vector<std::string> names = {
        "main.o",  "main.O", "node_modules", "Node_modules", "building", "build", "b",  "ab.txt",  "a.txt",
        "axbyc",   "ac",     "notes~",       ".hidden",      "x.c",      "x.h",   "x.cc", "apple", "pear",
        "]",       "x",      "bx",           "dx",           "7up",      "Hello", "HELLO", "*",    "a?b",
        "axb",     "f.tar.gz", "é1",         "éé",           "é",        "ö",     "x-",   "-z",    "zz",
        "aaaaaaaaab", "aaaaaaaaac", "CACHEDIR.TAG", "core.123", "core.x", "", ".", "a b"};
    for (const std::string& pattern : patterns)
        for (const std::string& name : names)
            EXPECT_EQ(Glob(pattern, name), Fnmatch(pattern, name)) << "pattern " << pattern << " name " << name;
}

TEST(GlobPatternTest, CaseCountsAndBytesThatAreNoUtf8MatchAsThemselves) {
    EXPECT_FALSE(Glob("*.o", "MAIN.O"));
    EXPECT_FALSE(Glob("Build", "build"));
    const std::string latin1 = "caf\xe9.o"; // not UTF-8
    EXPECT_TRUE(Glob("*.o", latin1));
    EXPECT_TRUE(Glob("caf?.o", latin1));
    EXPECT_TRUE(Glob("caf\xe9*", latin1));
    EXPECT_FALSE(Glob("caf[a-z].o", latin1));
    EXPECT_TRUE(Glob("[!a-z]", "\xe9"));
    // "?" takes a whole UTF-8 character, never half of one.
    EXPECT_TRUE(Glob("caf?.o", "café.o"));
    EXPECT_FALSE(Glob("caf??.o", "café.o"));
}

TEST(GlobPatternTest, RefusesWhatFnmatchWouldReadOtherwise) {
    std::string why;
    for (const char* bad : {"[", "a[b", "[]", "[!]", "x[[:alpha:]", "[[:nosuch:]]"}) {
        GlobPattern glob;
        EXPECT_FALSE(glob.compile(bad, &why)) << bad;
        EXPECT_FALSE(why.empty());
    }
    GlobPattern glob;
    EXPECT_FALSE(glob.compile("a[b", &why));
    EXPECT_EQ(why, "unbalanced [");
    EXPECT_TRUE(glob.compile("\\[", &why));
    EXPECT_TRUE(glob.matches("["));
}

TEST(ExclusionRulesTest, RefusesBadPatternsWithTheirReason) {
    ExclusionRules rules;
    std::string why;
    EXPECT_FALSE(rules.add("", &why));
    EXPECT_FALSE(rules.add("/", &why));
    EXPECT_FALSE(rules.add("///", &why));
    EXPECT_FALSE(rules.add("src/[ab", &why));
    EXPECT_EQ(why, "unbalanced [");
    EXPECT_FALSE(rules.hasPatterns());
    EXPECT_TRUE(rules.add("*.o", &why));
    EXPECT_EQ(rules.patterns(), std::vector<std::string>{"*.o"});
}

TEST(ExclusionRulesTest, NamePathAndFolderPatterns) {
    ExclusionRules rules;
    for (const char* p : {"*.o", "/backup/*", "src/gen", "tmp/", "a/*/c"})
        ASSERT_TRUE(rules.add(p));
    const ExclusionRules::Place top = rules.top();
    using R = ExclusionRules::Rule;
    // Names anywhere.
    EXPECT_EQ(rules.excludes(top, "x.o", false), R(0));
    const ExclusionRules::Place deep = rules.below(rules.below(top, "p"), "q");
    EXPECT_EQ(rules.excludes(deep, "x.o", false), R(0));
    // A path pattern is anchored at the scanned folder, with or without its leading "/".
    EXPECT_EQ(rules.excludes(top, "backup", true), ExclusionRules::None);
    const ExclusionRules::Place backup = rules.below(top, "backup");
    EXPECT_EQ(rules.excludes(backup, "old", true), R(1));
    EXPECT_EQ(rules.excludes(rules.below(top, "src"), "gen", true), R(2));
    EXPECT_EQ(rules.excludes(rules.below(rules.below(top, "x"), "src"), "gen", true), ExclusionRules::None);
    EXPECT_EQ(rules.excludes(rules.below(backup, "old"), "z", false), ExclusionRules::None);
    // "*" stays within one folder.
    const ExclusionRules::Place ab = rules.below(rules.below(top, "a"), "b");
    EXPECT_EQ(rules.excludes(ab, "c", false), R(4));
    EXPECT_EQ(rules.excludes(rules.below(ab, "b2"), "c", false), ExclusionRules::None);
    // A trailing "/" leaves out folders only.
    EXPECT_EQ(rules.excludes(deep, "tmp", true), R(3));
    EXPECT_EQ(rules.excludes(deep, "tmp", false), ExclusionRules::None);
    // Below the depth of every path pattern nothing is carried.
    EXPECT_TRUE(rules.below(rules.below(ab, "z"), "y").paths.empty());
    EXPECT_EQ(rules.text(rules.cacheRule()), "CACHEDIR.TAG");
}

TEST(ExclusionRulesTest, CacheTagNeedsTheSignatureInARegularFile) {
    TempTree tree;
    const std::string sig(ExclusionRules::CacheTagSignature);
    tree.file("good/CACHEDIR.TAG", 0);
    tree.folder("bad");
    tree.folder("short");
    tree.folder("fifo");
    tree.folder("link");
    tree.folder("dir/CACHEDIR.TAG");
    auto write = [&](const std::string& rel, const std::string& text) {
        FILE* f = std::fopen(tree.path(rel).c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs(text.c_str(), f);
        std::fclose(f);
    };
    write("good/CACHEDIR.TAG", sig + "\n# made by a build tool\n");
    write("bad/CACHEDIR.TAG", "Signature: 8a477f597d28d172789f06886806bc5X\n");
    write("short/CACHEDIR.TAG", sig.substr(0, 20));
    ASSERT_EQ(::mkfifo(tree.path("fifo/CACHEDIR.TAG").c_str(), 0644), 0);
    tree.symlink("link/CACHEDIR.TAG", "../good/CACHEDIR.TAG");
    auto holds = [&](const std::string& rel) { return HoldsCacheTag(FolderHandle::open(tree.path(rel))); };
    EXPECT_TRUE(holds("good"));
    EXPECT_FALSE(holds("bad"));
    EXPECT_FALSE(holds("short"));
    EXPECT_FALSE(holds("fifo")); // and without waiting for a writer
    EXPECT_FALSE(holds("link"));
    EXPECT_FALSE(holds("dir"));
}

} // namespace
