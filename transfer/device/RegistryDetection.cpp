#include "DeviceDetection.h"

#include <utility>

namespace {

const QString UsbKeyPath =
    QStringLiteral("SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_054c&Pid_01c8");
const QString UsbStorKeyPath = QStringLiteral("SYSTEM\\CurrentControlSet\\Enum\\USBSTOR");
const QString MountedDevicesPath = QStringLiteral("SYSTEM\\MountedDevices");
const QString ParentIdPrefix = QStringLiteral("ParentIdPrefix");
const QString DosDevices = QStringLiteral("\\DosDevices");

// Names are read into buffers of 255 characters, the terminating zero
// included; an entry whose name does not fit ends the enumeration.
constexpr qsizetype NameBufferChars = 255;
constexpr qsizetype PrefixBufferBytes = 255;
constexpr qsizetype VolumeBufferBytes = 1000;
// The volume's device name holds the disk's prefix from this character on
// ("\??\STORAGE#RemovableMedia#" precedes it).
constexpr qsizetype VolumePrefixPosition = 27;

QStringList enumerated(QStringList names)
{
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (names.at(i).size() >= NameBufferChars) {
            names.resize(i);
            break;
        }
    }
    return names;
}

// A ParentIdPrefix text: its bytes up to the terminating zero, or nothing when
// the key is missing, the value cannot be read or does not fit the buffer.
std::optional<QByteArray> readPrefix(const RegistryKey* key)
{
    if (!key) return std::nullopt;
    const std::optional<QByteArray> data = key->readValue(ParentIdPrefix);
    if (!data || data->size() > PrefixBufferBytes) return std::nullopt;
    const qsizetype end = data->indexOf('\0');
    return end < 0 ? *data : data->left(end);
}

// Whether the volume name in data (UTF-16LE, low bytes compared) holds prefix
// from character 27 on. Characters beyond the data never match.
bool volumeHoldsPrefix(const QByteArray& data, const QByteArray& prefix)
{
    if (prefix.isEmpty()) return false;
    for (qsizetype i = 0; i < prefix.size(); ++i) {
        const qsizetype at = 2 * (VolumePrefixPosition + i);
        if (at >= data.size() || data.at(at) != prefix.at(i)) return false;
    }
    return true;
}

DetectionResult failure(const QString& message) { return {false, QString(), message}; }

}  // namespace

RegistryDeviceDetector::RegistryDeviceDetector(const RegistryKey& machine,
                                               std::function<quint32()> logicalDrives,
                                               QObject* parent)
    : DeviceDetector(parent), m_machine(machine), m_logicalDrives(std::move(logicalDrives))
{
}

RegistryDeviceDetector::~RegistryDeviceDetector() = default;

void RegistryDeviceDetector::deviceEvent(quint32 event)
{
    if (event == DeviceArrival || event == DeviceRemoveComplete) Q_EMIT deviceChanged();
}

DetectionResult RegistryDeviceDetector::DetectDevice()
{
    const std::unique_ptr<RegistryKey> usb = m_machine.openSubKey(UsbKeyPath);
    if (!usb) return {};

    for (const QString& instance : enumerated(usb->subKeyNames())) {
        const std::optional<QByteArray> p1 = readPrefix(usb->openSubKey(instance).get());
        if (!p1) return failure(QStringLiteral("Error while reading Parent ID"));
        const QString diskInstanceName = QString::fromUtf8(*p1);

        const std::unique_ptr<RegistryKey> usbStor = m_machine.openSubKey(UsbStorKeyPath);
        if (!usbStor) continue;
        for (const QString& disk : enumerated(usbStor->subKeyNames())) {
            const std::unique_ptr<RegistryKey> diskKey = usbStor->openSubKey(disk);
            if (!diskKey) continue;
            for (const QString& diskInstance : enumerated(diskKey->subKeyNames())) {
                if (diskInstance != diskInstanceName) continue;

                const std::optional<QByteArray> p2 =
                    readPrefix(diskKey->openSubKey(diskInstance).get());
                if (!p2) return failure(QStringLiteral("Error while reading Parent ID 7"));

                const std::unique_ptr<RegistryKey> mounted =
                    m_machine.openSubKey(MountedDevicesPath);
                if (!mounted) return failure(QStringLiteral("Could not open Devices"));

                for (const QString& valueName : enumerated(mounted->valueNames())) {
                    if (!valueName.startsWith(DosDevices, Qt::CaseSensitive)) continue;
                    const std::optional<QByteArray> data = mounted->readValue(valueName);
                    if (!data || data->size() > VolumeBufferBytes)
                        return failure(QStringLiteral("Error while reading Parent ID 7"));
                    if (data->size() <= VolumePrefixPosition + p2->size()) continue;
                    if (!volumeHoldsPrefix(*data, *p2)) continue;

                    // "\DosDevices\F:": the letter and its colon.
                    if (valueName.size() < 14) continue;
                    const QString candidate = valueName.mid(12, 2);
                    const char16_t letter = candidate.at(0).toUpper().unicode();
                    if (letter < u'A' || letter > u'Z') continue;
                    const quint32 bit = quint32(1) << (letter - u'A');
                    if (m_logicalDrives() & bit) return {true, candidate, QString()};
                }
            }
        }
    }
    return {};
}
