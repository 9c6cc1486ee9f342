// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/DosDateTime.h"
#include "common/JsonText.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

namespace {

std::string json(std::string_view bytes) {
    std::string out;
    AppendJsonString(bytes, out);
    return out;
}

// Runs the test in a zone of its own, so the offsets are known.
class JsonTimes : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        m_old = tz ? tz : "";
        m_had = tz != nullptr;
        ::setenv("TZ", "Europe/Berlin", 1);
        ::tzset();
    }
    void TearDown() override {
        if (m_had)
            ::setenv("TZ", m_old.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::string m_old;
    bool m_had = false;
};

} // namespace

// Valid UTF-8 stays as it is, and every byte that is not part of it becomes \udcXX on its own, as
// Python's surrogateescape reads them back: overlong forms, encoded surrogates, stray continuation
// bytes, sequences cut short and code points beyond U+10FFFF.
TEST(JsonText, StringsKeepEveryByte) {
    EXPECT_EQ(json("plain"), "\"plain\"");
    EXPECT_EQ(json("tab\there\nquote\"back\\slash\x7f"), "\"tab\\u0009here\\u000aquote\\\"back\\\\slash\x7f\"");
    EXPECT_EQ(json("\xc3\xa9\xe3\x81\x82\xf0\x9f\x98\x80"), "\"\xc3\xa9\xe3\x81\x82\xf0\x9f\x98\x80\"");
    EXPECT_EQ(json("bad\xff"), "\"bad\\udcff\"");
    EXPECT_EQ(json("\xc0\xaf"), "\"\\udcc0\\udcaf\"");           // overlong "/"
    EXPECT_EQ(json("\xed\xa0\x80"), "\"\\udced\\udca0\\udc80\""); // a surrogate, encoded
    EXPECT_EQ(json("\xe3\x81"), "\"\\udce3\\udc81\"");             // cut short at the end
    EXPECT_EQ(json("\xe3\x81x"), "\"\\udce3\\udc81x\"");           // cut short by an ASCII byte
    EXPECT_EQ(json("\xf4\x90\x80\x80"), "\"\\udcf4\\udc90\\udc80\\udc80\""); // above U+10FFFF
    EXPECT_EQ(json(std::string("nul\0end", 7)), "\"nul\\u0000end\"");
}

TEST_F(JsonTimes, TimesCarryTheirOffsetAndNanoseconds) {
    std::string out;
    AppendJsonStampTime(1'700'000'000'123'456'789u, out); // 2023-11-14 22:13:20 UTC, winter time
    EXPECT_EQ(out, "\"2023-11-14T23:13:20.123456789+01:00\"");
    out.clear();
    AppendJsonTime(1'690'000'000, 5, out); // summer time
    EXPECT_EQ(out, "\"2023-07-22T06:26:40.000000005+02:00\"");
    out.clear();
    AppendJsonStampTime(static_cast<std::uint64_t>(-1'500'000'000), out); // before 1970
    EXPECT_EQ(out, "\"1970-01-01T00:59:58.500000000+01:00\"");

    out.clear();
    AppendJsonPackedTime(PackDosDateTime(2026, 7, 1, 12, 30, 44), out);
    EXPECT_EQ(out, "\"2026-07-01T12:30:44+02:00\"");
    out.clear();
    AppendJsonPackedTime(0, out);
    EXPECT_EQ(out, "null");
    out.clear();
    AppendJsonPackedDate(PackDosDateTime(2026, 12, 7, 0, 0, 0) & 0xFFFF0000u, out);
    EXPECT_EQ(out, "\"2026-12-07\"");
    out.clear();
    AppendJsonPackedTime(PackDosDateTime(2026, 13, 40, 25, 0, 0), out); // no real date: as the texts show it
    EXPECT_EQ(out, "\"1980-01-01T12:00:00+01:00\"");
}

TEST(JsonText, ObjectsJoinTheirMembers) {
    std::string out;
    JsonObject o(out);
    o.string("path", "a\xff").number("size", -1).boolean("ok", true).null("none");
    o.member("list") += "[]";
    o.end();
    EXPECT_EQ(out, "{\"path\":\"a\\udcff\",\"size\":-1,\"ok\":true,\"none\":null,\"list\":[]}");
}
