#include "profiles/DeviceProfiles.h"

#include "base/FileFunctions.h"
#include "base/IniFile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

QStringList ListMatchingFiles(const QString& folder, const QString& pattern)
{
    const QDir dir(folder);
    // No CaseSensitive flag: the pattern matches without case.
    QStringList names = dir.entryList({pattern}, QDir::Files | QDir::Hidden, QDir::NoSort);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    return names;
}

TDeviceGroup DeviceGroupOf(const QString& title)
{
    if (title.contains(u"3GPP"_s) || title.contains(u"3GP2"_s)) return TDeviceGroup::Tgp;
    if (title.contains(u"iPod"_s)) return TDeviceGroup::IPod;
    if (title.contains(u"PSP"_s)) return TDeviceGroup::Psp;
    return TDeviceGroup::Other;
}

bool LoadDeviceProfiles(const QString& folder, TDeviceGroups& groups)
{
    if (!QFileInfo(folder).isDir()) return false;
    const QString dir = AddTrailingBackslash(folder);
    for (const QString& name : ListMatchingFiles(dir, u"*.ini"_s)) {
        const IniFile ini(dir + name);
        TProfileItem item{ini.readString(u"Info"_s, u"TitleE"_s, {}), dir + name,
                          ini.readString(u"Info"_s, u"DescriptionE"_s, {})};
        switch (DeviceGroupOf(item.Title)) {
            case TDeviceGroup::Tgp:
                groups.Tgp.append(std::move(item));
                break;
            case TDeviceGroup::IPod:
                groups.IPod.append(std::move(item));
                break;
            case TDeviceGroup::Psp:
                groups.Psp.append(std::move(item));
                break;
            case TDeviceGroup::Other:
                groups.Other.append(std::move(item));
                break;
        }
    }
    return true;
}

QList<TProfileDetailItem> LoadDeviceProfileItems(const QString& path)
{
    QList<TProfileDetailItem> items;
    const IniFile ini(path);
    for (const QString& section : ini.sectionNames())
        if (section.startsWith(u"Item"_s))
            items.append({path, section, ini.readString(section, u"TitleE"_s, {})});
    return items;
}

QStringList DeviceItemCommands(const TProfileDetailItem& item)
{
    QStringList commands;
    for (const auto& [key, value] : IniFile(item.FilePath).sectionValues(item.SectionName))
        if (key.startsWith(u"Command"_s)) commands.append(value);
    return commands;
}

QString DeviceItemExt(const TProfileDetailItem& item)
{
    return IniFile(item.FilePath).readString(item.SectionName, u"EXT"_s, {});
}
