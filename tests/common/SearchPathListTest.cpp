// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/SearchPathList.h"

#include <gtest/gtest.h>

TEST(SearchPathList, SplitsAtColonsKeepingTheLastPiece) {
    SearchPathList list;
    list.fillFrom("/usr/local/bin::/usr/bin:/Opt/Tools/");
    EXPECT_EQ(list.entries(), QStringList({"/USR/LOCAL/BIN", "/USR/BIN", "/OPT/TOOLS"}));
    list.fillFrom(":/:/bin:");
    EXPECT_EQ(list.entries(), QStringList({"/", "/BIN"}));
    list.fillFrom("");
    EXPECT_TRUE(list.entries().isEmpty());
}

TEST(SearchPathList, WholeValueWhateverItsLength) {
    QString value;
    for (int i = 0; i < 200; ++i)
        value += QString("/opt/tool%1/bin:").arg(i);
    SearchPathList list;
    list.fillFrom(value);
    ASSERT_EQ(list.entries().size(), 200);
    EXPECT_EQ(list.entries().last(), "/OPT/TOOL199/BIN");
}

TEST(SearchPathList, FolderMatchesIgnoringAsciiCaseOnly) {
    SearchPathList list;
    EXPECT_FALSE(list.IsSearchPathFolder("/usr/bin"));
    list.fillFrom("/usr/bin:/usr/local/bin/:/");
    EXPECT_TRUE(list.IsSearchPathFolder("/usr/bin"));
    EXPECT_TRUE(list.IsSearchPathFolder("/USR/Bin"));
    EXPECT_TRUE(list.IsSearchPathFolder("/usr/local/bin"));
    EXPECT_TRUE(list.IsSearchPathFolder("/"));
    EXPECT_FALSE(list.IsSearchPathFolder("/usr/bin/x11"));
    EXPECT_FALSE(list.IsSearchPathFolder("/usr"));
    EXPECT_FALSE(list.IsSearchPathFolder(""));

    list.fillFrom(QString::fromUtf8("/opt/\xC3\xA9t\xC3\xA9"));
    EXPECT_TRUE(list.IsSearchPathFolder(QString::fromUtf8("/OPT/\xC3\xA9T\xC3\xA9")));
    EXPECT_FALSE(list.IsSearchPathFolder(QString::fromUtf8("/OPT/\xC3\x89T\xC3\x89")));
}

TEST(SearchPathList, ReadsTheEnvironment) {
    const QByteArray saved = qgetenv("PATH");
    qputenv("PATH", "/a/b:/c");
    SearchPathList list;
    list.GetSearchPath();
    qputenv("PATH", saved);
    EXPECT_EQ(list.entries(), QStringList({"/A/B", "/C"}));
}
