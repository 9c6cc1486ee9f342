// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/DisplayText.h"
#include "common/RecordField.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

TEST(DisplayText, ControlCharactersShowAsQuestionMarks) {
    EXPECT_EQ(DisplayText("a\tb\nc\rd"), QString("a?b?c?d"));
    EXPECT_EQ(DisplayText("del\x7F"), QString("del?"));
    EXPECT_EQ(DisplayText("nul\0x"s), QString("nul?x"));
    // A name with a tab must never add a field to a record line.
    const QString line = DisplayText("x\ty") + "\t" + "next";
    EXPECT_EQ(RecordField(line, 2), QString("next"));
}

TEST(DisplayText, LineBreakingCharactersBeyondAsciiShowAsQuestionMarks) {
    // NEL, the other C1 controls and the line and paragraph separators end a line for many readers.
    EXPECT_EQ(DisplayText("a\xC2\x85" "b"), QString("a?b"));                 // U+0085
    EXPECT_EQ(DisplayText("\xC2\x80\xC2\x9F"), QString("??"));             // U+0080, U+009F
    EXPECT_EQ(DisplayText("x\xE2\x80\xA8y\xE2\x80\xA9z"), QString("x?y?z")); // U+2028, U+2029
    EXPECT_FALSE(IsCleanName("a\xC2\x85" "b"));
    EXPECT_FALSE(IsCleanName("a\xE2\x80\xA8" "b"));
    // Their neighbours are ordinary characters and show as themselves.
    for (const char* kept : {"\xC2\xA0", "\xC2\xBF", "\xE2\x80\xA7", "\xE2\x80\xAA", "\xC3\x85"}) {
        EXPECT_EQ(DisplayText(kept), QString::fromUtf8(kept)) << kept;
        EXPECT_TRUE(IsCleanName(kept)) << kept;
    }
    // Mixed with a bad byte and a tab, each still takes exactly one place.
    EXPECT_EQ(DisplayText("\xFF\xC2\x85\t\xE2\x80\xA9"), QString(QChar::ReplacementCharacter) + "???");

    // A record line built from such a name keeps its fields and stays one line however it is split.
    const QString line = DisplayText("n\xC2\x85m\xE2\x80\xA8.txt") + "\t" + "  300 K" + "\t" + "next";
    EXPECT_EQ(RecordField(line, 2), QString("  300 K"));
    EXPECT_EQ(RecordField(line, 3), QString("next"));
    for (QChar c : line)
        EXPECT_FALSE(c.category() == QChar::Other_Control && c != u'\t') << int(c.unicode());
    EXPECT_FALSE(line.contains(QChar(0x2028)) || line.contains(QChar(0x2029)));
}

TEST(DisplayText, InvalidBytesBecomeOneReplacementEach) {
    const QString r(QChar::ReplacementCharacter);
    EXPECT_EQ(DisplayText("a\xFF" "b"), "a" + r + "b");
    EXPECT_EQ(DisplayText("\xC3"), r);                    // cut short
    EXPECT_EQ(DisplayText("\xC0\xAF"), r + r);            // overlong "/"
    EXPECT_EQ(DisplayText("\xED\xA0\x80"), r + r + r);    // surrogate
    EXPECT_EQ(DisplayText("\xF4\x90\x80\x80"), r + r + r + r); // beyond U+10FFFF
    EXPECT_EQ(DisplayText("\xE2\x82\t"), r + r + "?");     // bad byte before a control character
    EXPECT_EQ(DisplayText("\xFF\xC3\xA9"), r + QString::fromUtf8("\xC3\xA9"));
}

TEST(DisplayText, CleanNamesDecodeExactly) {
    EXPECT_EQ(DisplayText(""), QString());
    EXPECT_EQ(DisplayText("Readme.TXT"), QString("Readme.TXT"));
    const char* utf8 = "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80";
    EXPECT_EQ(DisplayText(utf8), QString::fromUtf8(utf8));
    EXPECT_EQ(DisplayText(utf8).toUtf8(), QByteArray(utf8));

    EXPECT_TRUE(IsCleanName(utf8));
    EXPECT_TRUE(IsCleanName("plain"));
    EXPECT_FALSE(IsCleanName("tab\there"));
    EXPECT_FALSE(IsCleanName("bad\xFF"));
}

TEST(DisplayText, AsciiFoldingComparesLikeTheSortKeys) {
    EXPECT_EQ(FoldAscii("Readme.txt"), "README.TXT");
    EXPECT_EQ(FoldAscii("\xC3\xA9t\xC3\xA9"), "\xC3\xA9T\xC3\xA9"); // only ASCII letters change
    EXPECT_EQ(CompareFolded("abc", "ABC"), 0);
    EXPECT_LT(CompareFolded("abc", "abcd"), 0); // a prefix sorts first
    EXPECT_GT(CompareFolded("abd", "ABC"), 0);
    // Folded to upper case: "_" (0x5F) sorts after the letters, and bytes compare unsigned.
    EXPECT_GT(CompareFolded("_a", "za"), 0);
    EXPECT_GT(CompareFolded("\xC3\xA9", "z"), 0);
}

TEST(RecordField, FieldsByPosition) {
    const QString line = "a\tb\tc";
    EXPECT_EQ(RecordField(line, 1), "a");
    EXPECT_EQ(RecordField(line, 2), "b");
    EXPECT_EQ(RecordField(line, 3), "c");
    EXPECT_EQ(RecordField(line, 4), "");
    EXPECT_EQ(RecordField(line, 0), "");
    EXPECT_EQ(RecordField("whole line", 1), "whole line");
    EXPECT_EQ(RecordField("whole line", 2), "");
    EXPECT_EQ(RecordField("\t\tx\t", 1), "");
    EXPECT_EQ(RecordField("\t\tx\t", 3), "x");
    EXPECT_EQ(RecordField("\t\tx\t", 4), "");
    EXPECT_EQ(RecordField(QString(), 1), "");
}

TEST(RecordField, ViewPointsIntoTheLine) {
    const QString line = "first\tsecond";
    const QStringView field = RecordFieldView(line, 2);
    EXPECT_EQ(field, u"second");
    EXPECT_EQ(field.data(), line.constData() + 6);
}
