// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliTable.h"

#include "cli/SizeArgument.h"
#include "platform/Wildcard.h"

#include <QDate>
#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

using Values = std::vector<std::string>;

constexpr unsigned kDups = CliBit(CliCommand::Dups);
constexpr unsigned kHogs = CliBit(CliCommand::Hogs);
constexpr unsigned kFolders = CliBit(CliCommand::Folders);
constexpr unsigned kDates = CliBit(CliCommand::Dates);
constexpr unsigned kStats = CliBit(CliCommand::Stats);
constexpr unsigned kView = CliBit(CliCommand::View);
constexpr unsigned kStrings = CliBit(CliCommand::Strings);
constexpr unsigned kDupFolders = CliBit(CliCommand::DupFolders);
constexpr unsigned kMap = CliBit(CliCommand::Map);
constexpr unsigned kJournal = CliBit(CliCommand::Journal);
constexpr unsigned kUndo = CliBit(CliCommand::Undo);
constexpr unsigned kExport = CliBit(CliCommand::Export);
constexpr unsigned kCompare = CliBit(CliCommand::Compare);
constexpr unsigned kEvery = (1u << 13) - 1;
constexpr unsigned kSized = kDups | kHogs | kDupFolders;
constexpr unsigned kWalking = kDups | kHogs | kFolders | kDupFolders | kDates | kStats | kMap;
constexpr unsigned kListing = kDups | kHogs | kFolders | kDupFolders | kDates;
constexpr unsigned kExcluding = kWalking | kExport | kCompare;

// A whole number of 0 or more (view's --from and --count).
bool wholeNumber(const std::string& option, const std::string& text, std::int64_t& number, std::string& error) {
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || failure != std::errc() || end != text.data() + text.size() || number < 0) {
        error = option + " needs a whole number of 0 or more, not '" + text + "'";
        return false;
    }
    return true;
}

// The size options: bytes to the byte, the range kept in the criteria's terms.
bool takeSize(CliOptions& o, SizeRange range, const Values& v, std::string& error) {
    const char* name = range == SizeRange::LargerOrEqual   ? "--larger"
                       : range == SizeRange::SmallerOrEqual ? "--smaller"
                                                            : "--between";
    std::int64_t low = 0;
    std::int64_t high = 0;
    if (!ParseSizeArgument(name, v[0], range == SizeRange::SmallerOrEqual ? SizeRounding::Down : SizeRounding::Up,
                           low, error))
        return false;
    high = low;
    if (range == SizeRange::Between) {
        if (!ParseSizeArgument(name, v[1], SizeRounding::Down, high, error))
            return false;
        if (high < low) {
            error = "The second number must be larger or equal than the first number";
            return false;
        }
    }
    o.criteria.range = range;
    o.criteria.limit1Bytes = low;
    o.criteria.limit2Bytes = high;
    // The window's terms too, for whatever reads them: whole K, rounded the same way.
    o.criteria.limit1K = low / 1024 + (range != SizeRange::SmallerOrEqual && low % 1024 != 0);
    o.criteria.limit2K = high / 1024;
    return true;
}

