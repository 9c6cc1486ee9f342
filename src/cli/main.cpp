// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdio>

int main() {
    std::fputs("vantorel-cli: not built yet\n", stderr);
    return 2;
}
