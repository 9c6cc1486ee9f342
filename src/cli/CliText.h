// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "common/DisplayText.h"

#include <cstdio>
#include <string>

// A message of vantorel-cli on standard error.
inline void CliWarn(const std::string& text) {
    std::fprintf(stderr, "vantorel-cli: %s\n", text.c_str());
}
// A path in a message: control characters must not break the message's line.
inline std::string CliShown(const std::string& path) {
    return DisplayText(path).toLocal8Bit().toStdString();
}
