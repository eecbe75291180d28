#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "CustomListBox.h"
#include "Mp4Boxes.h"
#include "TestFiles.h"
#include "TestImages.h"

// A system tree with the console's USB device (partition 8:17), a mount table
// and the folder the console is mounted on.
class Fixture {
public:
    Fixture()
    {
        const QString device = root() + "/devices/pci0000:00/usb1/1-2";
        writeFile(device + "/idVendor", "054c\n");
        writeFile(device + "/idProduct", "01c8\n");
        const QString disk = device + "/1-2:1.0/host6/target6:0:0/6:0:0:0/block/sdb";
        writeFile(disk + "/dev", "8:16\n");
        writeFile(disk + "/sdb1/dev", "8:17\n");
        QDir().mkpath(root() + "/bus/usb/devices");
        QFile::link(device, root() + "/bus/usb/devices/1-2");
        QDir().mkpath(consoleFolder());
        QDir().mkpath(pcFolder());
        setConsoleMounted(false);
    }

    QString root() const { return m_dir.path(); }
    QString usbDevices() const { return root() + "/bus/usb/devices"; }
    QString mountInfo() const { return root() + "/mountinfo"; }
    QString mountPoint() const { return root() + "/PSP"; }
    QString consoleFolder() const { return mountPoint() + "/MP_ROOT/100MNV01"; }
    QString avcFolder() const { return mountPoint() + "/MP_ROOT/100ANV01"; }
    QString pcFolder() const { return root() + "/Videos"; }

    void setConsoleMounted(bool mounted)
    {
        QByteArray table = "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n";
        if (mounted)
            table += "40 22 8:17 / " + QFile::encodeName(mountPoint()) +
                     " rw,nosuid - vfat /dev/sdb1 rw\n";
        writeFile(mountInfo(), table);
    }

    // A video of the computer folder: NAME.MP4, an MPEG-4 box tree ending in
    // "mp4 of NAME", with a thumbnail unless told.
    void addPcVideo(const QString& name, bool withThumbnail = true,
                    const QByteArray& sampleEntry = mp4::mpeg4Entry())
    {
        writeFile(pcFolder() + "/" + name + ".MP4",
                  mp4::file(sampleEntry, "mp4 of " + name.toUtf8()));
        if (withThumbnail) writeFile(pcFolder() + "/" + name + ".THM", jpegOf(Qt::red));
    }

    // A video already on the console, in the AVC folder for MAQ names.
    void addConsoleVideo(const QString& name)
    {
        const QString folder = name.startsWith("MAQ") ? avcFolder() : consoleFolder();
        writeFile(folder + "/" + name + ".MP4", QByteArray(2048, 'v'));
        writeFile(folder + "/" + name + ".THM", jpegOf(Qt::blue));
    }

    QStringList consoleFiles() const
    {
        return QDir(consoleFolder()).entryList(QDir::Files, QDir::Name);
    }
    QStringList avcFiles() const { return QDir(avcFolder()).entryList(QDir::Files, QDir::Name); }

private:
    QTemporaryDir m_dir;
};

// The row of a list showing the named video; -1 when none does.
inline int rowOf(const CCustomListBox* list, const QString& mp4Name)
{
    for (int row = 0; row < list->count(); ++row)
        if (list->entry(row).mp4Name == mp4Name) return row;
    return -1;
}
