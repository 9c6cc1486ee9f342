// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "cli/CliOptions.h"

#include <span>
#include <string>
#include <vector>

// The commands and options of vantorel-cli, in one place: the parser, every help text and the
// shell completions are made from these tables.

constexpr unsigned CliBit(CliCommand command) { return 1u << unsigned(command); }

// What a shell may offer for a value or an operand.
enum class CliValueKind { None, Folder, File, Words };

struct CliCommandSpec {
    CliCommand command;
    const char* name;
    const char* summary;     // one line in the list of commands
    const char* synopsis;    // the usage lines after "vantorel-cli ", one per '\n'
    const char* description; // the paragraph of COMMAND --help, lines of at most 78 characters
    const char* operand;     // how the operands are named ("FOLDER", "FILE", "RUN"); "" for none
    int leastOperands;       // counting --scan FILEs where the command takes them
    int mostOperands;        // -1: any number
    CliValueKind operandKind;
};

struct CliOptionSpec {
    const char* name;   // "--larger"
    const char* values; // the value names ("SIZE", "DATE1 DATE2"); "" for a flag
    unsigned commands;  // the CliBit of each command that takes it
    const char* group;  // options of one group exclude each other; nullptr for none
    const char* help;   // one line of COMMAND --help
    CliValueKind valueKind;
    const char* words;  // CliValueKind::Words: what may be given
    // Takes one occurrence's values into options; false with the message on a mistake. nullptr for
    // --help and --version, which are answered before anything else is read.
    bool (*take)(CliOptions& options, const std::vector<std::string>& values, std::string& error);

    int valueCount() const;
};

std::span<const CliCommandSpec> CliCommands();
std::span<const CliOptionSpec> CliOptionTable();

// The command of that name; nullptr for none.
const CliCommandSpec* FindCliCommand(const std::string& name);
const CliCommandSpec& CliCommandOf(CliCommand command);
// The options of one command, in the table's order.
std::vector<const CliOptionSpec*> CliOptionsOf(CliCommand command);
