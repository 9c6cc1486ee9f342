// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QtGlobal>
#include <cstdint>
#include <ctime>
#include <vector>

// PackFileTime for a scan: the same packed local date-time, but the time zone is asked once per day
// of universal time and its offset remembered, since a scan packs two times per file and the C
// library's conversion costs far more than the arithmetic. A day is remembered only when local time
// is universal time plus one offset all through it (no change of offset inside that day, no leap
// second); any other day is converted time by time.
class FileTimePacker {
public:
    quint32 pack(const struct timespec& utc);

private:
    struct Slot {
        std::int64_t day = INT64_MIN; // universal time / 86400 (floor)
        std::int64_t firstLocal = 0;  // the local day (floor) in which that day begins
        quint32 dates[2] = {0, 0};    // packed date of firstLocal and the next local day (0: outside the years)
        std::int32_t offset = 0;      // seconds east of universal time all that day
        bool steady = false;          // false: the day holds a change, convert each time
    };
    Slot& slotOf(std::int64_t day);
    // 16,384 days (about 45 years) before two days share a slot.
    std::vector<Slot> m_slots;
};
