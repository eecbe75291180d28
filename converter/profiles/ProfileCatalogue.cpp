#include "profiles/ProfileCatalogue.h"

#include "base/FileFunctions.h"
#include "base/IniFile.h"
#include "base/OutputFormats.h"
#include "base/TextFunctions.h"
#include "localisation/MessageTable.h"
#include "profiles/ProfileFile.h"
#include "profiles/ProfileRecords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <array>
#include <cerrno>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

bool validFormat(int format) { return format >= 0 && format < OutputFormatCount; }

// A refused save leaves the old profile whole, and the user hears of it.
bool saveProfile(int format, const QString& path, TProfileUi& ui)
{
    try {
        SaveProfileSettings(format, path);
        return true;
    } catch (const IniWriteError& error) {
        ui.Inform(MsgFormat(MSG_UNABLE_TO_WRITE, error.path()), Msg(MSG_HINT));
        return false;
    }
}

// "." and the profile file extension of a valid format.
QString dotProfileExt(int format) { return u'.' + OutputFormatOf(format)->ProfileExt.toString(); }

QString folderOf(const QString& path) { return path.left(path.lastIndexOf(u'/') + 1); }

QString fileNameOf(const QString& path) { return path.mid(path.lastIndexOf(u'/') + 1); }

bool sameFile(const QByteArray& a, const QByteArray& b)
{
    struct stat sa {};
    struct stat sb {};
    return ::lstat(a.constData(), &sa) == 0 && ::lstat(b.constData(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Moves a file to a new name in the same folder without ever replacing
// another file, also where names are matched without case.
bool renameNoReplace(const QString& from, const QString& to)
{
    const QString newName = fileNameOf(to);
    for (const QString& entry :
         QDir(folderOf(to)).entryList(QDir::AllEntries | QDir::Hidden | QDir::System))
        if (entry.compare(newName, Qt::CaseInsensitive) == 0 && entry != fileNameOf(from))
            return false;

    if (RenameNoReplace(from, to)) return true;
    // On a file system that ignores case a case-only rename meets the file
    // itself; renaming it onto itself replaces nothing.
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    return errno == EEXIST && sameFile(source, target) &&
           ::rename(source.constData(), target.constData()) == 0;
}

}  // namespace

QString FormatFolderWord(int format)
{
    const TOutputFormat* f = OutputFormatOf(format);
    return f ? f->FolderWord.toString() : QString();
}

QString ProfileRootName(const QString& languageFile)
{
    const QString lower = languageFile.toLower();
    if (lower == u"english.ini") return u"profile_en"_s;
    if (lower == u"french.ini") return u"profile_fr"_s;
    if (lower == u"deutsch.ini") return u"profile_de"_s;
    if (lower == u"italian.ini") return u"profile_it"_s;
    return u"profile"_s;
}

bool InitProfileFolders(TGlobalVars& vars, const QString& programFolder)
{
    vars.ProfileRootDir =
        AddTrailingBackslash(programFolder) + ProfileRootName(vars.LanguageFile) + u'/';
    for (int format = 0; format < OutputFormatCount; ++format)
        vars.ProfileDir[format] = vars.ProfileRootDir + FormatFolderWord(format) + u'/';
    vars.DeviceProfileDir = vars.ProfileRootDir + u"default_setting/"_s;

    std::array<QString, OutputFormatCount> inCreationOrder;
    for (const TOutputFormat& f : OutputFormats())
        inCreationOrder[f.CreationRank] = vars.ProfileDir[f.Index];
    for (const QString& dir : inCreationOrder)
        if (!QDir().mkpath(dir) || !QFileInfo(dir).isDir()) return false;
    return true;
}

QString ProfileMask(const TGlobalVars& vars, int format)
{
    if (!validFormat(format)) return {};
    return vars.ProfileDir[format] + u'*' + dotProfileExt(format);
}

QString ProfileFilePath(const TGlobalVars& vars, int format, const QString& name)
{
    if (!validFormat(format)) return {};
    return vars.ProfileDir[format] + name + dotProfileExt(format);
}

QString TProfileList::Text() const
{
    return Selected >= 0 && Selected < Names.size() ? Names[Selected] : QString();
}

void FillProfileList(TProfileList& list, const QString& mask, const QString& nameToSelect)
{
    list.Names.clear();
    list.Selected = -1;
    for (const QString& file : ListMatchingFiles(folderOf(mask), fileNameOf(mask)))
        list.Names.append(PathWithoutExt(file));
    if (list.Names.isEmpty()) return;
    list.Selected = nameToSelect.isEmpty() ? 0 : list.Names.indexOf(nameToSelect);
}

bool IsAcceptableProfileName(const QString& typed) { return IsValidFileName(typed.trimmed()); }

void TProfileCatalogue::Load(const TGlobalVars& vars)
{
    for (int format = 0; format < OutputFormatCount; ++format)
        FillProfileList(Lists[format], ProfileMask(vars, format));

    Groups = {};
    LoadDeviceProfiles(vars.DeviceProfileDir, Groups);
    Mp4Menu.clear();
    TgpMenu.clear();
    for (const TProfileItem& item : std::as_const(Groups.Psp))
        Mp4Menu.append({item.Title, item.FilePath, dmMP4});
    for (const TProfileItem& item : std::as_const(Groups.Tgp))
        TgpMenu.append({item.Title, item.FilePath, dm3GP});
    CheckedMp4 = -1;
    CheckedTgp = -1;
}

void TProfileCatalogue::RestoreDeviceChoice(const TGlobalVars& vars)
{
    FormatListIndex = vars.MP4MenuIndex;
    if (vars.TgpiPodPSPProfileFileName.isEmpty()) return;
    if (vars.OutputFormat == ofMP4) {
        LoadDeviceProfileItems(vars.TgpiPodPSPProfileFileName);
        if (vars.MP4MenuIndex >= 0 && vars.MP4MenuIndex < Mp4Menu.size())
            CheckedMp4 = vars.MP4MenuIndex;
    } else if (vars.OutputFormat == of3GP) {
        LoadDeviceProfileItems(vars.TgpiPodPSPProfileFileName);
        if (vars.TgpMenuIndex >= 0 && vars.TgpMenuIndex < TgpMenu.size())
            CheckedTgp = vars.TgpMenuIndex;
    }
}

void TProfileCatalogue::LoadDeviceProfileItems(const QString& path)
{
    Items = ::LoadDeviceProfileItems(path);
    SelectedItem = Items.isEmpty() ? -1 : 0;
}

bool TProfileCatalogue::SelectDeviceProfile(TGlobalVars& vars, std::optional<int> kind,
                                            std::optional<int> position)
{
    const int menuKind = kind.value_or(dmMP4);
    if (menuKind != dmMP4 && menuKind != dm3GP) return false;
    const QList<TDeviceMenuEntry>& menu = menuKind == dm3GP ? TgpMenu : Mp4Menu;
    const int at = position.value_or(FormatListIndex);
    if (at < 0 || at >= menu.size()) return false;
    const TDeviceMenuEntry entry = menu[at];

    LoadDeviceProfileItems(entry.FilePath);
    if (entry.Kind == dm3GP) {
        CheckedTgp = at;
        vars.OutputFormat = of3GP;
        vars.TgpMenuIndex = at;
    } else {
        CheckedMp4 = at;
        FormatListIndex = at;
        vars.OutputFormat = ofMP4;
        vars.MP4MenuIndex = at;
    }
    vars.TgpiPodPSPProfileFileName = entry.FilePath;
    return true;
}

QString TProfileCatalogue::SelectedProfilePath(const TGlobalVars& vars, int format) const
{
    if (!validFormat(format)) return {};
    return ResolvePathNoCase(ProfileFilePath(vars, format, Lists[format].Text()));
}

const TProfileDetailItem* TProfileCatalogue::ChosenItem() const
{
    return SelectedItem >= 0 && SelectedItem < Items.size() ? &Items[SelectedItem] : nullptr;
}

void TProfileCatalogue::EditProfile(int format, const TGlobalVars& vars, TProfileUi& ui)
{
    if (!validFormat(format) || Lists[format].Selected < 0) return;
    const QString path = SelectedProfilePath(vars, format);
    LoadProfileSettings(format, path);
    if (ui.EditSettings(format)) saveProfile(format, path, ui);
}

void TProfileCatalogue::AddProfile(int format, const TGlobalVars& vars, TProfileUi& ui)
{
    if (!validFormat(format)) return;
    ResetProfileSettings(format);
    if (!ui.EditSettings(format)) return;
    const std::optional<QString> name = ui.AskProfileName(QString());
    if (!name || !IsAcceptableProfileName(*name)) return;

    // An existing profile whose name differs only in case is the same profile.
    const QString path = ResolvePathNoCase(ProfileFilePath(vars, format, *name));
    if (QFileInfo::exists(path) &&
        !ui.Confirm(MsgFormat(MSG_FILE_EXISTS, path), Msg(MSG_OVERWRITE)))
        return;
    if (!saveProfile(format, path, ui)) return;
    FillProfileList(Lists[format], ProfileMask(vars, format), PathWithoutExt(fileNameOf(path)));
}

void TProfileCatalogue::RenameProfile(int format, const TGlobalVars& vars, TProfileUi& ui)
{
    if (!validFormat(format) || Lists[format].Selected < 0) return;
    const std::optional<QString> name = ui.AskProfileName(Lists[format].Text());
    if (!name || !IsAcceptableProfileName(*name)) return;

    const QString oldPath = SelectedProfilePath(vars, format);
    const QString newPath = folderOf(oldPath) + *name + ExtractFileExt(oldPath);
    if (newPath != oldPath && !renameNoReplace(oldPath, newPath)) {
        ui.Inform(Msg(MSG_RENAMEFAILD), Msg(MSG_RENAMEFAILD_TITLE));
        return;
    }
    FillProfileList(Lists[format], ProfileMask(vars, format), *name);
}

void TProfileCatalogue::DeleteProfile(int format, const TGlobalVars& vars, TProfileUi& ui)
{
    if (!validFormat(format) || Lists[format].Selected < 0) return;
    if (Lists[format].Names.size() == 1) {
        ui.Inform(Msg(MSG_LAST_PROFILE), Msg(MSG_LAST_PROFILE_TITLE));
        return;
    }
    if (!ui.Confirm(MsgFormat(MSG_SURE_DELETE_PROFILE, Lists[format].Text()),
                    Msg(MSG_SURE_DELETE_PROFILE_TITLE)))
        return;
    if (!QFile::remove(SelectedProfilePath(vars, format))) return;
    FillProfileList(Lists[format], ProfileMask(vars, format));
}
