#include "DeviceDetection.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSet>
#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/vfs.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr long ProcSuperMagic = 0x9fa0;

struct Mount {
    QByteArray device;  // "major:minor"
    QByteArray root;    // the mounted folder of the file system
    QString mountPoint;
};

QByteArray readSmallFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.read(4096).trimmed();
}

bool isConsole(const QString& device)
{
    bool vendorOk = false;
    bool productOk = false;
    const uint vendor = readSmallFile(device + u"/idVendor"_s).toUInt(&vendorOk, 16);
    const uint product = readSmallFile(device + u"/idProduct"_s).toUInt(&productOk, 16);
    return vendorOk && productOk && vendor == ConsoleVendorId && product == ConsoleProductId;
}

// The device numbers of every block device (disks and their partitions) below a
// USB device. Symbolic links are not followed: sysfs links back up the tree.
QSet<QByteArray> blockDevicesBelow(const QString& device)
{
    QSet<QByteArray> numbers;
    const QString root = QFileInfo(device).canonicalFilePath();
    if (root.isEmpty()) return numbers;
    QDirIterator it(root, QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString dir = it.next();
        if (!dir.mid(root.size()).contains(u"/block/"_s)) continue;
        const QByteArray number = readSmallFile(dir + u"/dev"_s);
        if (!number.isEmpty()) numbers.insert(number);
    }
    return numbers;
}

std::optional<QList<Mount>> readMountTable(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray table = file.readAll();
    QList<Mount> mounts;
    for (const QByteArray& line : table.split('\n')) {
        // id parent major:minor root mount-point options [optional...] - type source ...
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 5) continue;
        mounts.append({fields.at(2), fields.at(3), DecodeMountInfoPath(fields.at(4))});
    }
    return mounts;
}

}  // namespace

QString DecodeMountInfoPath(const QByteArray& field)
{
    QByteArray decoded;
    decoded.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field.at(i);
        if (c == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            bool ok = digits.size() == 3;
            for (const char d : digits)
                ok = ok && d >= '0' && d <= '7';
            if (ok) {
                decoded.append(char(digits.toInt(nullptr, 8)));
                i += 3;
                continue;
            }
        }
        decoded.append(c);
    }
    return QFile::decodeName(decoded);
}

SysfsDeviceDetector::SysfsDeviceDetector(const QString& usbDevices, const QString& mountInfo,
                                         QObject* parent)
    : DeviceDetector(parent), m_usbDevices(usbDevices), m_mountInfo(mountInfo)
{
    watchMountTable();
}

SysfsDeviceDetector::~SysfsDeviceDetector()
{
    delete m_notifier;
    if (m_mountInfoFd >= 0) ::close(m_mountInfoFd);
}

void SysfsDeviceDetector::watchMountTable()
{
    const QByteArray path = QFile::encodeName(m_mountInfo);
    struct statfs fs {};
    if (::statfs(path.constData(), &fs) == 0 && fs.f_type == ProcSuperMagic) {
        // The kernel marks the mount table with a priority event whenever a mount
        // is added or removed.
        m_mountInfoFd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (m_mountInfoFd >= 0) {
            m_notifier = new QSocketNotifier(m_mountInfoFd, QSocketNotifier::Exception);
            connect(m_notifier, &QSocketNotifier::activated, this,
                    &SysfsDeviceDetector::mountTableChanged);
            return;
        }
    }
    m_watcher = new QFileSystemWatcher(this);
    if (QFileInfo::exists(m_mountInfo)) m_watcher->addPath(m_mountInfo);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, [this](const QString& file) {
        // A table replaced by renaming drops out of the watch; take the new one.
        if (!m_watcher->files().contains(file) && QFileInfo::exists(file)) m_watcher->addPath(file);
        mountTableChanged();
    });
}

void SysfsDeviceDetector::mountTableChanged() { Q_EMIT deviceChanged(); }

DetectionResult SysfsDeviceDetector::DetectDevice()
{
    const std::optional<QList<Mount>> mounts = readMountTable(m_mountInfo);
    if (!mounts) return {false, QString(), QStringLiteral("Could not open Devices")};

    QStringList devices = QDir(m_usbDevices).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    devices.sort();
    for (const QString& name : std::as_const(devices)) {
        const QString device = m_usbDevices + u'/' + name;
        if (!isConsole(device)) continue;
        const QSet<QByteArray> numbers = blockDevicesBelow(device);
        for (const Mount& mount : *mounts) {
            // A bind mount of a sub-folder does not show the console's root.
            if (mount.root == "/" && numbers.contains(mount.device))
                return {true, mount.mountPoint, QString()};
        }
    }
    return {};
}
