// SPDX-License-Identifier: GPL-3.0-or-later
#include "BuildConfig.h"
#include "cli/CliOptions.h"

#include <algorithm>
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

// Sizes take binary units and fractions, exact to the byte: a lower limit rounds up, an upper down.
TEST(CliOptions, SizesWithUnitsAreExactToTheByte) {
    const auto bytes = [](std::vector<std::string> args) {
        args.push_back("x");
        const Parsed p = parse(args);
        EXPECT_TRUE(p.ok) << p.error;
        return std::pair(p.options.criteria.limit1Bytes, p.options.criteria.limit2Bytes);
    };
    EXPECT_EQ(bytes({"hogs", "--larger", "250"}).first, 250 * 1024); // a bare number is K
    EXPECT_EQ(bytes({"hogs", "--larger", "500K"}).first, 500 * 1024);
    EXPECT_EQ(bytes({"hogs", "--larger", "1.5M"}).first, 1536 * 1024);
    EXPECT_EQ(bytes({"hogs", "--larger", "2g"}).first, std::int64_t(2) << 30);
    EXPECT_EQ(bytes({"dupfolders", "--smaller", "1T"}).first, std::int64_t(1) << 40);
    EXPECT_EQ(bytes({"hogs", "--larger", "0.1K"}).first, 103); // 102.4 bytes or more
    EXPECT_EQ(bytes({"hogs", "--smaller", "0.1K"}).first, 102);
    EXPECT_EQ(bytes({"dups", "--between", ".5K", "1.25K"}), (std::pair<std::int64_t, std::int64_t>(512, 1280)));
    EXPECT_EQ(parse({"hogs", "--larger", "1.5M", "x"}).options.criteria.limit1K, 1536);

    const std::pair<std::vector<std::string>, std::string> wrong[] = {
        {{"hogs", "--larger", "1.5", "x"}, "--larger 1.5: a number with a fraction needs a unit (K, M, G or T)"},
        {{"hogs", "--larger", "-1M", "x"}, "--larger -1M: a size cannot be negative"},
        {{"hogs", "--smaller", "5KB", "x"}, "--smaller 5KB: the unit must be K, M, G or T"},
        {{"hogs", "--smaller", "5P", "x"}, "--smaller 5P: the unit must be K, M, G or T"},
        {{"hogs", "--larger", "M", "x"}, "--larger needs a size: a whole number of K, or a number with K, M, G or T "
                                         "(500K, 1.5M, 2G), not 'M'"},
        {{"hogs", "--larger", "8388608T", "x"}, "--larger 8388608T is more bytes than a file can have (at most "
                                                "9007199254740991 K)"},
        {{"hogs", "--between", "2M", "1.9M", "x"}, "The second number must be larger or equal than the first number"},
    };
    for (const auto& [args, message] : wrong)
        EXPECT_EQ(parse(args).error, message);
    EXPECT_TRUE(parse({"hogs", "--larger", "8388607.99T", "x"}).ok); // just below the limit
}

