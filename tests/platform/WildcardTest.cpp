// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Wildcard.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

TEST(Wildcard, StarDotStarMatchesEveryName) {
    const WildcardPattern all("*.*");
    EXPECT_TRUE(all.matchesEverything());
    for (const char* name : {"a.txt", "Makefile", ".hidden", "x.", "tab\tname", "\xFF\xFE"})
        EXPECT_TRUE(all.matches(name)) << name;
    EXPECT_TRUE(WildcardPattern("*").matches("anything.at.all"));
}

TEST(Wildcard, ExtensionsIgnoreAsciiCase) {
    const WildcardPattern txt("*.txt");
    EXPECT_TRUE(txt.matches("readme.txt"));
    EXPECT_TRUE(txt.matches("README.TXT"));
    EXPECT_TRUE(txt.matches("a.b.Txt"));
    EXPECT_FALSE(txt.matches("readme.txt.bak"));
    EXPECT_FALSE(txt.matches("txt"));
    EXPECT_FALSE(txt.matches("readme_txt"));
    // Only ASCII letters fold: "É" is not "é".
    const WildcardPattern accented(QString::fromUtf8("*.\xC3\xA9"));
    EXPECT_TRUE(accented.matches("x.\xC3\xA9"));
    EXPECT_FALSE(accented.matches("x.\xC3\x89"));
}

TEST(Wildcard, QuestionMarkTakesOneCharacter) {
    const WildcardPattern p("?.doc");
    EXPECT_TRUE(p.matches("a.doc"));
    EXPECT_TRUE(p.matches("\xC3\xA9.doc"));        // one two-byte character
    EXPECT_TRUE(p.matches("\xE2\x82\xAC.doc"));    // one three-byte character
    EXPECT_TRUE(p.matches("\xFF.doc"));            // one byte that is no character
    EXPECT_FALSE(p.matches(".doc"));
    EXPECT_FALSE(p.matches("ab.doc"));
    EXPECT_FALSE(p.matches("\xFF\xFF.doc"));
    // "*" gives up whole characters, so it cannot leave the tail of one for "?".
    EXPECT_FALSE(WildcardPattern("*??").matches("\xE2\x82\xAC"));
    EXPECT_TRUE(WildcardPattern("*??").matches("a\xE2\x82\xAC"));
    EXPECT_TRUE(WildcardPattern("data??.*").matches("DATA01.csv"));
    EXPECT_FALSE(WildcardPattern("data??.*").matches("data1.csv"));
}

TEST(Wildcard, StarsInsideThePattern) {
    EXPECT_TRUE(WildcardPattern("a*b*c").matches("aXXbYYc"));
    EXPECT_TRUE(WildcardPattern("a*b*c").matches("abc"));
    EXPECT_FALSE(WildcardPattern("a*b*c").matches("aXXbYY"));
    EXPECT_TRUE(WildcardPattern("*ab").matches("aab"));
    EXPECT_TRUE(WildcardPattern("report*").matches("Report 2024.pdf"));
    EXPECT_FALSE(WildcardPattern("report").matches("report2"));
    EXPECT_TRUE(WildcardPattern("*.tar.gz").matches("x.TAR.GZ"));
    EXPECT_TRUE(WildcardPattern("*\t*").matches("tab\tname"));
}

TEST(Wildcard, DotStarAlsoMatchesNamesWithoutDot) {
    const WildcardPattern p("readme.*");
    EXPECT_TRUE(p.matches("README"));
    EXPECT_TRUE(p.matches("readme.md"));
    EXPECT_FALSE(p.matches("readme2"));
    EXPECT_TRUE(WildcardPattern("a*.*").matches("abc"));
    EXPECT_FALSE(WildcardPattern("*x.*").matches("a.bx"));
}

TEST(Wildcard, SeveralPatternsJoinedBySemicolons) {
    const WildcardPattern p("*.jpg; *.PNG;;photo?.gif");
    EXPECT_TRUE(p.matches("a.JPG"));
    EXPECT_TRUE(p.matches("b.png"));
    EXPECT_TRUE(p.matches("photo1.gif"));
    EXPECT_FALSE(p.matches("photo12.gif"));
    EXPECT_FALSE(p.matches("c.bmp"));
    EXPECT_FALSE(p.matchesEverything());
    EXPECT_TRUE(WildcardPattern("*.txt;*.*").matches("anything"));
}

TEST(Wildcard, EmptyPatternMatchesNothing) {
    for (const QString& text : {QString(), QString(""), QString(" ; ;")}) {
        const WildcardPattern p(text);
        EXPECT_TRUE(p.isEmpty());
        EXPECT_FALSE(p.matches("a.txt"));
        EXPECT_FALSE(p.matches(""));
    }
    EXPECT_FALSE(WildcardPattern().matches("a"));
}
