// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliOptions.h"

#include "BuildConfig.h"
#include "platform/WalkThreads.h"
#include "platform/Wildcard.h"

#include <cstdint>
#include <limits>
#include <optional>

namespace {

// The largest limit whose byte count a 64-bit size still holds.
constexpr std::int64_t kMostK = std::numeric_limits<std::int64_t>::max() / 1024;

enum class KText { Number, NotNumber, TooLarge };

// A size limit: decimal digits only, whole kibibytes, at most kMostK (leading zeros allowed).
KText parseK(const std::string& text, std::int64_t& k) {
    if (text.empty())
        return KText::NotNumber;
    k = 0;
    bool tooLarge = false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return KText::NotNumber;
        const int digit = c - '0';
        if (tooLarge || k > (kMostK - digit) / 10)
            tooLarge = true; // the rest is still read, so that "12x" is called no number
        else
            k = k * 10 + digit;
    }
    return tooLarge ? KText::TooLarge : KText::Number;
}

// The first of --help, -h and --version before "--", option values left aside ("--match --help" is
// a pattern); empty when there is none.
std::string asksForInfo(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--")
            return {};
        if (a == "--help" || a == "-h" || a == "--version")
            return a;
        if (a == "--match" || a == "--larger" || a == "--smaller" || a == "--before" || a == "--after" ||
            a == "--from" || a == "--count" || a == "--threads" || a == "--scan" || a == "--keep" ||
            a == "--reference")
            i += 1;
        else if (a == "--between")
            i += 2;
    }
    return {};
}

} // namespace

bool ParseThreadsOption(const std::string& text, int& threads, std::string& error) {
    if (const std::optional<int> n = ParseWalkThreads(text)) {
        threads = *n;
        return true;
    }
    error = "--threads needs a whole number from 1 to " + std::to_string(MostWalkThreads) + ", not '" + text + "'";
    return false;
}

const char* CliVersion() { return "vantorel-cli (Vantorel '95) " VANTOREL_VERSION "\n"; }

