// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliOptions.h"

#include <cstdint>
#include <limits>

namespace {

// A size limit: decimal digits only, whole kibibytes.
bool parseK(const std::string& text, std::int64_t& k) {
    if (text.empty() || text.size() > 18)
        return false;
    k = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        k = k * 10 + (c - '0');
    }
    return true;
}

} // namespace

const char* CliUsage() {
    return "Usage: vantorel-cli dups [--exact] [SIZE] [--match PATTERN] FOLDER...\n"
           "       vantorel-cli hogs [SIZE] [--match PATTERN] FOLDER...\n"
           "\n"
           "dups lists the files whose name occurs in more than one place (letter case ignored);\n"
           "with --exact the size in K must match too. hogs lists the files in the size range,\n"
           "largest first. Each FOLDER is walked like a drive root, staying on its filesystem.\n"
           "\n"
           "SIZE, in K (1 K = 1024 bytes), one of:\n"
           "  --larger K          files of K or more (default: --larger 250)\n"
           "  --smaller K         files of K or less\n"
           "  --between K1 K2     files from K1 to K2\n"
           "  --match PATTERN     wildcard pattern(s), ';'-separated (default: *.*)\n"
           "  --                  the rest are folders, even when they start with '-'\n"
           "  --help              this text\n"
           "\n"
           "Standard output holds the record lines, tab-separated, one per file.\n"
           "Exit status: 0 files found, 1 no files found, 2 wrong arguments or folder.\n";
}

bool ParseCliOptions(const std::vector<std::string>& args, CliOptions& o, std::string& error) {
    o = CliOptions{};
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") {
            o.help = true;
            return true;
        }
    }
    if (args.empty()) {
        error = "missing command: dups or hogs (see --help)";
        return false;
    }
    if (args[0] == "dups") {
        o.criteria.dupMode = true;
    } else if (args[0] == "hogs") {
        o.criteria.dupMode = false;
    } else {
        error = "unknown command '" + args[0] + "': use dups or hogs (see --help)";
        return false;
    }
    bool sizeGiven = false;
    bool optionsOver = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsOver || a.empty() || a[0] != '-' || a == "-") {
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
            if (!parseK(text, k)) {
                error = a + " needs a whole number of K, not '" + text + "'";
                return false;
            }
            return true;
        };
        if (a == "--") {
            optionsOver = true;
        } else if (a == "--exact" && o.criteria.dupMode) {
            o.exact = true;
        } else if (a == "--match") {
            std::string pattern;
            if (!value(pattern))
                return false;
            o.criteria.pattern = QString::fromUtf8(pattern.data(), qsizetype(pattern.size()));
        } else if (a == "--larger" || a == "--smaller" || a == "--between") {
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
    if (o.folders.empty()) {
        error = "no FOLDER given (see --help)";
        return false;
    }
    return true;
}
