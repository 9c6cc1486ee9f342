// SPDX-License-Identifier: GPL-3.0-or-later
// The help texts, made from the command and option tables.
#include "BuildConfig.h"
#include "cli/CliOptions.h"
#include "cli/CliTable.h"

#include <algorithm>
#include <cstring>

namespace {

// text's words after line, in lines of at most 79 columns; each further line begins with indent
// blanks.
std::string wrapped(std::string line, const std::string& text, std::size_t indent) {
    std::string out;
    const std::size_t start = line.size();
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find_first_of(" \n", at);
        if (end == std::string::npos)
            end = text.size();
        const std::string word = text.substr(at, end - at);
        at = end + 1;
        if (word.empty())
            continue;
        if (line.size() > start && line.size() + 1 + word.size() > 79) {
            out += line + "\n";
            line = std::string(indent, ' ');
        } else if (line.size() > start) {
            line += ' ';
        }
        line += word;
    }
    return out + line + "\n";
}

// "  --between SIZE1 SIZE2  files from SIZE1 to SIZE2": names in a column wide enough for the longest.
std::string optionLines(const std::vector<const CliOptionSpec*>& options) {
    std::vector<std::string> heads;
    std::size_t width = 0;
    for (const CliOptionSpec* o : options) {
        heads.push_back(std::string(o->name) + (*o->values ? " " : "") + o->values);
        width = std::max(width, heads.back().size());
    }
    std::string out;
    for (std::size_t i = 0; i < options.size(); ++i)
        out += wrapped("  " + heads[i] + std::string(width - heads[i].size() + 2, ' '), options[i]->help, width + 4);
    return out;
}

bool takesSizes(CliCommand command) {
    return command == CliCommand::Dups || command == CliCommand::Hogs || command == CliCommand::DupFolders;
}

} // namespace

const char* CliVersion() { return "vantorel-cli (Vantorel '95) " VANTOREL_VERSION "\n"; }

std::string CliUsage() {
    std::string out = "Usage: vantorel-cli COMMAND [OPTIONS] [FOLDER...]\n"
                      "       vantorel-cli help [COMMAND]\n"
                      "\n"
                      "Finds duplicate files, file hogs, large and copied folders and dated files without\n"
                      "windows, for scripts and people at a terminal. Commands:\n";
    std::size_t width = 0;
    for (const CliCommandSpec& c : CliCommands())
        width = std::max(width, std::strlen(c.name));
    for (const CliCommandSpec& c : CliCommands())
        out += "  " + std::string(c.name) + std::string(width - std::strlen(c.name) + 2, ' ') + c.summary + "\n";
    out += "\n"
           "vantorel-cli COMMAND --help (or help COMMAND) gives the command's options.\n"
           "  --help     this text\n"
           "  --version  the program's name and version\n"
           "\n"
           "Standard output holds the results only, tab-separated lines (--json: JSON Lines);\n"
           "messages go to standard error. Exit status: 0 results, 1 none found, 2 a mistake in\n"
           "the arguments, a missing folder or output that could not be written.\n";
    return out;
}

std::string CommandHelp(CliCommand command) {
    const CliCommandSpec& spec = CliCommandOf(command);
    std::string out;
    std::string synopsis = spec.synopsis;
    bool first = true;
    for (std::size_t start = 0; start <= synopsis.size();) {
        const std::size_t end = std::min(synopsis.find('\n', start), synopsis.size());
        // A line that begins with a blank goes on with the one above it.
        const std::string line = synopsis.substr(start, end - start);
        out += std::string(first ? "Usage: " : "       ") + (line[0] == ' ' ? "             " : "vantorel-cli ") +
               line + "\n";
        first = false;
        start = end + 1;
    }
    out += "\n" + wrapped("", spec.description, 0) + "\nOptions:\n" + optionLines(CliOptionsOf(command));
    if (takesSizes(command))
        out += "\nSIZE is one of --larger, --smaller, --between; a size is a whole number of K\n"
               "(1 K = 1024 bytes) or a number with K, M, G or T: 500K, 1.5M, 2G, 1T.\n";
    out += "\nSee vantorel-cli(1) for the output's fields and the exit status.\n";
    return out;
}

std::string CliHelpText(const CliOptions& options) {
    return options.commandGiven ? CommandHelp(options.command) : CliUsage();
}
