#include <QSignalSpy>
#include <QTest>

#include <functional>

#include "DeviceDetection.h"

namespace {

const QString UsbKey = "SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_054c&Pid_01c8";
const QString StorKey = "SYSTEM\\CurrentControlSet\\Enum\\USBSTOR";
const QString DiskKey = StorKey + "\\Disk&Ven_Sony&Prod_PSP&Rev_1.00";
const QString MountedKey = "SYSTEM\\MountedDevices";
const QString P1 = "6&2a3b4c5d&0";
const QString P2 = "7&1f2e3d4c&0";

quint32 driveBit(char letter) { return quint32(1) << (letter - 'A'); }

// A volume's device name as the mounted-device records hold it.
QByteArray volumeData(const QString& prefix)
{
    const QString name =
        "\\??\\STORAGE#RemovableMedia#" + prefix + "&RM#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";
    return QByteArray(reinterpret_cast<const char*>(name.utf16()), name.size() * 2);
}

// A system disk's record: disk signature and partition offset.
QByteArray systemDiskData() { return QByteArray::fromHex("1a2b3c4d0000100000000000"); }

// The console seen once as F: with the system disk on C:.
void consoleAsF(MemoryRegistryKey& machine)
{
    machine.addKey(UsbKey + "\\5&1234&0&2").setText("ParentIdPrefix", P1);
    machine.addKey(DiskKey + "\\" + P1).setText("ParentIdPrefix", P2);
    MemoryRegistryKey mounted = machine.addKey(MountedKey);
    mounted.setValue("\\DosDevices\\C:", systemDiskData());
    mounted.setValue("\\??\\Volume{0a1b2c3d-0000-0000-0000-000000000000}", volumeData(P2));
    mounted.setValue("\\DosDevices\\F:", volumeData(P2));
}

using Fixture = std::function<void(MemoryRegistryKey&)>;

}  // namespace

Q_DECLARE_METATYPE(Fixture)

class TestRegistryDetection : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void detect_data();
    void detect();
    void deviceEvents_data();
    void deviceEvents();
};