const char* CliUsage() {
    return "Usage: vantorel-cli dups [--exact] [--content] [SIZE] [--match PATTERN] [--null] [--threads N]\n"
           "                          FOLDER...\n"
           "       vantorel-cli dups --content --keep RULE [--reference FOLDER]... [--trash | --delete]\n"
           "                         [--dry-run] [--exact] [SIZE] [--match PATTERN] [--null] FOLDER...\n"
           "       vantorel-cli hogs [SIZE] [--match PATTERN] [--null] [--threads N] FOLDER...\n"
           "       vantorel-cli folders [--all] [--null] [--threads N] FOLDER...\n"
           "       vantorel-cli dupfolders [SIZE] [--subsets] [--null] [--threads N] FOLDER...\n"
           "       vantorel-cli dates (--accessed | --created | --modified)\n"
           "                          (--before DATE | --between DATE1 DATE2 | --after DATE)\n"
           "                          [--match PATTERN] [--null] [--threads N] FOLDER...\n"
           "       vantorel-cli stats [--threads N] FOLDER\n"
           "       vantorel-cli view [--hex] [--from N] [--count M] FILE\n"
           "       vantorel-cli view --total [--hex] FILE\n"
           "       vantorel-cli strings FILE\n"
           "       vantorel-cli map [--size WxH] [--threads N] --output FILE.png FOLDER\n"
           "       vantorel-cli journal [--json]\n"
           "       vantorel-cli undo [RUN]\n"
           "       vantorel-cli export [--output FILE] FOLDER\n"
           "       vantorel-cli compare [--all] OLD NEW\n"
           "\n"
           "dups lists the files whose name occurs in more than one place (letter case ignored);\n"
           "with --exact the size in K must match too; with --content only the files whose contents\n"
           "are byte for byte the same as another file's of their run are listed, each group of\n"
           "identical files followed by an empty line. With --keep, each group keeps one file by RULE\n"
           "(oldest, newest, shortest or first; see below) and every file of a --reference folder;\n"
           "the lines printed are the others, the copies that are (or would be) removed, and\n"
           "\"keeping PATH\" goes to standard error for each kept file. Nothing is removed without\n"
           "--trash or --delete; --dry-run removes nothing either and ends with the disk space the\n"
           "removal would free. A --trash run can be put back with undo. hogs lists the files in the\n"
           "size range, largest first. folders lists the main folders (those directly in FOLDER) with the size,\n"
           "files and sub-folders of everything below them, largest first; with --all every folder,\n"
           "each with only the files directly in it. dupfolders lists the folders that are copies of\n"
           "each other (the same names, letter case counting, the same sub-folders and byte for byte\n"
           "the same files, hidden ones included), the group whose extra copies take most bytes\n"
           "first, one line per folder (bytes of one copy, files, note, path), each group followed\n"
           "by an empty line; a folder inside a reported copy is not listed again, an empty folder\n"
           "never; with --subsets, folders whose files all lie at the same places in another folder\n"
           "follow (the subset, then each folder holding it with the subset's share of its bytes);\n"
           "SIZE is on one copy (default: any). dates lists the files whose last access, creation or\n"
           "last modification falls on or before a date, between two dates (both included) or on or\n"
           "after a date, in the order the walk finds them; a file without such a time is found only\n"
           "by --before. DATE is written YYYY-MM-DD. Each FOLDER is walked like a drive root,\n"
           "staying on its filesystem. stats counts every file of FOLDER (hidden files and links\n"
           "too, hidden folders not entered) by size class, age, attribute and type, and prints one\n"
           "record per line: files, size, accessed, created, modified, attribute, type, cluster,\n"
           "disk and allocated. view prints lines N to N+M-1 of FILE as the viewer shows them (lines\n"
           "end at LF, CR or CR LF; at most 1023 characters each; a zero byte as a space), or hex\n"
           "rows of 16 bytes with --hex; --total prints the number of lines. strings prints the runs\n"
           "of 6 to 101 letters, digits and spaces in FILE, one per line. map draws every file of\n"
           "FOLDER as a tile whose area is its size, nested by folder and coloured by type, with a\n"
           "legend of the ten largest types, into a PNG picture; no display is needed. journal lists\n"
           "the delete runs of every window, newest first: run, time, tool, mode (delete or trash),\n"
           "files, bytes and how many of them can still be restored. undo puts the files that run RUN\n"
           "(by default the last) sent to the recycle bin back where they were, never over a file\n"
           "that took a name since. export writes the scan of FOLDER (hidden folders included, on\n"
           "FOLDER's filesystem) in ncdu's JSON export format, to standard output or FILE,\n"
           "zstd-compressed when FILE ends in .zst. --scan FILE reads such a scan (of this program,\n"
           "ncdu -o or gdu -o; plain or .zst) instead of walking, with each command's own rules; a\n"
           "time the scan lacks is no date. compare prints the main folders (with --all every\n"
           "folder) whose total changed from OLD to NEW, each a saved scan or a folder walked now,\n"
           "largest change first: the change with its sign, the old and the new total in bytes,\n"
           "grown, shrunk, added or removed, and the path; \"No changes.\" and exit 1 when none\n"
           "changed.\n"
           "\n"
           "SIZE, in K (1 K = 1024 bytes), one of:\n"
           "  --larger K          files of K or more (default: --larger 250)\n"
           "  --smaller K         files of K or less\n"
           "  --between K1 K2     files from K1 to K2\n"
           "\n"
           "Other options:\n"
           "  --exact             dups: the size in K must match too\n"
           "  --subsets           dupfolders: also folders whose files all lie in another\n"
           "  --content           dups: only files with a byte-for-byte identical twin\n"
           "  --keep RULE         dups --content: keep one file of each group: oldest (modified\n"
           "                      first, then born first), newest (modified last, then born last),\n"
           "                      shortest (path), first (in the list); what the rule leaves\n"
           "                      equal goes to the path in byte order (\"tie broken by path order\")\n"
           "  --reference FOLDER  with --keep: files in FOLDER (or below) are never removed; a\n"
           "                      group with such a file keeps it; may be given several times\n"
           "  --trash             with --keep: send the copies to the recycle bin\n"
           "  --delete            with --keep: delete the copies for good\n"
           "  --dry-run           with --keep: remove nothing; say the disk space it would free\n"
           "  --match PATTERN     wildcard pattern(s), ';'-separated (default: *.*)\n"
           "  --all               folders, compare: every folder, not only the main ones\n"
           "  --accessed, --created, --modified\n"
           "                      dates: the time that is tested\n"
           "  --before DATE, --between DATE1 DATE2, --after DATE\n"
           "                      dates: the range of days, both ends included\n"
           "  --hex               view: rows of 16 bytes in hexadecimal\n"
           "  --from N            view: the first line (row) to print, from 0\n"
           "  --count M           view: how many lines (rows) to print (default: all)\n"
           "  --total             view: print only the number of lines (rows)\n"
           "  --size WxH          map: the picture's width and height in pixels (default\n"
           "                      1600x1000, at most 16384 each)\n"
           "  --output FILE       map: the PNG file to write; export: the scan file to write\n"
           "                      ('-' or none: standard output; .zst: compressed)\n"
           "  --scan FILE         read the saved scan FILE instead of walking a FOLDER (may\n"
           "                      be given more than once, not with FOLDERs)\n"
           "  --json              journal: the runs as a JSON array, with more detail\n"
           "  --threads N         the walk lists folders and reads file statistics on N threads\n"
           "                      (1 to 64; 1: one thread; default: VANTOREL_THREADS, else the\n"
           "                      number of processors); the output is the same for every N\n"
           "  --null              print each file's (or folder's) exact path followed by a NUL\n"
           "                      byte instead of the lines, in the same order (for xargs -0)\n"
           "  --                  the rest are folders, even when they start with '-'\n"
           "  --help              this text\n"
           "  --version           the program's name and version\n"
           "\n"
           "Standard output holds the record lines, tab-separated, one per file or folder (names\n"
           "and folders as text: control characters show as '?'; --null gives the exact bytes).\n"
           "Exit status: 0 lines written, 1 no files found, 2 wrong arguments or folder, or standard\n"
           "output could not be written. A folder that cannot be read is reported on standard\n"
           "error and left out; it does not change the exit status. undo: 0 every file came back,\n"
           "1 some could not (each is named on standard error) or there was nothing to restore,\n"
           "2 a RUN that is not in the journal. dups --keep: 0 everything asked was done, 1 some\n"
           "files stayed (each is named on standard error with the reason) or no files were found,\n"
           "2 an unknown RULE, a --reference folder that does not exist or lies outside every\n"
           "FOLDER, or --trash with --delete.\n";
}

