// SPDX-License-Identifier: GPL-3.0-or-later
// The one parser of vantorel-cli: CLI11 reads the arguments by the option table of CliTable.cpp,
// and each option's line takes its values into CliOptions.
#include "cli/CliOptions.h"
#include "cli/CliTable.h"
#include "platform/WalkThreads.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <map>

namespace {

bool isOptionLike(const std::string& a) { return a.size() > 1 && a[0] == '-'; }

// The value count of an option named in args: the command's line of it, else any line of that name,
// so that an option's value is never taken for --help ("--match --help" is a pattern).
int valueCountOf(const std::string& name, CliCommand command) {
    int any = -1;
    for (const CliOptionSpec& o : CliOptionTable()) {
        if (name != o.name)
            continue;
        if (o.commands & CliBit(command))
            return o.valueCount();
        any = o.valueCount();
    }
    return any;
}

// Before anything is read: the first of --help, -h and --version before "--", option values left
// aside; and an option at the end that lacks its values. Both go before every other complaint.
struct FirstLook {
    std::string info;          // "--help", "-h", "--version" or ""
    std::string lacksValue;    // the option whose values run out, or ""
    std::string flagWithValue; // a flag given "=value", or ""
};

FirstLook firstLook(const std::vector<std::string>& args, std::size_t from, CliCommand command) {
    FirstLook look;
    for (std::size_t i = from; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--")
            break;
        if (a == "--help" || a == "-h" || a == "--version") {
            look.info = a;
            return look;
        }
        if (!isOptionLike(a))
            continue;
        const std::size_t equals = a.find('=');
        int count = valueCountOf(a.substr(0, equals), command);
        if (count == 0 && equals != std::string::npos && look.flagWithValue.empty())
            look.flagWithValue = a.substr(0, equals);
        if (count <= 0)
            continue;
        if (equals != std::string::npos && equals + 1 < a.size())
            --count; // --match=PATTERN holds its first value
        if (i + std::size_t(count) >= args.size() && look.lacksValue.empty())
            look.lacksValue = a.substr(0, equals);
        i += std::size_t(count);
    }
    return look;
}

// The edits that turn a into b (letters added, dropped or changed).
std::size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// An option the command does not know: the nearest of its own, or all of them.
std::string unknownOption(const std::string& given, const CliCommandSpec& command) {
    const std::string name = given.substr(0, given.find('='));
    std::string nearest;
    std::size_t best = 3; // more edits than this are no slip of the finger
    std::string all;
    for (const CliOptionSpec* o : CliOptionsOf(command.command)) {
        if (o->take == nullptr || all.find(std::string(o->name) + ",") != std::string::npos)
            continue;
        all += std::string(o->name) + ", ";
        const std::string candidate = o->name;
        std::size_t d = editDistance(name, candidate);
        // A leading part ("--lar") or one dash too few ("-larger") is as good as a slip.
        if (name.size() > 3 && candidate.compare(0, name.size(), name) == 0)
            d = std::min<std::size_t>(d, 1);
        if (d < best) {
            best = d;
            nearest = candidate;
        }
    }
    if (!nearest.empty())
        return "unknown option '" + given + "' (did you mean " + nearest + "?)";
    if (all.empty())
        return "unknown option '" + given + "': " + command.name + " takes no options but --help";
    all.resize(all.size() - 2);
    return "unknown option '" + given + "': " + command.name + " takes " + all + " (see " + command.name +
           " --help)";
}

// The exclusive groups: "give only one of --larger, --smaller and --between".
std::string onlyOneOf(const std::vector<const CliOptionSpec*>& options, const char* group) {
    std::vector<std::string> names;
    for (const CliOptionSpec* o : options)
        if (o->group != nullptr && std::strcmp(o->group, group) == 0 &&
            std::find(names.begin(), names.end(), o->name) == names.end())
            names.push_back(o->name);
    std::string text = "give only one of ";
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    return text;
}

bool checkOperands(const CliCommandSpec& spec, CliOptions& o, std::string& error) {
    for (const std::string& operand : o.folders)
        if (operand.empty()) {
            // It would name the working folder by accident: a variable that was left empty.
            error = std::string("an empty ") + (spec.operandKind == CliValueKind::File ? "FILE" : "FOLDER") +
                    " argument names no " + (spec.operandKind == CliValueKind::File ? "file" : "folder");
            return false;
        }
    switch (spec.command) {
    case CliCommand::Journal:
        if (!o.folders.empty()) {
            error = "journal takes no RUN or FOLDER (see --help)";
            return false;
        }
        return true;
    case CliCommand::Undo: {
        if (o.folders.size() > 1) {
            error = "undo takes one RUN";
            return false;
        }
        if (o.folders.empty())
            return true;
        const std::string& text = o.folders.front();
        const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), o.run);
        if (failure != std::errc() || end != text.data() + text.size() || o.run <= 0) {
            error = "RUN must be a run number from 'vantorel-cli journal', not '" + text + "'";
            return false;
        }
        return true;
    }
    case CliCommand::Compare:
        if (o.folders.size() != 2) {
            error = "compare takes OLD and NEW, each a saved scan or a folder (see --help)";
            return false;
        }
        return true;
    default:
        break;
    }
    if (!o.scans.empty() && !o.folders.empty()) {
        error = "give FOLDERs or --scan FILEs, not both";
        return false;
    }
    const std::size_t given = o.folders.size() + o.scans.size();
    if (given == 0) {
        error = std::string("no ") + spec.operand + " given (see --help)";
        return false;
    }
    if (spec.mostOperands >= 0 && given > std::size_t(spec.mostOperands)) {
        error = std::string(spec.name) + " takes one " + spec.operand;
        return false;
    }
    return true;
}

