// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

// The completion script of vantorel-cli for shell ("bash", "zsh" or "fish"), made from the command
// and option tables: commands, each command's options, the words, files or folders their values
// take, and files or folders for the operands. Empty for another shell.
std::string CompletionScript(const std::string& shell);
