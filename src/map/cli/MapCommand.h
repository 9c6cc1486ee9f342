// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

struct CliOptions;

// vantorel-cli map [--size WxH] [--threads N] --output FILE.png FOLDER: the map of FOLDER (or of one
// --scan FILE) as a PNG picture, drawn without any display. argv is main()'s, for the application.
// Exit status 0, or 2 for a folder that cannot be opened or an output that cannot be written.
int RunMapCommand(const CliOptions& options, char** argv);
