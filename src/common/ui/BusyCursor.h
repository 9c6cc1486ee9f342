// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The hourglass for as long as the guard lives; the cursor comes back on every path out, exceptions
// included. Guards nest.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

    // Restores the cursor before the guard ends (once); for a box shown while the guard still lives.
    void release();

private:
    bool m_active = true;
};
