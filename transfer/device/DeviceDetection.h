#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>

class QSocketNotifier;
class QFileSystemWatcher;

// The console's USB identity.
inline constexpr quint16 ConsoleVendorId = 0x054c;
inline constexpr quint16 ConsoleProductId = 0x01c8;

// Outcome of one detection run.
//   found:     succeeded, drive names the console's drive ("F:" or a mount point)
//   not found: succeeded, drive is empty
//   failed:    !succeeded; message holds the text to show, and the caller keeps its
//              previous drive
struct DetectionResult {
    bool succeeded = true;
    QString drive;
    QString message;
};

// Finds the drive of the attached console. The window runs DetectDevice when it
// opens and again on every deviceChanged().
class DeviceDetector : public QObject {
    Q_OBJECT
public:
    explicit DeviceDetector(QObject* parent = nullptr);
    ~DeviceDetector() override;

    virtual DetectionResult DetectDevice() = 0;

Q_SIGNALS:
    // A device arrived or was removed: detection may now give another answer.
    void deviceChanged();
};

// ---------------------------------------------------------------------------
// Detection over the USB, mass-storage and mounted-device records of a
// registry-like tree of named keys with named values.

// One opened key. Names of keys and values are looked up without regard to
// case, as the registry does.
class RegistryKey {
public:
    virtual ~RegistryKey();

    // The key at path below this one (names separated by backslashes), or null
    // when it does not exist or cannot be opened.
    virtual std::unique_ptr<RegistryKey> openSubKey(const QString& path) const = 0;
    // Subkey names in enumeration order. An enumeration that fails ends the list
    // there.
    virtual QStringList subKeyNames() const = 0;
    // Value names in enumeration order, ending the same way.
    virtual QStringList valueNames() const = 0;
    // A value's raw data, or nothing when it cannot be read.
    virtual std::optional<QByteArray> readValue(const QString& name) const = 0;
};

// An in-memory tree: the fixture for tests, and the shape a real registry
// reader fills. Copies share the same tree, so a key handed to a detector can
// still be changed afterwards.
class MemoryRegistryKey : public RegistryKey {
public:
    MemoryRegistryKey();
    ~MemoryRegistryKey() override;

    // The key at path, created with every missing key on the way.
    MemoryRegistryKey addKey(const QString& path);
    // Removes the subkey at path with everything below it.
    void removeKey(const QString& path);
    // Binary data, stored as given.
    void setValue(const QString& name, const QByteArray& data);
    // A text value as the narrow registry functions return it: its bytes (UTF-8)
    // followed by a terminating zero.
    void setText(const QString& name, const QString& text);
    // A value that is enumerated but whose data cannot be read.
    void setUnreadableValue(const QString& name);
    void removeValue(const QString& name);
    // A key that is enumerated but cannot be opened.
    void setOpenable(bool openable);

    std::unique_ptr<RegistryKey> openSubKey(const QString& path) const override;
    QStringList subKeyNames() const override;
    QStringList valueNames() const override;
    std::optional<QByteArray> readValue(const QString& name) const override;

private:
    struct Node;
    explicit MemoryRegistryKey(std::shared_ptr<Node> node);
    std::shared_ptr<Node> m_node;
};

// Follows the console's USB instance to its mass-storage disk instance (whose
// name equals the instance's ParentIdPrefix), that disk's volume (its own
// ParentIdPrefix, found in a \DosDevices\X: value of SYSTEM\MountedDevices from
// UTF-16 position 27 on) and the volume's letter, which must be present in the
// logical-drive mask (bit 0 is A:). Messages on failure: "Error while reading
// Parent ID", "Error while reading Parent ID 7", "Could not open Devices".
class RegistryDeviceDetector : public DeviceDetector {
    Q_OBJECT
public:
    // machine is the root of the tree (the local machine's hive); it must outlive
    // the detector. logicalDrives answers the mask of present drive letters at
    // the moment it is called.
    RegistryDeviceDetector(const RegistryKey& machine, std::function<quint32()> logicalDrives,
                           QObject* parent = nullptr);
    ~RegistryDeviceDetector() override;

    DetectionResult DetectDevice() override;

    // Device-change event codes that mean arrival and removal.
    static constexpr quint32 DeviceArrival = 0x8000;
    static constexpr quint32 DeviceRemoveComplete = 0x8004;

public Q_SLOTS:
    // A device-change notification: arrival and removal emit deviceChanged(),
    // every other event is ignored.
    void deviceEvent(quint32 event);

private:
    const RegistryKey& m_machine;
    std::function<quint32()> m_logicalDrives;
};

// ---------------------------------------------------------------------------
// Detection on Linux: the console's USB device (idVendor 054c, idProduct 01c8)
// in sysfs, its block devices (disk and partitions) below it, and their mount
// points in the mount table. The mount point plays the drive's role. Arrival and
// removal are noticed by watching the mount table; nothing is polled on a timer.
class SysfsDeviceDetector : public DeviceDetector {
    Q_OBJECT
public:
    // usbDevices: the folder listing USB devices (/sys/bus/usb/devices);
    // mountInfo: the mount table in mountinfo form (/proc/self/mountinfo). A
    // mount table in procfs is watched for changes with poll()'s priority event;
    // any other file (a test fixture) is watched through the file-system watcher.
    explicit SysfsDeviceDetector(const QString& usbDevices = QStringLiteral("/sys/bus/usb/devices"),
                                 const QString& mountInfo = QStringLiteral("/proc/self/mountinfo"),
                                 QObject* parent = nullptr);
    ~SysfsDeviceDetector() override;

    // Found: the mount point of the first console (devices in name order) that
    // has a mounted block device. Not found: no console, or none mounted.
    // Failed ("Could not open Devices"): the mount table cannot be read.
    DetectionResult DetectDevice() override;

public Q_SLOTS:
    // The mount table changed: emits deviceChanged(). Called by the watcher, and
    // by tests that rewrite a fixture table.
    void mountTableChanged();

private:
    void watchMountTable();

    QString m_usbDevices;
    QString m_mountInfo;
    int m_mountInfoFd = -1;
    QSocketNotifier* m_notifier = nullptr;
    QFileSystemWatcher* m_watcher = nullptr;
};

// Decodes a path field of the mount table: \040 space, \011 tab, \012 line feed,
// \134 backslash (any three-digit octal escape); other bytes stand as they are.
QString DecodeMountInfoPath(const QByteArray& field);
