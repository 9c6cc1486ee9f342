// SPDX-License-Identifier: GPL-3.0-or-later
// vantorel-completions FOLDER: writes the completion scripts of vantorel-cli into FOLDER, at build
// time, so that what the shells offer is always what the tool takes.
#include "cli/CompletionScripts.h"

#include <cstdio>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: vantorel-completions FOLDER\n", stderr);
        return 2;
    }
    const std::string folder = argv[1];
    const std::pair<const char*, const char*> files[] = {
        {"bash", "vantorel-cli"}, {"zsh", "_vantorel-cli"}, {"fish", "vantorel-cli.fish"}};
    for (const auto& [shell, name] : files) {
        std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
        out << CompletionScript(shell);
        out.close();
        if (!out) {
            std::fprintf(stderr, "vantorel-completions: cannot write %s/%s\n", folder.c_str(), name);
            return 2;
        }
    }
    return 0;
}
