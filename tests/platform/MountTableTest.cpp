#include <gtest/gtest.h>

#include <QStringList>

#include "platform/MountTable.h"

namespace rk {
namespace {

const QByteArray sampleTable =
    "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
    "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
    "30 27 8:17 / /media/ann/USB\\040STICK rw - vfat /dev/sdb1 rw\n"
    "31 27 0:40 / /tmp rw - tmpfs tmpfs rw\n"
    "32 27 0:41 / /run/user/1000 rw - tmpfs tmpfs rw\n"
    "33 27 0:42 / /mnt/share rw shared:5 - cifs //server/share rw\n"
    "34 27 0:43 / /mnt/nfs rw - nfs4 host:/export rw\n"
    "35 27 11:0 / /mnt/cd ro - iso9660 /dev/sr0 ro\n"
    "36 27 254:0 /srv/data /data rw - ext4 /dev/vda rw\n"
    "37 27 8:2 / /home rw - ext4 /dev/sda2 rw\n"
    "38 27 7:0 / /snap/core/1 ro - squashfs /dev/loop0 ro\n"
    "39 27 8:3 / /home rw - xfs /dev/sda3 rw\n";

BlockDeviceFacts fakeFacts() {
    BlockDeviceFacts f;
    f.isBlockDevice = [](const QByteArray& source) {
        return source.startsWith("/dev/") && !source.startsWith("/dev/loop");
    };
    f.isRemovable = [](unsigned major, unsigned) { return major == 11; };
    return f;
}

TEST(MountTable, ParsesFieldsAndUnescapesBlanks) {
    const std::vector<MountEntry> mounts = parseMountInfo(sampleTable);
    ASSERT_EQ(mounts.size(), 12u);
    EXPECT_EQ(mounts[2].mountPoint, QByteArray("/media/ann/USB STICK"));
    EXPECT_EQ(mounts[2].fileSystem, "vfat");
    EXPECT_EQ(mounts[5].source, QByteArray("//server/share"));  // optional fields skipped
    EXPECT_EQ(mounts[8].root, QByteArray("/srv/data"));
    EXPECT_EQ(mounts[1].major, 254u);
}

TEST(MountTable, ClassifiesDrivesAndLeavesOutTheRest) {
    const std::vector<Drive> drives = drivesFromMounts(parseMountInfo(sampleTable), fakeFacts());
    QStringList points;
    for (const Drive& d : drives)
        points.append(d.caption());
    // Sorted by path; proc, the run-time tmpfs, the bind mount and the squashfs image are no
    // drives; the second /home hides the first.
    EXPECT_EQ(points, QStringList({"/", "/home", "/media/ann/USB STICK", "/mnt/cd", "/mnt/nfs",
                                   "/mnt/share", "/tmp"}));
    const auto typeOf = [&](const char* p) {
        for (const Drive& d : drives)
            if (d.mountPoint == p) return d.type;
        ADD_FAILURE() << p;
        return DriveType::Fixed;
    };
    EXPECT_EQ(typeOf("/"), DriveType::Fixed);
    EXPECT_EQ(typeOf("/home"), DriveType::Fixed);
    EXPECT_EQ(typeOf("/media/ann/USB STICK"), DriveType::Removable);
    EXPECT_EQ(typeOf("/mnt/cd"), DriveType::CdRom);
    EXPECT_EQ(typeOf("/mnt/nfs"), DriveType::Remote);
    EXPECT_EQ(typeOf("/mnt/share"), DriveType::Remote);
    EXPECT_EQ(typeOf("/tmp"), DriveType::RamDisk);
    for (const Drive& d : drives) {
        if (d.mountPoint == "/home") {
            EXPECT_EQ(d.fileSystem, "xfs");
        }
        if (d.mountPoint == "/mnt/share") {
            EXPECT_EQ(d.networkName, "//server/share");
        }
    }
}

TEST(MountTable, RootIsAlwaysADriveAndRemovableFlagCounts) {
    MountEntry overlay;
    overlay.root = "/";
    overlay.mountPoint = "/";
    overlay.fileSystem = "overlay";
    overlay.source = "overlay";
    EXPECT_EQ(classifyMount(overlay, fakeFacts()), DriveType::Fixed);
    MountEntry usb{11, 1, "/", "/srv/usb", "ext4", "/dev/sdc1"};
    EXPECT_EQ(classifyMount(usb, fakeFacts()), DriveType::Removable);
}

TEST(MountTable, AChrootsRootIsADriveThoughTheTableLacksIt) {
    // Inside a chroot the table lists only what is mounted below its root.
    const QByteArray chroot =
        "40 39 0:21 / /proc rw - proc proc rw\n"
        "41 39 8:2 / /home rw - ext4 /dev/sda2 rw\n";
    const std::vector<Drive> drives = drivesFromMounts(parseMountInfo(chroot), fakeFacts());
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0].mountPoint, "/");
    EXPECT_EQ(drives[0].type, DriveType::Fixed);
    EXPECT_EQ(drives[1].mountPoint, "/home");
    // No table at all (no /proc in the chroot): the root alone.
    const std::vector<Drive> bare = drivesFromMounts({}, fakeFacts());
    ASSERT_EQ(bare.size(), 1u);
    EXPECT_EQ(bare[0].mountPoint, "/");
}

}  // namespace
}  // namespace rk
