// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AppError.h"
#include "platform/CurrentFolder.h"
#include "platform/DriveTable.h"
#include "support/TempTree.h"

#include <QDir>
#include <gtest/gtest.h>
#include <map>
#include <sys/statvfs.h>

namespace {

// Sets VANTOREL_DRIVES for one test.
class DrivesGuard {
public:
    explicit DrivesGuard(const std::string& value) { qputenv("VANTOREL_DRIVES", value.c_str()); }
    ~DrivesGuard() { qunsetenv("VANTOREL_DRIVES"); }
};

const char* const kMountInfo =
    "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
    "23 27 0:22 / /sys rw,relatime - sysfs sysfs rw\n"
    "24 27 0:6 / /dev rw,relatime - devtmpfs devtmpfs rw\n"
    "25 24 0:23 / /dev/shm rw,relatime - tmpfs tmpfs rw\n"
    "27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
    "31 23 0:28 / /sys/fs/cgroup rw,relatime - cgroup2 cgroup2 rw\n"
    "40 27 8:17 / /media/usb\\040stick rw,relatime shared:5 master:2 - vfat /dev/sdb1 rw\n"
    "41 27 8:1 / /home rw,relatime - ext4 /dev/sda1 rw\n"
    "42 27 8:1 /srv/data /data rw,relatime - ext4 /dev/sda1 rw\n"   // bind of a folder of /home's disk
    "43 27 254:0 /var/www /www rw,relatime - ext4 /dev/vda rw\n"    // bind of the root disk
    "44 27 0:50 / /mnt/nas rw,relatime - nfs4 server:/export rw\n"
    "45 27 0:51 / /mnt/ssh rw,relatime - fuse.sshfs me@host:/ rw\n"
    "46 27 7:0 / /snap/core/1 ro,relatime - squashfs /dev/loop0 ro\n"
    "47 27 8:33 / /etc/hostname rw,relatime - ext4 /dev/sdc1 rw\n"  // a file mount
    "48 27 0:60 / /run/user/0 rw - tmpfs tmpfs rw\n"
    "bad line\n";

std::vector<Drive> Table(const char* info) {
    const std::map<std::string, QString> labels{{"/dev/sdb1", "STICK"}, {"/dev/vda", "rootfs"}};
    return DriveTable::fromMountInfo(
        info, [](const std::string& path) { return path != "/etc/hostname"; },
        [&](const std::string& source) {
            const auto it = labels.find(source);
            return it == labels.end() ? QString() : it->second;
        });
}

} // namespace

TEST(DriveTable, RealFilesystemsInMountPointOrder) {
    const std::vector<Drive> drives = Table(kMountInfo);
    std::vector<std::string> mounts;
    for (const Drive& d : drives)
        mounts.push_back(std::string(1, char(d.letter.unicode())) + "=" + d.mountPoint);
    EXPECT_EQ(mounts, (std::vector<std::string>{"C=/", "D=/home", "E=/media/usb stick", "F=/mnt/nas", "G=/mnt/ssh"}));
    EXPECT_EQ(drives[0].itemText(), "C: [rootfs] /");
    EXPECT_EQ(drives[2].itemText(), "E: [STICK] /media/usb stick");
    EXPECT_EQ(drives[1].itemText(), "D: /home");
    EXPECT_EQ(drives[3].caption(), "F:");
}

TEST(DriveTable, OneDrivePerFilesystemPreferringItsWholeMount) {
    const char* info = "1 0 8:2 / / rw - ext4 /dev/sda2 rw\n"
                       "2 1 8:3 /sub /a rw - xfs /dev/sda3 rw\n"
                       "3 1 8:3 / /b rw - xfs /dev/sda3 rw\n"
                       "4 1 8:4 /x /c rw - xfs /dev/sda4 rw\n"
                       "5 1 8:4 /y /d rw - xfs /dev/sda4 rw\n";
    const std::vector<Drive> drives = Table(info);
    ASSERT_EQ(drives.size(), 3u);
    EXPECT_EQ(drives[1].mountPoint, "/b");
    EXPECT_EQ(drives[2].mountPoint, "/c");
}

TEST(DriveTable, OverlayCountsOnlyAsTheRootAndTheTableStopsAtZ) {
    std::string info = "1 0 0:40 / / rw - overlay overlay rw\n"
                       "2 1 0:41 / /merged rw - overlay overlay rw\n";
    for (int i = 0; i < 30; ++i)
        info += std::to_string(10 + i) + " 1 8:" + std::to_string(10 + i) + " / /m" + std::to_string(10 + i) +
                " rw - ext4 /dev/sdx" + std::to_string(i) + " rw\n";
    const std::vector<Drive> drives = Table(info.c_str());
    ASSERT_EQ(drives.size(), 24u);
    EXPECT_EQ(drives.front().mountPoint, "/");
    EXPECT_EQ(drives.back().letter, QChar(u'Z'));
    for (const Drive& d : drives)
        EXPECT_NE(d.mountPoint, "/merged");
}

