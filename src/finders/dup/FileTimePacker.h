// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QtGlobal>
#include <array>
#include <ctime>

// PackFileTime for a scan: the same packed local date-time, but the local-time conversion is done
// once per quarter hour of universal time and remembered, since a scan packs two times per file and
// the files of a tree share few quarter hours. A quarter hour is remembered only when local time
// runs in step with universal time all through it (no change of offset inside it).
class FileTimePacker {
public:
    quint32 pack(const struct timespec& utc);

private:
    struct Slot {
        time_t quarter = -1;  // universal time / 900
        quint32 base = 0;     // packed local time at the start of that quarter hour
        int minute = 0;       // its local minute (0, 15, 30 or 45)
    };
    std::array<Slot, 64> m_slots{};
};
