// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/CurrentFolder.h"

#include <cerrno>
#include <unistd.h>
#include <vector>

namespace {

// The working folder may be longer than PATH_MAX; grow the buffer until it fits.
std::string WorkingFolder() {
    std::vector<char> buffer(4096);
    while (true) {
        if (::getcwd(buffer.data(), buffer.size()))
            return std::string(buffer.data());
        if (errno != ERANGE)
            return "/"; // the working folder was removed: the root still exists
        buffer.resize(buffer.size() * 2);
    }
}

struct State {
    bool known = false;
    std::string path;
};

State& TheState() {
    static State state;
    return state;
}

} // namespace

std::string CurrentFolder::get() {
    State& s = TheState();
    if (!s.known) {
        s.path = WorkingFolder();
        s.known = true;
    }
    return s.path;
}

void CurrentFolder::set(std::string_view path) {
    State& s = TheState();
    s.path = path;
    s.known = true;
}