TEST(DriveTable, OverrideParsing) {
    const std::vector<Drive> drives = DriveTable::fromOverride("e=/tmp/x/;C=/;bad;D=;7=/n;[=/n;E=/dup;;");
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0].letter, QChar(u'C'));
    EXPECT_EQ(drives[0].mountPoint, "/");
    EXPECT_EQ(drives[1].letter, QChar(u'E'));
    EXPECT_EQ(drives[1].mountPoint, "/tmp/x");
    EXPECT_EQ(drives[1].itemText(), "E: /tmp/x");
    EXPECT_TRUE(DriveTable::fromOverride("").empty());
    // Path bytes are kept as given, spaces and all.
    EXPECT_EQ(DriveTable::fromOverride("Q= /a b ").at(0).mountPoint, " /a b ");
}

TEST(DriveTable, LoadUsesTheOverrideAndFindsByLetterOrPath) {
    TempTree tree;
    const std::string d = tree.folder("disk d");
    DrivesGuard guard("D=" + d + ";C=" + tree.root() + ";X=" + tree.path("missing"));
    const std::vector<Drive> drives = DriveTable::load();
    ASSERT_EQ(drives.size(), 3u);
    EXPECT_EQ(drives[0].mountPoint, tree.root());
    EXPECT_EQ(DriveTable::find(u'd')->mountPoint, d);
    EXPECT_FALSE(DriveTable::find(u'E').has_value());

    EXPECT_EQ(DriveTable::indexOfPath(drives, d + "/sub/file"), 1);
    EXPECT_EQ(DriveTable::indexOfPath(drives, d), 1);
    EXPECT_EQ(DriveTable::indexOfPath(drives, tree.root() + "/other"), 0);
    EXPECT_EQ(DriveTable::indexOfPath(drives, d + "x"), 0); // "disk dx" is not inside "disk d"
    EXPECT_EQ(DriveTable::indexOfPath(drives, "/elsewhere"), -1);
    const std::vector<Drive> rooted{Drive{QChar(u'C'), "/", {}}, Drive{QChar(u'D'), "/home", {}}};
    EXPECT_EQ(DriveTable::indexOfPath(rooted, "/home/me"), 1);
    EXPECT_EQ(DriveTable::indexOfPath(rooted, "/homework"), 0);
}

TEST(DriveReady, ReadyWhenTheMountPointAnswers) {
    TempTree tree;
    DrivesGuard guard("C=" + tree.root() + ";X=" + tree.path("missing"));
    EXPECT_TRUE(DriveReady(u'C'));
    EXPECT_TRUE(DriveReady(u'c'));
    EXPECT_FALSE(DriveReady(u'X'));
    EXPECT_FALSE(DriveReady(u'D')); // no such drive

    const std::optional<DriveSpace> space = DriveSpaceOf(u'c');
    ASSERT_TRUE(space.has_value());
    EXPECT_GT(space->totalBytes, 0);
    EXPECT_GE(space->totalBytes, space->freeBytes);
    EXPECT_GT(space->clusterBytes, 0);
    EXPECT_FALSE(DriveSpaceOf(u'X').has_value());
}

TEST(DriveSpace, UsedFreeAndReservedAsDfCountsThem) {
    struct statvfs st {};
    st.f_frsize = 4096;
    st.f_bsize = 1 << 20; // only the transfer size
    st.f_blocks = 1000;
    st.f_bfree = 300; // 50 of them kept for root
    st.f_bavail = 250;
    DriveSpace space = SpaceOfStatvfs(st);
    EXPECT_EQ(space.totalBytes, 1000 * 4096);
    EXPECT_EQ(space.usedBytes, 700 * 4096);
    EXPECT_EQ(space.freeBytes, 250 * 4096);
    EXPECT_EQ(space.reservedBytes, 50 * 4096);
    EXPECT_EQ(space.clusterBytes, 4096);
    st.f_bavail = 400; // more available than free: nothing reserved, used stays what df says
    space = SpaceOfStatvfs(st);
    EXPECT_EQ(space.usedBytes, 700 * 4096);
    EXPECT_EQ(space.reservedBytes, 0);

    const std::optional<DriveSpace> real = DriveSpaceOf(u'C');
    ASSERT_TRUE(real.has_value());
    EXPECT_LE(real->usedBytes + real->reservedBytes, real->totalBytes);
}

TEST(DriveReady, LettersOutsideAToZAreRefused) {
    for (QChar bad : {QChar(u'1'), QChar(u'['), QChar(u'@'), QChar(u' '), QChar(u'\u00C9')}) {
        try {
            DriveReady(bad);
            ADD_FAILURE() << "no error for " << int(bad.unicode());
        } catch (const AppError& e) {
            EXPECT_EQ(e.text(), "Not a valid drive ID");
        }
    }
}

TEST(DriveTable, ThisMachineHasTheRootAsC) {
    const std::vector<Drive> drives = DriveTable::load();
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives[0].letter, QChar(u'C'));
    EXPECT_EQ(drives[0].mountPoint, "/");
    EXPECT_LE(drives.size(), 24u);
    EXPECT_TRUE(DriveReady(u'C'));
}

TEST(CurrentFolder, StartsAsTheWorkingFolder) {
    EXPECT_EQ(CurrentFolder::get(), QDir::currentPath().toStdString());
    CurrentFolder::set("/tmp");
    EXPECT_EQ(CurrentFolder::get(), "/tmp");
}
