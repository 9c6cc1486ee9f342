// SPDX-License-Identifier: GPL-3.0-or-later
#include "BuildConfig.h"
#include "cli/CliOptions.h"

#include <gtest/gtest.h>

namespace {

struct Parsed {
    bool ok;
    CliOptions options;
    std::string error;
};

Parsed parse(const std::vector<std::string>& args) {
    Parsed p;
    p.ok = ParseCliOptions(args, p.options, p.error);
    return p;
}

} // namespace

TEST(CliOptions, DoubleDashEndsTheOptionsHelpIncluded) {
    Parsed folder = parse({"hogs", "--", "--help", "-h", "--larger"});
    ASSERT_TRUE(folder.ok) << folder.error;
    EXPECT_FALSE(folder.options.help);
    EXPECT_EQ(folder.options.folders, (std::vector<std::string>{"--help", "-h", "--larger"}));

    EXPECT_TRUE(parse({"hogs", "x", "--help"}).options.help);
    EXPECT_TRUE(parse({"-h"}).options.help);
    EXPECT_TRUE(parse({"dups", "--bogus", "--help"}).options.help); // help before "--" still wins

    // An option's value is never taken for help.
    Parsed pattern = parse({"dups", "--match", "--help", "--between", "1", "-h", "x"});
    EXPECT_FALSE(pattern.ok); // "-h" is the second size there, not a number
    Parsed value = parse({"dups", "--match", "--help", "x"});
    ASSERT_TRUE(value.ok);
    EXPECT_FALSE(value.options.help);
    EXPECT_EQ(value.options.criteria.pattern, "--help");
    EXPECT_EQ(value.options.folders, std::vector<std::string>{"x"});
}

TEST(CliOptions, EmptyFolderAndOversizedLimitsAreRefused) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"hogs", ""},
                                                 std::vector<std::string>{"hogs", "a", "--", ""}}) {
        Parsed p = parse(args);
        EXPECT_FALSE(p.ok);
        EXPECT_EQ(p.error, "an empty FOLDER argument names no folder");
    }
    const std::string most = "9007199254740991"; // the largest K whose bytes fit in 64 bits
    Parsed top = parse({"hogs", "--larger", most, "x"});
    ASSERT_TRUE(top.ok) << top.error;
    EXPECT_EQ(top.options.criteria.limit1K, 9007199254740991);
    EXPECT_EQ(parse({"hogs", "--smaller", "000000000000000000000000250", "x"}).options.criteria.limit1K, 250);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"hogs", "--larger", "9007199254740992", "x"},
          std::vector<std::string>{"hogs", "--between", "1", "99999999999999999999999", "x"},
          std::vector<std::string>{"dups", "--smaller", "18446744073709551617", "x"}}) {
        Parsed p = parse(args);
        EXPECT_FALSE(p.ok);
        EXPECT_NE(p.error.find("K is more bytes than a file can have (at most 9007199254740991 K)"), std::string::npos)
            << p.error;
    }
    Parsed mixed = parse({"hogs", "--larger", "99999999999999999999x", "x"});
    EXPECT_EQ(mixed.error, "--larger 99999999999999999999x: the unit must be K, M, G or T");
}

TEST(CliOptions, VersionIsAskedLikeHelpAndTheFirstOfThemWins) {
    Parsed version = parse({"--version"});
    ASSERT_TRUE(version.ok);
    EXPECT_TRUE(version.options.version);
    EXPECT_FALSE(version.options.help);
    EXPECT_TRUE(parse({"dups", "--bogus", "--version"}).options.version);
    EXPECT_TRUE(parse({"--version", "--help"}).options.version);
    EXPECT_TRUE(parse({"--help", "--version"}).options.help);
    EXPECT_FALSE(parse({"--help", "--version"}).options.version);
    // A folder after "--" and a pattern are never taken for it.
    Parsed folder = parse({"hogs", "--", "--version"});
    ASSERT_TRUE(folder.ok);
    EXPECT_FALSE(folder.options.version);
    Parsed pattern = parse({"dups", "--match", "--version", "x"});
    ASSERT_TRUE(pattern.ok);
    EXPECT_FALSE(pattern.options.version);
    EXPECT_EQ(pattern.options.criteria.pattern, "--version");
    // The line names the tool and the build's one version.
    EXPECT_EQ(std::string(CliVersion()), std::string("vantorel-cli (Vantorel '95) ") + VANTOREL_VERSION + "\n");
}

// Every walking command takes a thread count; the file tools walk nothing and refuse it.
TEST(CliOptions, ThreadsOfEveryWalkingCommand) {
    for (const char* command : {"dups", "hogs", "folders", "stats"}) {
        Parsed p = parse({command, "--threads", "8", "x"});
        ASSERT_TRUE(p.ok) << command << ": " << p.error;
        EXPECT_EQ(p.options.threads, 8);
    }
    EXPECT_EQ(parse({"dates", "--created", "--after", "2000-01-01", "--threads", "064", "x"}).options.threads, 64);
    EXPECT_EQ(parse({"hogs", "x"}).options.threads, 0); // not given: the environment's or the processors'
    EXPECT_EQ(parse({"hogs", "--threads", "--help"}).options.help, false); // a value, not a request for help
    for (const char* wrong : {"0", "65", "1000", "-1", "two", ""}) {
        Parsed p = parse({"hogs", "--threads", wrong, "x"});
        EXPECT_FALSE(p.ok) << wrong;
        EXPECT_EQ(p.error, std::string("--threads needs a whole number from 1 to 64, not '") + wrong + "'");
    }
    EXPECT_EQ(parse({"hogs", "x", "--threads"}).error, "--threads needs a value");
    EXPECT_EQ(parse({"view", "--threads", "2", "x"}).error,
              "unknown option '--threads': view takes --hex, --from, --count, --total, --json (see view --help)");
}