bool ParseCliOptions(const std::vector<std::string>& args, CliOptions& o, std::string& error) {
    o = CliOptions{};
    if (const std::string info = asksForInfo(args); !info.empty()) {
        (info == "--version" ? o.version : o.help) = true;
        return true;
    }
    if (args.empty()) {
        error = "missing command: dups, hogs, folders, dupfolders, dates, stats, view, strings, map, journal, "
                "undo, export or compare (see --help)";
        return false;
    }
    if (args[0] == "dups") {
        o.command = CliCommand::Dups;
        o.criteria.dupMode = true;
    } else if (args[0] == "hogs") {
        o.command = CliCommand::Hogs;
        o.criteria.dupMode = false;
    } else if (args[0] == "folders") {
        o.command = CliCommand::Folders;
    } else if (args[0] == "dupfolders") {
        o.command = CliCommand::DupFolders;
        o.criteria.limit1K = o.criteria.limit2K = 0; // every folder that is not empty
    } else if (args[0] == "dates") {
        o.command = CliCommand::Dates;
    } else if (args[0] == "stats") {
        o.command = CliCommand::Stats;
    } else if (args[0] == "view") {
        o.command = CliCommand::View;
    } else if (args[0] == "strings") {
        o.command = CliCommand::Strings;
    } else {
        error = "unknown command '" + args[0] +
                "': use dups, hogs, folders, dupfolders, dates, stats, view, strings, map, journal, undo, "
                "export or compare (see --help)";
        return false;
    }
    const bool sizes =
        o.command == CliCommand::Dups || o.command == CliCommand::Hogs || o.command == CliCommand::DupFolders;
    const bool patterns =
        o.command == CliCommand::Dups || o.command == CliCommand::Hogs || o.command == CliCommand::Dates;
    const bool dates = o.command == CliCommand::Dates;
    const bool walks = o.command != CliCommand::View && o.command != CliCommand::Strings;
    bool kindGiven = false;
    bool rangeGiven = false;
    bool sizeGiven = false;
    bool optionsOver = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.empty()) {
            // It would name the working folder by accident: a variable that was left empty.
            error = "an empty FOLDER argument names no folder";
            return false;
        }
        if (optionsOver || a[0] != '-' || a == "-") {
            o.folders.push_back(a);
            continue;
        }
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        auto sizeValue = [&](std::int64_t& k) {
            std::string text;
            if (!value(text))
                return false;
            switch (parseK(text, k)) {
            case KText::Number:
                return true;
            case KText::NotNumber:
                error = a + " needs a whole number of K, not '" + text + "'";
                return false;
            case KText::TooLarge:
                error = a + " " + text + " K is more bytes than a file can have (at most " +
                        std::to_string(kMostK) + " K)";
                return false;
            }
            return false;
        };
        if (a == "--") {
            optionsOver = true;
        } else if (a == "--exact" && o.command == CliCommand::Dups) {
            o.exact = true;
        } else if (a == "--content" && o.command == CliCommand::Dups) {
            o.content = true;
        } else if (a == "--subsets" && o.command == CliCommand::DupFolders) {
            o.subsets = true;
        } else if (a == "--keep" && o.command == CliCommand::Dups) {
            std::string rule;
            if (!value(rule))
                return false;
            o.keep = KeepRuleFromKey(rule);
            if (!o.keep) {
                error = "unknown --keep rule '" + rule + "': use oldest, newest, shortest or first";
                return false;
            }
        } else if (a == "--reference" && o.command == CliCommand::Dups) {
            std::string folder;
            if (!value(folder))
                return false;
            if (folder.empty()) {
                error = "an empty --reference FOLDER names no folder";
                return false;
            }
            o.references.push_back(folder);
        } else if ((a == "--trash" || a == "--delete") && o.command == CliCommand::Dups) {
            (a == "--trash" ? o.trash : o.remove) = true;
        } else if (a == "--dry-run" && o.command == CliCommand::Dups) {
            o.dryRun = true;
        } else if (a == "--hex" && o.command == CliCommand::View) {
            o.hex = true;
        } else if (a == "--total" && o.command == CliCommand::View) {
            o.total = true;
        } else if ((a == "--from" || a == "--count") && o.command == CliCommand::View) {
            std::string text;
            if (!value(text))
                return false;
            std::int64_t number = 0;
            if (parseK(text, number) != KText::Number) {
                error = a + " needs a whole number of 0 or more, not '" + text + "'";
                return false;
            }
            (a == "--from" ? o.from : o.count) = number;
        } else if (a == "--all" && o.command == CliCommand::Folders) {
            o.allFolders = true;
        } else if (a == "--scan" && !(o.command == CliCommand::View || o.command == CliCommand::Strings)) {
            std::string file;
            if (!value(file))
                return false;
            if (file.empty()) {
                error = "an empty --scan FILE names no file";
                return false;
            }
            o.scans.push_back(file);
        } else if (a == "--null") {
            o.nullSeparated = true;
        } else if (a == "--threads" && walks) {
            std::string text;
            if (!value(text) || !ParseThreadsOption(text, o.threads, error))
                return false;
        } else if (a == "--match" && patterns) {
            std::string pattern;
            if (!value(pattern))
                return false;
            o.criteria.pattern = QString::fromUtf8(pattern.data(), qsizetype(pattern.size()));
            o.dates.pattern = o.criteria.pattern;
            // Like an empty FOLDER: most likely a variable left empty, and the scan would find nothing.
            if (WildcardPattern(o.criteria.pattern).isEmpty()) {
                error = "an empty --match PATTERN matches no file";
                return false;
            }
        } else if ((a == "--accessed" || a == "--created" || a == "--modified") && dates) {
            if (kindGiven) {
                error = "give only one of --accessed, --created and --modified";
                return false;
            }
            kindGiven = true;
            o.dates.kind = a == "--accessed" ? DateKind::Accessed
                           : a == "--created" ? DateKind::Created
                                              : DateKind::Modified;
        } else if ((a == "--before" || a == "--after" || a == "--between") && dates) {
            if (rangeGiven) {
                error = "give only one of --before, --between and --after";
                return false;
            }
            rangeGiven = true;
            auto date = [&](QDate& out, const char* refusal) {
                std::string text;
                if (!value(text))
                    return false;
                out = QDate::fromString(QString::fromStdString(text), QStringLiteral("yyyy-MM-dd"));
                if (!out.isValid())
                    error = refusal;
                return out.isValid();
            };
            if (!date(o.dates.start, "Invalid start date"))
                return false;
            if (a == "--between") {
                if (!date(o.dates.end, "Invalid ending date"))
                    return false;
                // As reversed sizes are: such a range could only ever find nothing.
                if (o.dates.end < o.dates.start) {
                    error = "The ending date must be the same as the start date or later";
                    return false;
                }
                o.dates.range = DateRange::Between;
            } else {
                o.dates.range = a == "--before" ? DateRange::OnOrBefore : DateRange::OnOrAfter;
            }
        } else if ((a == "--larger" || a == "--smaller" || a == "--between") && sizes) {
            if (sizeGiven) {
                error = "give only one of --larger, --smaller and --between";
                return false;
            }
            sizeGiven = true;
            if (!sizeValue(o.criteria.limit1K))
                return false;
            if (a == "--between") {
                if (!sizeValue(o.criteria.limit2K))
                    return false;
                if (o.criteria.limit2K < o.criteria.limit1K) {
                    error = "The second number must be larger or equal than the first number";
                    return false;
                }
                o.criteria.range = SizeRange::Between;
            } else {
                o.criteria.limit2K = o.criteria.limit1K;
                o.criteria.range = a == "--larger" ? SizeRange::LargerOrEqual : SizeRange::SmallerOrEqual;
            }
        } else {
            error = "unknown option '" + a + "' (see --help)";
            return false;
        }
    }
    if (o.trash && o.remove) {
        error = "give only one of --trash and --delete";
        return false;
    }
    if (o.keep && !o.content) {
        error = "--keep needs --content: only byte-for-byte copies are ever removed";
        return false;
    }
    if (!o.keep && (!o.references.empty() || o.trash || o.remove || o.dryRun)) {
        error = "--reference, --trash, --delete and --dry-run need --keep RULE";
        return false;
    }
    if (dates && (!kindGiven || !rangeGiven)) {
        error = "dates needs one of --accessed, --created, --modified and one of --before, --between, --after";
        return false;
    }
    if (!o.scans.empty() && !o.folders.empty()) {
        error = "give FOLDERs or --scan FILEs, not both";
        return false;
    }
    if (o.content && !o.scans.empty()) {
        // The check reads the files themselves, which a scan (perhaps of another machine) does not hold.
        error = "--content reads the files, which a saved scan does not hold: give FOLDERs";
        return false;
    }
    if (o.command == CliCommand::DupFolders && !o.scans.empty()) {
        error = "dupfolders reads the files, which a saved scan does not hold: give FOLDERs";
        return false;
    }
    if (o.folders.empty() && o.scans.empty()) {
        error = o.command == CliCommand::View || o.command == CliCommand::Strings ? "no FILE given (see --help)"
                                                                                  : "no FOLDER given (see --help)";
        return false;
    }
    if (o.command == CliCommand::Stats && o.folders.size() + o.scans.size() > 1) {
        error = "stats takes one FOLDER";
        return false;
    }
    if ((o.command == CliCommand::View || o.command == CliCommand::Strings) && o.folders.size() > 1) {
        error = args[0] + " takes one FILE";
        return false;
    }
    return true;
}
