// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <vector>

// vantorel-cli map [--size WxH] [--threads N] --output FILE.png FOLDER: the map of FOLDER as a PNG picture, drawn
// without any display.
struct MapCommandOptions {
    static constexpr int MostPixels = 16384; // a side
    int width = 1600;
    int height = 1000;
    std::string output;
    std::string folder;
    int threads = 0; // --threads (0: not given)
    std::string scan; // --scan FILE: a saved scan instead of FOLDER
    bool help = false;
    bool version = false;
};

// Reads the arguments after "map". On a mistake returns false with the message (without the
// program's name).
bool ParseMapCommand(const std::vector<std::string>& args, MapCommandOptions& options, std::string& error);

// The whole command, argv as main() got it (argv[1] is "map"). Exit status 0, or 2 for bad
// arguments, a folder that cannot be opened or an output that cannot be written.
int RunMapCommand(int argc, char** argv);
