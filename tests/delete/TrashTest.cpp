// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Trash.h"
#include "support/TempTree.h"
#include "DeleteTestSupport.h"

#include <QDateTime>
#include <gtest/gtest.h>

TEST(TrashTest, FileGoesToTheDesktopTrashWithPathAndDate) {
    TempTree tree;
    const std::string path = tree.file("trash-me.txt", 12);
    QString error;
    ASSERT_TRUE(Trash::moveToTrash(path, &error)) << error.toStdString();
    EXPECT_FALSE(exists(path));
    EXPECT_TRUE(inTrash("trash-me.txt"));
    const QString info = trashInfo("trash-me.txt");
    EXPECT_TRUE(info.contains("Path=" + QString::fromStdString(path) + "\n")) << info.toStdString();
    const QString day = QDate::currentDate().toString("yyyy-MM-dd");
    EXPECT_TRUE(info.contains("DeletionDate=" + day)) << info.toStdString();
}

TEST(TrashTest, MissingFileReportsFailure) {
    TempTree tree;
    QString error;
    EXPECT_FALSE(Trash::moveToTrash(tree.path("nothing-here"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(Trash::moveToTrash(""));
}

TEST(TrashTest, LinkGoesAsALink) {
    TempTree tree;
    const std::string target = tree.file("keep-target.txt", 3);
    const std::string link = tree.symlink("trash-link", target);
    ASSERT_TRUE(Trash::moveToTrash(link));
    EXPECT_TRUE(exists(target));
    EXPECT_FALSE(exists(link));
}

TEST(TrashTest, CanTrashAnswersPerVolume) {
    TempTree tree;
    tree.folder("sub");
    EXPECT_TRUE(Trash::canTrash(tree.path("sub")));
    EXPECT_FALSE(Trash::canTrash(tree.path("missing")));
    EXPECT_FALSE(Trash::canTrash("/proc/self"));
}
