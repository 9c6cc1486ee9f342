// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <string_view>

// The program's own notion of the current folder (the process's working folder is never changed).
// It starts as the process's working folder; walks and the folder browser move it; windows that tick
// "the drive of the current folder" read it.
class CurrentFolder {
public:
    static std::string get();
    static void set(std::string_view path);
};
