// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/DosDateTime.h"
#include "common/FileTimePacker.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace {

// Sets TZ for one test and puts the old value back.
struct ScopedZone {
    std::string old;
    bool had;
    explicit ScopedZone(const char* zone) : had(std::getenv("TZ") != nullptr) {
        if (had)
            old = std::getenv("TZ");
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedZone() {
        if (had)
            setenv("TZ", old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
};

} // namespace

TEST(FileTimePacker, AgreesWithTheDirectConversionInOddZones) {
    // Half-hour and 45-minute offsets, a half-hour change, changes at midnight (Sao Paulo), a negative
    // summer offset (Dublin), a skipped calendar day (Apia, end of 2011) and leap seconds (right/UTC).
    for (const char* zone : {"UTC", "Europe/Berlin", "Asia/Kathmandu", "America/St_Johns", "Australia/Lord_Howe",
                             "America/Sao_Paulo", "Europe/Dublin", "Pacific/Apia", "right/UTC"}) {
        ScopedZone z(zone);
        FileTimePacker packer;
        // Every 7,777 seconds from 1979 to 2108 crosses each daylight-saving change many times over,
        // and both ends of the packed range.
        for (time_t t = 283996800 - 86400 * 30; t < 4354819200 + 86400 * 30; t += 7777) {
            timespec ts{t, 0};
            ASSERT_EQ(packer.pack(ts), PackFileTime(ts)) << zone << " " << t;
        }
        // Second by second across a spring and an autumn change in Berlin's rules (harmless elsewhere).
        for (time_t start : {time_t(1711846800 - 1800), time_t(1729990800 - 1800)})
            for (time_t t = start; t < start + 3600; ++t)
                ASSERT_EQ(packer.pack({t, 0}), PackFileTime({t, 0})) << zone << " " << t;
        // Hour by hour through the days around Apia's skipped day, a Sao Paulo change at midnight and
        // the leap second at the end of 2016.
        for (time_t start : {time_t(1325073600), time_t(1572739200), time_t(1483142400)})
            for (time_t t = start; t < start + 3 * 86400; t += 1800)
                for (time_t s : {t, t + 1, t + 1799})
                    ASSERT_EQ(packer.pack({s, 0}), PackFileTime({s, 0})) << zone << " " << s;
        // Times no calendar holds pack to 0 without harm.
        for (time_t t : {std::numeric_limits<time_t>::max(), std::numeric_limits<time_t>::min(), time_t(-1),
                         time_t(1) << 44, -(time_t(1) << 44)})
            ASSERT_EQ(packer.pack({t, 0}), PackFileTime({t, 0})) << zone << " " << t;
    }
}
