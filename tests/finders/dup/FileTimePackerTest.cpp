// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/DosDateTime.h"
#include "finders/dup/FileTimePacker.h"

#include <cstdlib>
#include <gtest/gtest.h>
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
    for (const char* zone : {"UTC", "Europe/Berlin", "Asia/Kathmandu", "America/St_Johns", "Australia/Lord_Howe"}) {
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
    }
}
