// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileTypes.h"

#include <QMimeDatabase>
#include <gtest/gtest.h>

TEST(FileTypeName, KnownExtensionsHaveTheirDescription) {
    const QString text = FileTypeName(".txt");
    EXPECT_FALSE(text.isEmpty());
    EXPECT_NE(text, "TXT File");
    EXPECT_EQ(text, QMimeDatabase().mimeTypeForName("text/plain").comment());
    EXPECT_EQ(FileTypeName(".TXT"), text); // extensions ignore case
    EXPECT_EQ(FileTypeName(".txt"), text); // the kept answer is the same
}

TEST(FileTypeName, UnknownExtensionsFallBackToTheirName) {
    EXPECT_EQ(FileTypeName(".xyz"), "XYZ File");
    EXPECT_EQ(FileTypeName(".zzz"), "ZZZ File");
    EXPECT_EQ(FileTypeName(".Qq9"), "QQ9 File");
}

TEST(FileTypeName, EmptyForNoExtensionOrAPattern) {
    EXPECT_EQ(FileTypeName(""), "");
    EXPECT_EQ(FileTypeName(".*"), "");
    EXPECT_EQ(FileTypeName("*.txt"), "");
}

TEST(WildcardPatterns, AllFilesFirstThenShortExtensionsOnce) {
    const QStringList patterns = WildcardPatterns();
    ASSERT_GT(patterns.size(), 10);
    EXPECT_EQ(patterns.first(), "*.*");
    EXPECT_TRUE(patterns.contains("*.jpeg"));
    EXPECT_TRUE(patterns.contains("*.txt"));
    EXPECT_FALSE(patterns.contains("*.class"));
    EXPECT_FALSE(patterns.contains("*.tar.gz"));
    QStringList folded;
    for (qsizetype i = 1; i < patterns.size(); ++i) {
        const QString& p = patterns[i];
        EXPECT_TRUE(p.startsWith("*.")) << p.toStdString();
        EXPECT_LE(p.size(), 6) << p.toStdString();
        EXPECT_FALSE(p.mid(2).contains(u'.')) << p.toStdString();
        if (i > 1) {
            EXPECT_LE(patterns[i - 1].compare(p, Qt::CaseInsensitive), 0) << p.toStdString();
        }
        folded.append(p.toLower());
    }
    folded.removeDuplicates();
    EXPECT_EQ(folded.size(), patterns.size() - 1);
}