bool takeDate(QDate& date, const std::string& text, const char* refusal, std::string& error) {
    date = QDate::fromString(QString::fromStdString(text), QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        error = refusal;
    return date.isValid();
}

bool takeRange(CliOptions& o, DateRange range, const Values& v, std::string& error) {
    if (!takeDate(o.dates.start, v[0], "Invalid start date", error))
        return false;
    if (range == DateRange::Between) {
        if (!takeDate(o.dates.end, v[1], "Invalid ending date", error))
            return false;
        // As reversed sizes are: such a range could only ever find nothing.
        if (o.dates.end < o.dates.start) {
            error = "The ending date must be the same as the start date or later";
            return false;
        }
    }
    o.dates.range = range;
    return true;
}

bool takeFile(std::string& into, const char* option, const char* what, const std::string& text, std::string& error) {
    if (text.empty()) {
        error = std::string("an empty ") + option + " " + what + " names no file";
        return false;
    }
    into = text;
    return true;
}

bool takeMapSize(CliOptions& o, const std::string& text, std::string& error) {
    const auto side = [](const std::string& s, int& out) {
        const auto [end, failure] = std::from_chars(s.data(), s.data() + s.size(), out);
        return !s.empty() && s[0] != '-' && s[0] != '+' && failure == std::errc() && end == s.data() + s.size() &&
               out >= 1 && out <= MostMapPixels;
    };
    const std::size_t x = text.find('x');
    if (x == std::string::npos || !side(text.substr(0, x), o.mapWidth) || !side(text.substr(x + 1), o.mapHeight)) {
        error = "--size needs WIDTHxHEIGHT, each from 1 to " + std::to_string(MostMapPixels) + " pixels, not '" +
                text + "'";
        return false;
    }
    return true;
}

ExclusionRules& exclusionsOf(CliOptions& o) {
    if (!o.exclusions)
        o.exclusions = std::make_shared<ExclusionRules>();
    return *o.exclusions;
}

#define TAKE [](CliOptions & o, const Values& v, std::string& error) -> bool
#define FLAG(member) [](CliOptions & o, const Values&, std::string&) -> bool { return o.member = true; }

// Each option of each command, in the order its help lists them. To add an option, add its line
// here (and the member of CliOptions it fills); the help, the completions and the man page checks
// follow from it.
const CliOptionSpec kOptions[] = {
    {"--exact", "", kDups, nullptr, "the size in K must match too, not only the name", CliValueKind::None,
     nullptr, FLAG(exact)},
    {"--content", "", kDups, nullptr, "only files with a byte-for-byte twin, in groups",
     CliValueKind::None, nullptr, FLAG(content)},
    {"--keep", "RULE", kDups, nullptr, "keep one per group: oldest, newest, shortest, first",
     CliValueKind::Words, "oldest newest shortest first",
     TAKE {
         o.keep = KeepRuleFromKey(v[0]);
         if (!o.keep)
             error = "unknown --keep rule '" + v[0] + "': use oldest, newest, shortest or first";
         return o.keep.has_value();
     }},
    {"--reference", "FOLDER", kDups, nullptr, "with --keep: never remove files in FOLDER (repeatable)",
     CliValueKind::Folder, nullptr,
     TAKE {
         if (v[0].empty()) {
             error = "an empty --reference FOLDER names no folder";
             return false;
         }
         o.references.push_back(v[0]);
         return true;
     }},
    {"--trash", "", kDups, "removal", "with --keep: copies to the trash (undo puts them back)",
     CliValueKind::None, nullptr, FLAG(trash)},
    {"--delete", "", kDups, "removal", "with --keep: delete the copies for good", CliValueKind::None, nullptr,
     FLAG(remove)},
    {"--dry-run", "", kDups, nullptr, "with --keep: remove nothing; say what it would free",
     CliValueKind::None, nullptr, FLAG(dryRun)},
    {"--larger", "SIZE", kSized, "size", "files of SIZE or more (dups, hogs: 250K by default)", CliValueKind::None,
     nullptr, TAKE { return takeSize(o, SizeRange::LargerOrEqual, v, error); }},
    {"--smaller", "SIZE", kSized, "size", "files of SIZE or less", CliValueKind::None, nullptr,
     TAKE { return takeSize(o, SizeRange::SmallerOrEqual, v, error); }},
    {"--between", "SIZE1 SIZE2", kSized, "size", "files from SIZE1 to SIZE2", CliValueKind::None, nullptr,
     TAKE { return takeSize(o, SizeRange::Between, v, error); }},
    {"--subsets", "", kDupFolders, nullptr, "also folders whose files all lie in another folder",
     CliValueKind::None, nullptr, FLAG(subsets)},
    {"--all", "", kFolders, nullptr, "every folder, each with the files directly in it",
     CliValueKind::None, nullptr, FLAG(allFolders)},
    {"--all", "", kCompare, nullptr, "every folder, not only the main ones", CliValueKind::None, nullptr,
     FLAG(allFolders)},
    {"--accessed", "", kDates, "time", "test the last access", CliValueKind::None, nullptr,
     TAKE { (void)v, (void)error; o.dates.kind = DateKind::Accessed; return true; }},
    {"--created", "", kDates, "time", "test the creation", CliValueKind::None, nullptr,
     TAKE { (void)v, (void)error; o.dates.kind = DateKind::Created; return true; }},
    {"--modified", "", kDates, "time", "test the last modification", CliValueKind::None, nullptr,
     TAKE { (void)v, (void)error; o.dates.kind = DateKind::Modified; return true; }},
    {"--before", "DATE", kDates, "range", "on or before DATE (YYYY-MM-DD)", CliValueKind::None, nullptr,
     TAKE { return takeRange(o, DateRange::OnOrBefore, v, error); }},
    {"--between", "DATE1 DATE2", kDates, "range", "from DATE1 to DATE2, both included", CliValueKind::None,
     nullptr, TAKE { return takeRange(o, DateRange::Between, v, error); }},
    {"--after", "DATE", kDates, "range", "on or after DATE", CliValueKind::None, nullptr,
     TAKE { return takeRange(o, DateRange::OnOrAfter, v, error); }},
    {"--match", "PATTERN", kDups | kHogs | kDates, nullptr, "wildcards (* ?), ';'-separated (default: *.*)",
     CliValueKind::Words, "*.*",
     TAKE {
         o.criteria.pattern = QString::fromUtf8(v[0].data(), qsizetype(v[0].size()));
         o.dates.pattern = o.criteria.pattern;
         // Like an empty FOLDER: most likely a variable left empty, and the scan would find nothing.
         if (WildcardPattern(o.criteria.pattern).isEmpty()) {
             error = "an empty --match PATTERN matches no file";
             return false;
         }
         return true;
     }},
    {"--hex", "", kView, nullptr, "rows of 16 bytes in hexadecimal", CliValueKind::None, nullptr, FLAG(hex)},
    {"--from", "N", kView, nullptr, "the first line (row) to print, from 0", CliValueKind::None, nullptr,
     TAKE { return wholeNumber("--from", v[0], o.from, error); }},
    {"--count", "M", kView, nullptr, "how many lines (rows) to print (default: all)", CliValueKind::None, nullptr,
     TAKE { return wholeNumber("--count", v[0], o.count, error); }},
    {"--total", "", kView, nullptr, "print only the number of lines (rows)", CliValueKind::None, nullptr,
     FLAG(total)},
    {"--size", "WxH", kMap, nullptr, "the size in pixels (1600x1000; at most 16384 a side)",
     CliValueKind::None, nullptr, TAKE { return takeMapSize(o, v[0], error); }},
    {"--output", "FILE.png", kMap, nullptr, "the PNG file to write (replaced when it exists)", CliValueKind::File,
     nullptr,
     TAKE {
         if (v[0].empty())
             error = "--output needs a file name";
         o.output = v[0];
         return !v[0].empty();
     }},
    {"--output", "FILE", kExport, nullptr, "the file to write ('-': standard output; .zst: zstd)",
     CliValueKind::File, nullptr,
     TAKE { return takeFile(o.output, "--output", "FILE", v[0], error); }},
    {"--scan", "FILE", kDups | kHogs | kFolders | kDates | kStats | kMap, nullptr,
     "read the saved scan FILE instead of walking a FOLDER", CliValueKind::File, nullptr,
     TAKE {
         std::string file;
         if (!takeFile(file, "--scan", "FILE", v[0], error))
             return false;
         o.scans.push_back(file);
         return true;
     }},
    {"--null", "", kListing, "output", "exact paths, each ended by NUL, instead of lines",
     CliValueKind::None, nullptr, FLAG(nullSeparated)},
    {"--json", "", kListing | kStats | kCompare, "output", "JSON Lines: an object per result, then a summary",
     CliValueKind::None, nullptr, FLAG(json)},
    {"--json", "", kView, nullptr, "with --total: the number in a JSON summary", CliValueKind::None, nullptr,
     FLAG(json)},
    {"--json", "", kJournal, nullptr, "the runs as a JSON array, with more detail", CliValueKind::None, nullptr,
     FLAG(json)},
    {"--exclude", "PATTERN", kExcluding, nullptr, "leave out names (or paths with a /) like PATTERN",
     CliValueKind::None, nullptr,
     TAKE {
         std::string why;
         if (!exclusionsOf(o).add(v[0], &why))
             error = "--exclude '" + v[0] + "': " + why;
         return error.empty();
     }},
    {"--exclude-from", "FILE", kExcluding, nullptr, "leave out the patterns of FILE, one a line",
     CliValueKind::File, nullptr,
     TAKE {
         std::string why;
         if (!takeFile(why, "--exclude-from", "FILE", v[0], error))
             return false;
         if (!AddPatternsFromFile(exclusionsOf(o), v[0], &why))
             error = "--exclude-from '" + v[0] + "': " + why;
         return error.empty();
     }},
    {"--exclude-caches", "", kExcluding, nullptr, "leave out folders marked by a CACHEDIR.TAG",
     CliValueKind::None, nullptr, TAKE { (void)v, (void)error; exclusionsOf(o).setCaches(true); return true; }},
    {"--threads", "N", kWalking, nullptr, "walk on N threads, 1 to 64 (default: every core)",
     CliValueKind::None, nullptr, TAKE { return ParseThreadsOption(v[0], o.threads, error); }},
    {"--help", "", kEvery, nullptr, "this text", CliValueKind::None, nullptr, nullptr},
    {"--version", "", kEvery, nullptr, "the program's name and version", CliValueKind::None, nullptr, nullptr},
};

#undef TAKE
#undef FLAG

const CliCommandSpec kCommands[] = {
    {CliCommand::Dups, "dups", "duplicate files: the same name in more than one place",
     "dups [--exact] [--content] [SIZE] [--match PATTERN]\n"
     "     [--null | --json] [--threads N] FOLDER...\n"
     "dups --content --keep RULE [--reference FOLDER]...\n"
     "     [--trash | --delete] [--dry-run] [SIZE]\n"
     "     [--match PATTERN] [--null | --json] FOLDER...",
     "Lists the files whose name occurs in more than one place (letter case ignored), the\n"
     "files of one name together. --content keeps only the files that are byte for byte the\n"
     "same as another of their name, each group followed by an empty line. --keep chooses\n"
     "one file of each group to keep (and every file of a --reference folder) and lists the\n"
     "others, the copies; nothing is removed without --trash or --delete.",
     "FOLDER", 1, -1, CliValueKind::Folder},
    {CliCommand::Hogs, "hogs", "file hogs: the files in a size range, largest first",
     "hogs [SIZE] [--match PATTERN] [--null | --json]\n"
     "     [--threads N] FOLDER...",
     "Lists every file whose size lies in the range, largest first.", "FOLDER", 1, -1, CliValueKind::Folder},
    {CliCommand::Folders, "folders", "folder hogs: folders with their size, files and sub-folders",
     "folders [--all] [--null | --json] [--threads N] FOLDER...",
     "Lists the main folders (those directly in each FOLDER), each with the size, files and\n"
     "sub-folders of everything below it, largest first; with --all every folder, each with\n"
     "the files directly in it. The percent is of the file system's size (\"???\" unknown).",
     "FOLDER", 1, -1, CliValueKind::Folder},
    {CliCommand::DupFolders, "dupfolders", "folders that are copies of each other",
     "dupfolders [SIZE] [--subsets] [--null | --json]\n"
     "           [--threads N] FOLDER...",
     "Lists the folders that are copies of each other (the same names, sub-folders and bytes,\n"
     "hidden entries included), group by group, the largest waste first; each line holds the\n"
     "bytes of one copy, its files, a note and the path. SIZE is on one copy (default: any).",
     "FOLDER", 1, -1, CliValueKind::Folder},
    {CliCommand::Dates, "dates", "files last accessed, created or modified in a range of days",
     "dates (--accessed | --created | --modified)\n"
     "      (--before DATE | --between DATE1 DATE2 |\n"
     "       --after DATE)\n"
     "      [--match PATTERN] [--null | --json] [--threads N]\n"
     "      FOLDER...",
     "Lists the files whose last access, creation or modification falls in the range of days\n"
     "(local time, both ends included), in the order the walk finds them. A file without such\n"
     "a time is found only by --before. Dates are written YYYY-MM-DD.",
     "FOLDER", 1, -1, CliValueKind::Folder},
    {CliCommand::Stats, "stats", "statistics of a folder's files: sizes, ages, types, disk",
     "stats [--json] [--threads N] FOLDER",
     "Counts every file of FOLDER (hidden files and links too; hidden folders are not entered)\n"
     "by size class, age, attribute and type, and prints one record per line: files, size,\n"
     "accessed, created, modified, attribute, type, cluster, disk and allocated.",
     "FOLDER", 1, 1, CliValueKind::Folder},
    {CliCommand::View, "view", "the lines of a file as the viewer shows them",
     "view [--hex] [--from N] [--count M] FILE\n"
     "view --total [--hex] [--json] FILE",
     "Prints lines N to N+M-1 of FILE (lines end at LF, CR or CR LF; at most 1023 characters\n"
     "each; a zero byte shows as a space), or rows of 16 bytes with --hex.",
     "FILE", 1, 1, CliValueKind::File},
    {CliCommand::Strings, "strings", "the runs of readable text in a file", "strings FILE",
     "Prints the runs of 6 to 101 ASCII letters, digits and spaces in FILE, one per line.", "FILE", 1, 1,
     CliValueKind::File},
    {CliCommand::Map, "map", "a PNG picture of where the space of a folder went",
     "map [--size WxH] [--threads N] --output FILE.png FOLDER",
     "Draws every file of FOLDER as a tile whose area is its size, nested by folder and\n"
     "coloured by type, with a legend of the ten largest types; no display is needed.",
     "FOLDER", 1, 1, CliValueKind::Folder},
    {CliCommand::Journal, "journal", "the delete runs of every window, newest first", "journal [--json]",
     "Lists the delete runs, newest first: run, time, tool, mode (delete or trash), files,\n"
     "bytes and how many of them can still be restored from the trash.",
     "", 0, 0, CliValueKind::None},
    {CliCommand::Undo, "undo", "puts back what a run sent to the trash", "undo [RUN]",
     "Puts the files that run RUN (by default the last) sent to the trash back where they\n"
     "were, never over a file that took a name since.",
     "RUN", 0, 1, CliValueKind::None},
    {CliCommand::Export, "export", "saves a scan of a folder in ncdu's JSON format",
     "export [--output FILE] FOLDER",
     "Writes the scan of FOLDER (hidden folders included, on FOLDER's file system) in ncdu's\n"
     "JSON export format, to standard output or FILE, zstd-compressed when FILE ends in .zst.",
     "FOLDER", 1, 1, CliValueKind::Folder},
    {CliCommand::Compare, "compare", "the folders whose total changed between two scans",
     "compare [--all] [--json] OLD NEW",
     "Prints the main folders (with --all every folder) whose total changed from OLD to NEW,\n"
     "each a saved scan or a folder walked now, largest change first: the change with its\n"
     "sign, the old and the new total in bytes, grown, shrunk, added or removed, the path.",
     "OLD NEW", 2, 2, CliValueKind::File},
};

} // namespace

int CliOptionSpec::valueCount() const {
    if (*values == '\0')
        return 0;
    return 1 + int(std::count(values, values + std::strlen(values), ' '));
}

std::span<const CliCommandSpec> CliCommands() { return kCommands; }
std::span<const CliOptionSpec> CliOptionTable() { return kOptions; }

const CliCommandSpec* FindCliCommand(const std::string& name) {
    for (const CliCommandSpec& c : kCommands)
        if (name == c.name)
            return &c;
    return nullptr;
}

const CliCommandSpec& CliCommandOf(CliCommand command) {
    for (const CliCommandSpec& c : kCommands)
        if (c.command == command)
            return c;
    return kCommands[0];
}

std::vector<const CliOptionSpec*> CliOptionsOf(CliCommand command) {
    std::vector<const CliOptionSpec*> options;
    for (const CliOptionSpec& o : kOptions)
        if (o.commands & CliBit(command))
            options.push_back(&o);
    return options;
}