void TestRegistryDetection::detect_data()
{
    QTest::addColumn<Fixture>("fixture");
    QTest::addColumn<quint32>("present");
    QTest::addColumn<bool>("succeeded");
    QTest::addColumn<QString>("drive");
    QTest::addColumn<QString>("message");

    const quint32 cf = driveBit('C') | driveBit('F');
    const QString noMessage;

    QTest::newRow("never attached") << Fixture([](MemoryRegistryKey& m) {
        m.addKey(MountedKey).setValue("\\DosDevices\\C:", systemDiskData());
    }) << cf << true << "" << noMessage;
    QTest::newRow("attached as F:") << Fixture(consoleAsF) << cf << true << "F:" << noMessage;
    QTest::newRow("unplugged, F: absent")
        << Fixture(consoleAsF) << driveBit('C') << true << "" << noMessage;
    QTest::newRow("absent letter passed over, next value wins")
        << Fixture([](MemoryRegistryKey& m) {
               consoleAsF(m);
               m.addKey(MountedKey).setValue("\\DosDevices\\G:", volumeData(P2));
           })
        << (driveBit('C') | driveBit('G')) << true << "G:" << noMessage;
    QTest::newRow("two instances, first one absent") << Fixture([](MemoryRegistryKey& m) {
        consoleAsF(m);
        m.addKey(UsbKey + "\\5&9999&0&1").setText("ParentIdPrefix", "6&aaaa&0");
        m.addKey(DiskKey + "\\6&aaaa&0").setText("ParentIdPrefix", "7&bbbb&0");
        m.addKey(MountedKey).setValue("\\DosDevices\\H:", volumeData("7&bbbb&0"));
    }) << (driveBit('C') | driveBit('H')) << true
                                                     << "H:" << noMessage;
    QTest::newRow("two instances, both present: first wins") << Fixture([](MemoryRegistryKey& m) {
        consoleAsF(m);
        m.addKey(UsbKey + "\\5&9999&0&1").setText("ParentIdPrefix", "6&aaaa&0");
        m.addKey(DiskKey + "\\6&aaaa&0").setText("ParentIdPrefix", "7&bbbb&0");
        m.addKey(MountedKey).setValue("\\DosDevices\\E:", volumeData("7&bbbb&0"));
    }) << (cf | driveBit('E')) << true << "F:" << noMessage;
    QTest::newRow("disk instance name only begins with the prefix")
        << Fixture([](MemoryRegistryKey& m) {
               consoleAsF(m);
               m.removeKey(DiskKey + "\\" + P1);
               m.addKey(DiskKey + "\\" + P1 + "&0").setText("ParentIdPrefix", P2);
           })
        << cf << true << "" << noMessage;
    QTest::newRow("disk instance name differs in case") << Fixture([](MemoryRegistryKey& m) {
        consoleAsF(m);
        m.removeKey(DiskKey + "\\" + P1);
        m.addKey(DiskKey + "\\" + P1.toUpper()).setText("ParentIdPrefix", P2);
    }) << cf << true << "" << noMessage;
    QTest::newRow("data exactly 27 + prefix length bytes") << Fixture([](MemoryRegistryKey& m) {
        consoleAsF(m);
        m.addKey(MountedKey).setValue("\\DosDevices\\F:", volumeData(P2).left(27 + P2.size()));
    }) << cf << true << "" << noMessage;
    QTest::newRow("data ends inside the prefix") << Fixture([](MemoryRegistryKey& m) {
        consoleAsF(m);
        m.addKey(MountedKey)
            .setValue("\\DosDevices\\F:", volumeData(P2).left(2 * (27 + P2.size()) - 2));
    }) << cf << true << "" << noMessage;
    QTest::newRow("short payload of 12 bytes") << Fixture([](MemoryRegistryKey& m) {
        consoleAsF(m);
        m.addKey(MountedKey).setValue("\\DosDevices\\F:", systemDiskData());
    }) << cf << true << "" << noMessage;
    QTest::newRow("another volume's prefix") << Fixture([](MemoryRegistryKey& m) {
        consoleAsF(m);
        m.addKey(MountedKey).setValue("\\DosDevices\\F:", volumeData("7&1f2e3d4c&1"));
    }) << cf << true << "" << noMessage;
    QTest::newRow("value name case counts") << Fixture([](MemoryRegistryKey& m) {
        consoleAsF(m);
        MemoryRegistryKey mounted = m.addKey(MountedKey);
        mounted.removeValue("\\DosDevices\\F:");
        mounted.setValue("\\dosdevices\\F:", volumeData(P2));
    }) << cf << true << "" << noMessage;
    QTest::newRow("a name longer than its buffer ends the enumeration")
        << Fixture([](MemoryRegistryKey& m) {
               m.addKey(UsbKey + "\\" + QString(255, 'i')).setText("ParentIdPrefix", P1);
               consoleAsF(m);
           })
        << cf << true << "" << noMessage;
    QTest::newRow("no matching disk: mounted devices not needed")
        << Fixture([](MemoryRegistryKey& m) {
               m.addKey(UsbKey + "\\5&1234&0&2").setText("ParentIdPrefix", P1);
           })
        << cf << true << "" << noMessage;

    QTest::newRow("instance without prefix") << Fixture([](MemoryRegistryKey& m) {
        consoleAsF(m);
        m.addKey(UsbKey + "\\5&1234&0&2").removeValue("ParentIdPrefix");
    }) << cf << false << ""
                                             << "Error while reading Parent ID";
    QTest::newRow("instance key cannot be opened") << Fixture([](MemoryRegistryKey& m) {
        consoleAsF(m);
        m.addKey(UsbKey + "\\5&1234&0&2").setOpenable(false);
    }) << cf << false << ""
                                                   << "Error while reading Parent ID";
    QTest::newRow("instance prefix longer than its buffer") << Fixture([](MemoryRegistryKey& m) {
        consoleAsF(m);
        m.addKey(UsbKey + "\\5&1234&0&2").setText("ParentIdPrefix", QString(255, 'x'));
    }) << cf << false << ""
                                                            << "Error while reading Parent ID";
    QTest::newRow("disk instance without prefix") << Fixture([](MemoryRegistryKey& m) {
        consoleAsF(m);
        m.addKey(DiskKey + "\\" + P1).removeValue("ParentIdPrefix");
    }) << cf << false << ""
                                                  << "Error while reading Parent ID 7";
    QTest::newRow("mounted devices cannot be opened") << Fixture([](MemoryRegistryKey& m) {
        consoleAsF(m);
        m.removeKey(MountedKey);
    }) << cf << false << ""
                                                      << "Could not open Devices";
    QTest::newRow("drive value unreadable") << Fixture([](MemoryRegistryKey& m) {
        consoleAsF(m);
        m.addKey(MountedKey).setUnreadableValue("\\DosDevices\\C:");
    }) << cf << false << ""
                                            << "Error while reading Parent ID 7";
    QTest::newRow("drive value larger than its buffer") << Fixture([](MemoryRegistryKey& m) {
        consoleAsF(m);
        m.addKey(MountedKey).setValue("\\DosDevices\\C:", QByteArray(1001, 'x'));
    }) << cf << false << ""
                                                        << "Error while reading Parent ID 7";
}

void TestRegistryDetection::detect()
{
    QFETCH(Fixture, fixture);
    QFETCH(quint32, present);
    QFETCH(bool, succeeded);
    QFETCH(QString, drive);
    QFETCH(QString, message);

    MemoryRegistryKey machine;
    fixture(machine);
    RegistryDeviceDetector detector(machine, [present] { return present; });
    const DetectionResult result = detector.DetectDevice();
    QCOMPARE(result.succeeded, succeeded);
    QCOMPARE(result.drive, drive);
    QCOMPARE(result.message, message);
}

void TestRegistryDetection::deviceEvents_data()
{
    QTest::addColumn<quint32>("event");
    QTest::addColumn<int>("emitted");
    QTest::newRow("arrival") << quint32(0x8000) << 1;
    QTest::newRow("removal complete") << quint32(0x8004) << 1;
    QTest::newRow("remove pending") << quint32(0x8003) << 0;
    QTest::newRow("nodes changed") << quint32(0x0007) << 0;
}

void TestRegistryDetection::deviceEvents()
{
    QFETCH(quint32, event);
    QFETCH(int, emitted);

    MemoryRegistryKey machine;
    consoleAsF(machine);
    quint32 present = driveBit('C');
    RegistryDeviceDetector detector(machine, [&present] { return present; });
    QSignalSpy changed(&detector, &DeviceDetector::deviceChanged);
    QCOMPARE(detector.DetectDevice().drive, QString());
    present |= driveBit('F');
    detector.deviceEvent(event);
    QCOMPARE(changed.size(), emitted);
    // Later changes to the tree and the mask are seen by the next run.
    QCOMPARE(detector.DetectDevice().drive, QString("F:"));
}

QTEST_GUILESS_MAIN(TestRegistryDetection)
#include "tst_RegistryDetection.moc"
