// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/FileTimePacker.h"

#include "common/DosDateTime.h"

namespace {

constexpr std::int64_t kDay = 86400;
constexpr std::size_t kSlots = 1 << 14;
constexpr std::int64_t kFarOut = std::int64_t(1) << 43;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Proleptic Gregorian civil date of a day count from 1970-01-01.
void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = floorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

// The packed date of a local day count (midnight), 0 outside the packed years.
quint32 packedDay(std::int64_t days) {
    int year = 0, month = 0, day = 0;
    civilFromDays(days, year, month, day);
    return PackDosDateTime(year, month, day, 0, 0, 0);
}

// Local fields of a universal time shifted by a fixed offset.
struct Fields {
    int year, month, day, hour, minute, second;
};
Fields shifted(std::int64_t t, std::int32_t offset) {
    const std::int64_t local = t + offset;
    const std::int64_t days = floorDiv(local, kDay);
    const std::int64_t secs = local - days * kDay;
    Fields f{};
    civilFromDays(days, f.year, f.month, f.day);
    f.hour = int(secs / 3600);
    f.minute = int(secs / 60 % 60);
    f.second = int(secs % 60);
    return f;
}

bool sameAs(const Fields& f, const struct tm& tm) {
    return f.year == tm.tm_year + 1900 && f.month == tm.tm_mon + 1 && f.day == tm.tm_mday && f.hour == tm.tm_hour &&
           f.minute == tm.tm_min && f.second == tm.tm_sec;
}

} // namespace

FileTimePacker::Slot& FileTimePacker::slotOf(std::int64_t day) {
    if (m_slots.empty())
        m_slots.resize(kSlots);
    Slot& slot = m_slots[std::size_t(day) & (kSlots - 1)];
    if (slot.day == day)
        return slot;
    slot.day = day;
    slot.steady = false;
    // The offset at both ends of the day, and the library's own fields there: a change of offset
    // (or a leap second, which no offset explains) inside the day leaves it unsteady.
    const time_t first = time_t(day * kDay);
    const time_t last = first + time_t(kDay - 1);
    struct tm a {}, b {};
    if (localtime_r(&first, &a) && localtime_r(&last, &b) && a.tm_gmtoff == b.tm_gmtoff) {
        const auto offset = std::int32_t(a.tm_gmtoff);
        if (sameAs(shifted(first, offset), a) && sameAs(shifted(last, offset), b)) {
            slot.offset = offset;
            slot.steady = true;
            // One offset all day: the day's local times fall in at most two local days.
            slot.firstLocal = floorDiv(day * kDay + offset, kDay);
            slot.dates[0] = packedDay(slot.firstLocal);
            slot.dates[1] = packedDay(slot.firstLocal + 1);
        }
    }
    return slot;
}

quint32 FileTimePacker::pack(const struct timespec& utc) {
    const std::int64_t t = utc.tv_sec;
    // Far outside the packed years (about ±300,000 years): no day arithmetic that could overflow.
    if (t > kFarOut || t < -kFarOut)
        return PackFileTime(utc);
    const Slot& slot = slotOf(floorDiv(t, kDay));
    if (!slot.steady)
        return PackFileTime(utc);
    // The date of the day is packed already; only the time of day is left.
    const std::int64_t local = t + slot.offset;
    const std::int64_t localDay = floorDiv(local, kDay);
    const quint32 date = slot.dates[localDay == slot.firstLocal ? 0 : 1];
    if (date == 0)
        return 0;
    const auto secs = quint32(local - localDay * kDay);
    return date | ((secs / 3600) << 11) | ((secs / 60 % 60) << 5) | (secs % 60 / 2);
}
