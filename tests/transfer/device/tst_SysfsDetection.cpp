#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sched.h>
#include <sys/mount.h>

#include "DeviceDetection.h"

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

// A sysfs-like tree: real device folders under devices/, the USB bus listing
// them through links, as the kernel lays it out.
class SysfsFixture {
public:
    explicit SysfsFixture(const QString& root) : m_root(root)
    {
        QDir().mkpath(usbDevices());
        QDir().mkpath(m_root + "/devices/pci0000:00/usb1");
        // The system disk, mounted at /.
        writeFile(m_root + "/devices/pci0000:00/ata1/host0/block/sda/sda1/dev", "8:1\n");
    }

    QString usbDevices() const { return m_root + "/bus/usb/devices"; }
    QString mountInfo() const { return m_root + "/mountinfo"; }

    // A USB device with one SCSI disk; partition 0 means the disk has no
    // partition table.
    void addDevice(const QString& port, const QByteArray& vendor, const QByteArray& product,
                   int diskMinor, int partitions)
    {
        const QString device = m_root + "/devices/pci0000:00/usb1/" + port;
        writeFile(device + "/idVendor", vendor + "\n");
        writeFile(device + "/idProduct", product + "\n");
        const QString lun = device + "/" + port + ":1.0/host6/target6:0:0/6:0:0:0";
        writeFile(lun + "/scsi_generic/sg1/dev", "21:" + QByteArray::number(diskMinor) + "\n");
        const QString disk = lun + "/block/sd" + port.right(1);
        writeFile(disk + "/dev", "8:" + QByteArray::number(diskMinor) + "\n");
        QDir().mkpath(disk + "/queue");
        for (int p = 1; p <= partitions; ++p) {
            writeFile(disk + "/p" + QString::number(p) + "/dev",
                      "8:" + QByteArray::number(diskMinor + p) + "\n");
            writeFile(disk + "/p" + QString::number(p) + "/partition", QByteArray::number(p));
        }
        // sysfs links point back up the tree; following them would loop.
        QFile::link(m_root + "/devices", device + "/subsystem");
        QFile::link(device, usbDevices() + "/" + port);
        QFile::link(device + "/" + port + ":1.0", usbDevices() + "/" + port + ":1.0");
    }

    void setMounts(const QList<QByteArray>& lines)
    {
        QByteArray table = "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n";
        for (const QByteArray& line : lines)
            table += line + "\n";
        writeFile(mountInfo(), table);
    }

private:
    QString m_root;
};

QByteArray mountLine(int id, const QByteArray& device, const QByteArray& root,
                     const QByteArray& mountPoint)
{
    return QByteArray::number(id) + " 22 " + device + " " + root + " " + mountPoint +
           " rw,nosuid - vfat /dev/sdx rw";
}

enum Layout { NoConsole, OtherDeviceOnly, Console, TwoConsoles };

}  // namespace

class TestSysfsDetection : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void detect_data();
    void detect();
    void unreadableMountTable();
    void decodePath_data();
    void decodePath();
    void fixtureTableChange();
    void kernelTableChange();
};

void TestSysfsDetection::detect_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<QList<QByteArray>>("mounts");
    QTest::addColumn<QString>("drive");

    using L = QList<QByteArray>;
    QTest::newRow("never attached") << int(NoConsole) << L{} << "";
    QTest::newRow("another USB disk mounted")
        << int(OtherDeviceOnly) << L{mountLine(40, "8:33", "/", "/media/stick")} << "";
    QTest::newRow("attached, partition mounted")
        << int(Console) << L{mountLine(40, "8:17", "/", "/media/user/PSP")} << "/media/user/PSP";
    QTest::newRow("attached, whole disk mounted")
        << int(Console) << L{mountLine(40, "8:16", "/", "/media/user/PSP")} << "/media/user/PSP";
    QTest::newRow("attached but not mounted") << int(Console) << L{} << "";
    QTest::newRow("generic SCSI node numbers do not count")
        << int(Console) << L{mountLine(40, "21:16", "/", "/media/nothing")} << "";
    QTest::newRow("mount point with escapes")
        << int(Console) << L{mountLine(40, "8:17", "/", "/media/user/PSP\\040Go\\011\\134x")}
        << "/media/user/PSP Go\t\\x";
    QTest::newRow("bind mount of a sub-folder passed over")
        << int(Console)
        << L{mountLine(40, "8:17", "/MP_ROOT", "/srv/videos"),
             mountLine(41, "8:17", "/", "/media/user/PSP")}
        << "/media/user/PSP";
    QTest::newRow("two consoles, first unmounted")
        << int(TwoConsoles) << L{mountLine(40, "8:49", "/", "/media/second")} << "/media/second";
    QTest::newRow("two consoles, both mounted: first device wins")
        << int(TwoConsoles)
        << L{mountLine(40, "8:49", "/", "/media/second"),
             mountLine(41, "8:17", "/", "/media/first")}
        << "/media/first";
}

