// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

// A copy of the program at path in a fresh temporary folder of mode 0755, made once per test process
// and removed at its end, for children that drop to "nobody" before they run it: the build folder
// may lie where nobody cannot reach (a checkout under a mode-0700 home). Our programs need no file
// beside them (our libraries are linked in), so the copy runs as the original does. Throws when the
// copy cannot be made.
const std::string& ReachableProgram(const std::string& path);
