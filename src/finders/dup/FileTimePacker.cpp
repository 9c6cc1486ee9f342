// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/dup/FileTimePacker.h"

#include "common/DosDateTime.h"

quint32 FileTimePacker::pack(const struct timespec& utc) {
    const time_t t = utc.tv_sec;
    // Floor division, so times before 1970 land in their own quarter hour too.
    const time_t quarter = t >= 0 ? t / 900 : -((-t + 899) / 900);
    Slot& slot = m_slots[std::size_t(quarter) & (m_slots.size() - 1)];
    if (slot.quarter != quarter) {
        const time_t start = quarter * 900;
        struct tm local {};
        const time_t end = start + 899;
        struct tm last {};
        if (!localtime_r(&start, &local) || local.tm_sec != 0 || local.tm_min % 15 != 0 ||
            !localtime_r(&end, &last) || last.tm_min != local.tm_min + 14 || last.tm_sec != 59 ||
            last.tm_hour != local.tm_hour)
            return PackFileTime(utc); // a change of offset inside this quarter hour
        quint32 base = PackDosDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                       local.tm_min, 0);
        if (base == 0)
            return 0; // outside 1980..2107; the whole quarter hour is
        slot = {quarter, base, local.tm_min};
    }
    const int offset = int(t - slot.quarter * 900); // 0 .. 899 seconds into the quarter hour
    const int minute = slot.minute + offset / 60;
    const int second = offset % 60;
    // Date and hour stay those of the quarter's start; only minutes and seconds move.
    return (slot.base & ~quint32(0x7FF)) | (quint32(minute) << 5) | quint32(second / 2);
}
