#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One device-profile file.
struct TProfileItem {
    QString Title;
    QString FilePath;
    QString Description;
};

// One conversion item of a device-profile file.
struct TProfileDetailItem {
    QString FilePath;
    QString SectionName;
    QString Title;
};

// The regular files (or links to them) of a folder whose names match a
// wildcard pattern without regard to case, hidden ones included, sorted by
// name without regard to case (ties by case) so that every machine lists a
// folder alike.
QStringList ListMatchingFiles(const QString& folder, const QString& pattern);

enum class TDeviceGroup { Tgp, IPod, Psp, Other };

// The group a title belongs to: 3GPP/3GP2, then iPod, then PSP, case-sensitive.
TDeviceGroup DeviceGroupOf(const QString& title);

struct TDeviceGroups {
    QList<TProfileItem> Tgp;
    QList<TProfileItem> IPod;
    QList<TProfileItem> Psp;
    QList<TProfileItem> Other;
};

// Reads every "*.ini" of the folder, as ListMatchingFiles lists them, into
// the groups by title ("TitleE" of section "Info"), appending; false when
// the folder does not exist.
bool LoadDeviceProfiles(const QString& folder, TDeviceGroups& groups);

// The items of a device-profile file: its sections whose names begin with
// "Item" (with case), in file order. A missing file has none.
QList<TProfileDetailItem> LoadDeviceProfileItems(const QString& path);

// The item's command templates: values of the keys whose first seven
// characters are "Command", in file order.
QStringList DeviceItemCommands(const TProfileDetailItem& item);

// The item's output extension, key "EXT" of its section.
QString DeviceItemExt(const TProfileDetailItem& item);