// What the options mean together.
bool checkTogether(CliOptions& o, std::string& error) {
    if (o.command == CliCommand::Dups) {
        if (o.keep && !o.content) {
            error = "--keep needs --content: only byte-for-byte copies are ever removed";
            return false;
        }
        if (!o.keep && (!o.references.empty() || o.trash || o.remove || o.dryRun)) {
            error = "--reference, --trash, --delete and --dry-run need --keep RULE";
            return false;
        }
        if (o.content && !o.scans.empty()) {
            // The check reads the files themselves, which a scan (perhaps of another machine) does not hold.
            error = "--content reads the files, which a saved scan does not hold: give FOLDERs";
            return false;
        }
    }
    if (o.command == CliCommand::Map && o.output.empty()) {
        error = "map needs --output FILE.png (see --help)";
        return false;
    }
    if (o.command == CliCommand::View && o.json && !o.total) {
        error = "--json needs --total: view prints the lines themselves as text";
        return false;
    }
    return true;
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

bool ParseCliOptions(const std::vector<std::string>& args, CliOptions& o, std::string& error) {
    o = CliOptions{};
    const std::string commandList = "dups, hogs, folders, dupfolders, dates, stats, view, strings, map, journal, "
                                    "undo, export or compare";
    if (args.empty()) {
        error = "missing command: " + commandList + " (see --help)";
        return false;
    }
    // "help" and "help COMMAND"; --help and --version before any command.
    if (args[0] == "help") {
        o.help = true;
        if (args.size() > 1) {
            const CliCommandSpec* spec = FindCliCommand(args[1]);
            if (spec == nullptr) {
                error = "unknown command '" + args[1] + "': use " + commandList;
                return false;
            }
            o.command = spec->command;
            o.commandGiven = true;
        }
        return true;
    }
    if (isOptionLike(args[0])) {
        const FirstLook look = firstLook(args, 0, CliCommand::Dups);
        if (!look.info.empty()) {
            (look.info == "--version" ? o.version : o.help) = true;
            return true;
        }
    }
    const CliCommandSpec* spec = FindCliCommand(args[0]);
    if (spec == nullptr) {
        for (const CliCommandSpec& c : CliCommands())
            if (!isOptionLike(args[0]) && editDistance(args[0], c.name) <= 2) {
                error = "unknown command '" + args[0] + "' (did you mean " + c.name + "?)";
                return false;
            }
        error = "unknown command '" + args[0] + "': use " + commandList + " (see --help)";
        return false;
    }
    o.command = spec->command;
    o.commandGiven = true;
    o.criteria.dupMode = o.command != CliCommand::Hogs;
    if (o.command == CliCommand::DupFolders)
        o.criteria.limit1K = o.criteria.limit2K = 0; // every folder that is not empty
    if (o.command == CliCommand::Export)
        o.output = "-";

    const FirstLook look = firstLook(args, 1, o.command);
    if (!look.info.empty()) {
        (look.info == "--version" ? o.version : o.help) = true;
        return true;
    }
    if (!look.lacksValue.empty()) {
        error = look.lacksValue + " needs a value";
        return false;
    }
    if (!look.flagWithValue.empty()) {
        error = look.flagWithValue + " takes no value";
        return false;
    }

    // CLI11 reads the options of this command; what it does not know (operands, "--", strange
    // options) it leaves in order, untouched: a name such as "[a,b]" stays whole.
    CLI::App app;
    app.set_help_flag();
    app.allow_extras();
    std::map<std::string, CLI::Option*> read;
    const std::vector<const CliOptionSpec*> options = CliOptionsOf(o.command);
    for (const CliOptionSpec* spec : options) {
        if (spec->take == nullptr || read.count(spec->name))
            continue;
        CLI::Option* option = spec->valueCount() == 0
                                  ? app.add_flag(spec->name)->disable_flag_override()
                                  : app.add_option(spec->name)->type_size(spec->valueCount())->allow_extra_args(false);
        option->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        read[spec->name] = option;
    }
    try {
        std::vector<std::string> reversed(args.rbegin(), args.rend() - 1);
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        // Said above in this tool's words; CLI11's own are left for what nothing above foresaw.
        error = e.what();
        return false;
    }
    bool optionsOver = false;
    for (const std::string& a : app.remaining()) {
        if (!optionsOver && a == "--") {
            optionsOver = true;
        } else if (!optionsOver && isOptionLike(a)) {
            error = unknownOption(a, *spec);
            return false;
        } else {
            o.folders.push_back(a);
        }
    }
    std::map<std::string, int> groupCounts;
    std::map<std::string, std::string> groupFlag;
    for (const CliOptionSpec* line : options) {
        const auto it = read.find(line->name);
        if (line->take == nullptr || it == read.end())
            continue;
        const int n = line->valueCount();
        const std::size_t times = n == 0 ? it->second->count() : it->second->results().size() / std::size_t(n);
        if (times == 0)
            continue;
        if (line->group != nullptr) {
            // A flag said twice is said once; anything else in a group is one choice only.
            int& count = groupCounts[line->group];
            std::string& flag = groupFlag[line->group];
            count += n == 0 ? (flag == line->name ? 0 : 1) : int(times);
            if (n == 0)
                flag = line->name;
            if (count > 1) {
                error = onlyOneOf(options, line->group);
                return false;
            }
        }
        const std::vector<std::string>& results = it->second->results();
        for (std::size_t t = 0; t < times; ++t) {
            const std::vector<std::string> values =
                n == 0 ? std::vector<std::string>()
                       : std::vector<std::string>(results.begin() + std::ptrdiff_t(t * std::size_t(n)),
                                                  results.begin() + std::ptrdiff_t((t + 1) * std::size_t(n)));
            if (!line->take(o, values, error))
                return false;
        }
        read.erase(it); // an option of two lines (one per command) is taken by its first
    }
    if (o.command == CliCommand::Dates && (!groupCounts.count("time") || !groupCounts.count("range"))) {
        error = "dates needs one of --accessed, --created, --modified and one of --before, --between, --after";
        return false;
    }
    return checkTogether(o, error) && checkOperands(*spec, o, error);
}