void TestSysfsDetection::detect()
{
    QFETCH(int, layout);
    QFETCH(QList<QByteArray>, mounts);
    QFETCH(QString, drive);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SysfsFixture sys(dir.path());
    // A mouse and a USB stick beside the console.
    sys.addDevice("1-1", "046d", "c077", 0, 0);
    if (layout != NoConsole) sys.addDevice("1-4", "0781", "5567", 32, 1);
    if (layout == Console || layout == TwoConsoles) sys.addDevice("1-2", "054c", "01c8", 16, 1);
    if (layout == TwoConsoles) sys.addDevice("1-3", "054c", "01c8", 48, 1);
    sys.setMounts(mounts);

    SysfsDeviceDetector detector(sys.usbDevices(), sys.mountInfo());
    const DetectionResult result = detector.DetectDevice();
    QVERIFY(result.succeeded);
    QCOMPARE(result.drive, drive);
}

void TestSysfsDetection::unreadableMountTable()
{
    QTemporaryDir dir;
    SysfsFixture sys(dir.path());
    sys.addDevice("1-2", "054c", "01c8", 16, 1);
    SysfsDeviceDetector detector(sys.usbDevices(), dir.path() + "/missing");
    const DetectionResult result = detector.DetectDevice();
    QVERIFY(!result.succeeded);
    QCOMPARE(result.message, QString("Could not open Devices"));
}

void TestSysfsDetection::decodePath_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("path");
    QTest::newRow("plain") << QByteArray("/media/PSP") << "/media/PSP";
    QTest::newRow("space") << QByteArray("/a\\040b") << "/a b";
    QTest::newRow("tab, newline, backslash") << QByteArray("/\\011\\012\\134") << "/\t\n\\";
    QTest::newRow("escape cut short at the end") << QByteArray("/a\\04") << "/a\\04";
    QTest::newRow("not octal") << QByteArray("/a\\089") << "/a\\089";
    QTest::newRow("UTF-8") << QByteArray("/m\xc3\xa9\\040dia") << "/m\u00e9 dia";
}

void TestSysfsDetection::decodePath()
{
    QFETCH(QByteArray, field);
    QFETCH(QString, path);
    QCOMPARE(DecodeMountInfoPath(field), path);
}

void TestSysfsDetection::fixtureTableChange()
{
    QTemporaryDir dir;
    SysfsFixture sys(dir.path());
    sys.addDevice("1-2", "054c", "01c8", 16, 1);
    sys.setMounts({});
    SysfsDeviceDetector detector(sys.usbDevices(), sys.mountInfo());
    QSignalSpy changed(&detector, &DeviceDetector::deviceChanged);
    QCOMPARE(detector.DetectDevice().drive, QString());

    sys.setMounts({mountLine(40, "8:17", "/", "/media/PSP")});
    QVERIFY(changed.wait(5000));
    QCOMPARE(detector.DetectDevice().drive, QString("/media/PSP"));

    changed.clear();
    sys.setMounts({});
    QVERIFY(changed.wait(5000));
    QCOMPARE(detector.DetectDevice().drive, QString());
}

// The real mount table, in a private mount namespace so that nothing leaks
// out of the test.
void TestSysfsDetection::kernelTableChange()
{
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        QSKIP("no private mount namespace here");
    QTemporaryDir dir;
    QTemporaryDir target;
    SysfsFixture sys(dir.path());
    sys.addDevice("1-2", "054c", "01c8", 16, 1);
    SysfsDeviceDetector detector(sys.usbDevices());
    QSignalSpy changed(&detector, &DeviceDetector::deviceChanged);
    QTest::qWait(50);
    QCOMPARE(changed.size(), 0);

    QVERIFY(::mount("none", QFile::encodeName(target.path()).constData(), "tmpfs", 0, nullptr) ==
            0);
    QVERIFY(changed.wait(5000));
    changed.clear();
    QVERIFY(::umount(QFile::encodeName(target.path()).constData()) == 0);
    QVERIFY(changed.wait(5000));
}

QTEST_GUILESS_MAIN(TestSysfsDetection)
#include "tst_SysfsDetection.moc"
