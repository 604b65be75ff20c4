// tests/acquire/volumes_test.cpp
#include "platform/volume_watcher.h"
#include "platform/volumes.h"
#include "tests/acquire/acquire_test_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>

#include <unistd.h>

namespace {

// A machine in a folder: a USB card reader (sdb, removable, partition sdb1),
// a USB disk that is not removable (sdc1), an internal disk (nvme0n1p2).
class FakeMachine
{
  public:
    FakeMachine()
    {
        roots.proc = tree.folder("proc");
        roots.sys = tree.folder("sys");
        roots.dev = tree.folder("dev");
        tree.folder("proc/self");
        disk("8:17", "pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0/block/sdb", "sdb1",
             "1");
        disk("8:33", "pci0000:00/0000:00:14.0/usb2/2-2/2-2:1.0/host7/target7:0:0/7:0:0:0/block/sdc", "sdc1",
             "0");
        disk("259:2", "pci0000:00/0000:00:1d.0/nvme/nvme0/nvme0n1", "nvme0n1p2", "0");
        tree.folder("dev/disk/by-label");
        link("../../sdb1", "dev/disk/by-label/MY\\x20CARD");
        cardMount = tree.folder("media/MY CARD");
        setTable({});
    }

    void disk(const QString &majMin, const QString &diskPath, const QString &partition,
              const QString &removable)
    {
        const QString devices = "sys/devices/" + diskPath;
        tree.file(devices + "/removable", removable.toStdString() + "\n");
        tree.file(devices + "/" + partition + "/partition", "1\n");
        tree.folder("sys/dev/block");
        link(tree.path() + "/" + devices + "/" + partition, "sys/dev/block/" + majMin);
    }

    void link(const QString &target, const QString &name)
    {
        ::symlink(QFile::encodeName(target).constData(),
                  QFile::encodeName(tree.path() + "/" + name).constData());
    }

    void setTable(const QStringList &extra)
    {
        QString text = "22 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw\n"
                       "40 22 0:35 / /tmp rw shared:2 - tmpfs tmpfs rw\n"
                       "41 22 8:33 / /media/backup rw shared:3 - ext4 /dev/sdc1 rw\n";
        for (const QString &line : extra)
            text += line + "\n";
        // Replaced whole, as the kernel's table changes: the watcher never reads half a table.
        tree.file("proc/self/mountinfo.new", text.toStdString());
        ::rename(QFile::encodeName(roots.proc + "/self/mountinfo.new").constData(),
                 QFile::encodeName(roots.proc + "/self/mountinfo").constData());
    }

    QString cardLine() const
    {
        QString escaped = cardMount;
        escaped.replace(" ", "\\040");
        return "50 22 8:17 / " + escaped + " rw,nosuid master:7 - vfat /dev/sdb1 rw,uid=1000";
    }

    TempTree tree;
    VolumeRoots roots;
    QString cardMount;
};

} // namespace

TEST(MountInfo, FieldsOptionalTagsEscapesAndBadLines)
{
    const auto entries =
        ParseMountInfo("36 35 98:0 /mnt1 /mnt/a\\040b rw,noatime master:1 shared:2 - ext3 /dev/root rw\n"
                       "garbage line\n"
                       "37 35 8:1 / /x rw - vfat\n"
                       "38 35 8:x / /y rw - vfat /dev/sda1 rw\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].major, 98u);
    EXPECT_EQ(entries[0].minor, 0u);
    EXPECT_EQ(entries[0].root, "/mnt1");
    EXPECT_EQ(entries[0].mountPoint, "/mnt/a b");
    EXPECT_EQ(entries[0].fsType, "ext3");
    EXPECT_EQ(entries[0].source, "/dev/root");
}

TEST(VolumeTable, OnlyMountedRemovableUsbVolumesWithTheirLabels)
{
    FakeMachine machine;
    EXPECT_TRUE(VolumeTable(machine.roots).RemovableVolumes().empty());

    // The card twice: a bind mount of a sub-folder is not another drive.
    machine.setTable({machine.cardLine(), "51 22 8:17 /DCIM /srv/dcim rw - vfat /dev/sdb1 rw"});
    const auto volumes = VolumeTable(machine.roots).RemovableVolumes();
    ASSERT_EQ(volumes.size(), 1u);
    EXPECT_EQ(volumes[0].mountPoint, machine.cardMount);
    EXPECT_EQ(volumes[0].device, "sdb1");
    EXPECT_EQ(volumes[0].label, "MY CARD");

    std::uint64_t freeBytes = 0;
    EXPECT_TRUE(VolumeFreeSpace(machine.cardMount, freeBytes));
    EXPECT_GT(freeBytes, 0u);
    EXPECT_FALSE(VolumeFreeSpace(machine.cardMount + "/not-there", freeBytes));
}

TEST(VolumeWatcher, ArrivalAndRemovalReachTheUiThread)
{
    FakeMachine machine;
    CVolumeWatcher watcher(machine.roots, 10);
    QSignalSpy arrived(&watcher, &CVolumeWatcher::volumeArrived);
    QSignalSpy removed(&watcher, &CVolumeWatcher::volumeRemoved);
    ASSERT_TRUE(watcher.Start());
    const Qt::HANDLE uiThread = QThread::currentThreadId();
    Qt::HANDLE deliveredOn = nullptr;
    QObject::connect(&watcher, &CVolumeWatcher::volumeArrived,
                     [&] { deliveredOn = QThread::currentThreadId(); });

    machine.setTable({machine.cardLine()});
    ASSERT_TRUE(QTest::qWaitFor([&] { return arrived.size() == 1; }, 5000));
    EXPECT_EQ(arrived[0][0].toString(), machine.cardMount);
    EXPECT_EQ(deliveredOn, uiThread);
    EXPECT_EQ(watcher.Volumes().size(), 1u);

    // Other mounts coming and going are no event.
    machine.setTable({machine.cardLine(), "60 22 0:50 / /run/user/1000 rw - tmpfs tmpfs rw"});
    QTest::qWait(100);
    EXPECT_EQ(arrived.size(), 1);
    EXPECT_EQ(removed.size(), 0);

    machine.setTable({});
    ASSERT_TRUE(QTest::qWaitFor([&] { return removed.size() == 1; }, 5000));
    EXPECT_EQ(removed[0][0].toString(), machine.cardMount);

    watcher.Stop();
    machine.setTable({machine.cardLine()});
    QTest::qWait(100);
    EXPECT_EQ(arrived.size(), 1);
}

TEST(VolumeWatcher, RealMountTableStartsAndStops)
{
    CVolumeWatcher watcher;
    ASSERT_TRUE(watcher.Start());
    EXPECT_TRUE(watcher.IsRunning());
    watcher.Stop();
    EXPECT_FALSE(watcher.IsRunning());
    CVolumeWatcher missing(VolumeRoots{"/nonexistent-proc", "/sys", "/dev"});
    EXPECT_FALSE(missing.Start());
}
