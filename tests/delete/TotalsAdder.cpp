// SPDX-License-Identifier: GPL-3.0-or-later
// A separate program that records runs in the totals file of its XDG_CONFIG_HOME, so that tests can
// race real processes against each other. "totals_adder COUNT" records COUNT runs, taking turns
// between a permanent one (1 file, 3 bytes) and a recycle one (1 file, 5 bytes).
#include "delete/DeletionTotals.h"
#include "platform/AppError.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 0;
    try {
        for (int i = 0; i < count; ++i) {
            if (i % 2 == 0)
                DeletionTotals::addDeletionTotals(1, 3, 0, 0);
            else
                DeletionTotals::addDeletionTotals(0, 0, 1, 5);
        }
    } catch (const AppError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