// Only options are read as options: a name that looks like a list, a dash or anything after "--"
// stays whole, and "--option=value" is the option with its value.
TEST(CliOptions, OperandsAndValuesStayWhole) {
    const Parsed p = parse({"dups", "[a,b]", "--match=[x,y]", "-", "--", "[c]", "-x", "--larger"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.folders, (std::vector<std::string>{"[a,b]", "-", "[c]", "-x", "--larger"}));
    EXPECT_EQ(p.options.criteria.pattern, "[x,y]");
    const Parsed keep = parse({"dups", "--content", "--keep=oldest", "--reference", "[r]", "--reference=s", "r"});
    ASSERT_TRUE(keep.ok) << keep.error;
    EXPECT_EQ(keep.options.references, (std::vector<std::string>{"[r]", "s"}));
    EXPECT_EQ(parse({"dups", "--exact=yes", "x"}).error, "--exact takes no value");
    EXPECT_EQ(parse({"dups", "x", "--larger="}).error, "--larger needs a value");
    EXPECT_EQ(parse({"dups", "x", "--between", "1"}).error, "--between needs a value");
    EXPECT_EQ(parse({"dates", "--modified", "--between=2024-01-01"}).error, "--between needs a value");
}

// One choice of each group; the same flag twice is one choice.
TEST(CliOptions, OptionsOfOneGroupExcludeEachOther) {
    EXPECT_EQ(parse({"hogs", "--larger", "1", "--larger", "2", "x"}).error,
              "give only one of --larger, --smaller and --between");
    EXPECT_EQ(parse({"dates", "--accessed", "--created", "--after", "2024-01-01", "x"}).error,
              "give only one of --accessed, --created and --modified");
    EXPECT_TRUE(parse({"dates", "--accessed", "--accessed", "--after", "2024-01-01", "x"}).ok);
    EXPECT_EQ(parse({"dups", "--content", "--keep", "first", "--trash", "--delete", "x"}).error,
              "give only one of --trash and --delete");
    EXPECT_EQ(parse({"folders", "--null", "--json", "x"}).error, "give only one of --null and --json");
    EXPECT_EQ(parse({"view", "--json", "f"}).error, "--json needs --total: view prints the lines themselves as text");
    EXPECT_TRUE(parse({"view", "--json", "--total", "f"}).ok);
}

TEST(CliOptions, UnknownOptionsNameTheNearestOrAllOfTheCommand) {
    EXPECT_EQ(parse({"hogs", "--larjer", "1", "x"}).error, "unknown option '--larjer' (did you mean --larger?)");
    EXPECT_EQ(parse({"hogs", "--lar", "1", "x"}).error, "unknown option '--lar' (did you mean --larger?)");
    EXPECT_EQ(parse({"hogs", "-larger", "1", "x"}).error, "unknown option '-larger' (did you mean --larger?)");
    EXPECT_EQ(parse({"folders", "--al=1", "x"}).error, "unknown option '--al=1' (did you mean --all?)");
    EXPECT_EQ(parse({"compare", "--bogus", "a", "b"}).error,
              "unknown option '--bogus': compare takes --all, --json, --exclude, --exclude-from, --exclude-caches (see compare --help)");
    EXPECT_EQ(parse({"strings", "--hex", "f"}).error, "unknown option '--hex': strings takes no options but --help");
    EXPECT_EQ(parse({"dup", "x"}).error, "unknown command 'dup' (did you mean dups?)");
}

// Help: the list of commands, or one command's own help, whichever way it is asked.
TEST(CliOptions, HelpOfTheToolAndOfEachCommand) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--help"}, std::vector<std::string>{"help"},
                                                 std::vector<std::string>{"-h", "dups"}}) {
        const Parsed p = parse(args);
        ASSERT_TRUE(p.ok && p.options.help) << p.error;
        EXPECT_FALSE(p.options.commandGiven);
    }
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"help", "map"}, std::vector<std::string>{"map", "--help"},
          std::vector<std::string>{"map", "--bogus", "-h"}, std::vector<std::string>{"map", "--size", "1x1", "--help"}}) {
        const Parsed p = parse(args);
        ASSERT_TRUE(p.ok && p.options.help && p.options.commandGiven) << p.error;
        EXPECT_EQ(p.options.command, CliCommand::Map);
    }
    EXPECT_EQ(parse({"help", "find"}).error.rfind("unknown command 'find'", 0), 0u);
    const std::string list = CliUsage();
    for (const char* command : {"dups", "hogs", "folders", "dupfolders", "dates", "stats", "view", "strings", "map",
                                "journal", "undo", "export", "compare"}) {
        EXPECT_NE(list.find(std::string("\n  ") + command + "  "), std::string::npos) << command;
        const Parsed p = parse({command, "--help"});
        const std::string help = CliHelpText(p.options);
        EXPECT_EQ(help.rfind(std::string("Usage: vantorel-cli ") + command, 0), 0u) << help;
        EXPECT_LT(std::count(help.begin(), help.end(), '\n'), 40) << command;
    }
}

TEST(CliOptions, EachCommandTakesItsOwnOperands) {
    EXPECT_EQ(parse({"journal", "x"}).error, "journal takes no RUN or FOLDER (see --help)");
    EXPECT_EQ(parse({"undo", "0"}).error, "RUN must be a run number from 'vantorel-cli journal', not '0'");
    EXPECT_EQ(parse({"undo", "4", "5"}).error, "undo takes one RUN");
    EXPECT_EQ(parse({"undo", "4"}).options.run, 4);
    EXPECT_EQ(parse({"compare", "a"}).error, "compare takes OLD and NEW, each a saved scan or a folder (see --help)");
    EXPECT_EQ(parse({"map", "x"}).error, "map needs --output FILE.png (see --help)");
    EXPECT_EQ(parse({"map", "--output", "m.png", "--scan", "s", "x"}).error, "give FOLDERs or --scan FILEs, not both");
    EXPECT_EQ(parse({"export", "a", "b"}).error, "export takes one FOLDER");
    EXPECT_EQ(parse({"export", "a"}).options.output, "-");
    EXPECT_EQ(parse({"view"}).error, "no FILE given (see --help)");
    EXPECT_EQ(parse({"view", ""}).error, "an empty FILE argument names no file");
    const Parsed map = parse({"map", "--size", "640x400", "--output", "m.png", "x"});
    ASSERT_TRUE(map.ok) << map.error;
    EXPECT_EQ(std::pair(map.options.mapWidth, map.options.mapHeight), std::pair(640, 400));
}
