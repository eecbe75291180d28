#pragma once

#include "base/globals.h"
#include "profiles/DeviceProfiles.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The folder word of an output format ("avi", "mp4", ... "asf"); "" outside 0..15.
QString FormatFolderWord(int format);

// The profile root's folder name for the language file in use at start-up.
QString ProfileRootName(const QString& languageFile);

// Sets ProfileRootDir, the sixteen ProfileDir and DeviceProfileDir below the
// program folder (which ends in '/') and creates the sixteen format folders,
// stopping at the first that cannot be made. True when all sixteen exist.
bool InitProfileFolders(TGlobalVars& vars, const QString& programFolder);

// ProfileDir + "*." + extension of a format.
QString ProfileMask(const TGlobalVars& vars, int format);

// The path of a format's profile of that name.
QString ProfileFilePath(const TGlobalVars& vars, int format, const QString& name);

// A drop-down list as data: its entries and the selected one (-1: none).
struct TProfileList {
    QStringList Names;
    int Selected = -1;
    // The selected entry's text, "" without a selection.
    QString Text() const;
};

// Refills the list with the names (last extension removed) of the entries
// matching the mask, its extension compared without case, sorted by name
// without regard to case so that every machine lists a folder alike.
// Selects the first entry for an empty name, else the first equal to it
// (with case), else none.
void FillProfileList(TProfileList& list, const QString& mask, const QString& nameToSelect = {});

// True when a typed profile name, trimmed, is a valid file name.
bool IsAcceptableProfileName(const QString& typed);

// What the profile operations need from the windows.
class TProfileUi {
public:
    virtual ~TProfileUi() = default;
    // Shows the format's editor loaded from its settings record; on Save
    // writes the controls back into the record and returns true.
    virtual bool EditSettings(int format) = 0;
    // The profile name dialog with the field preset; the accepted text as
    // typed, or nothing when cancelled.
    virtual std::optional<QString> AskProfileName(const QString& initial) = 0;
    // A confirmation with Yes and No; true on Yes.
    virtual bool Confirm(const QString& text, const QString& caption) = 0;
    // An information message box.
    virtual void Inform(const QString& text, const QString& caption) = 0;
};

// An entry of the MP4 or 3GP menu.
enum TDeviceMenuKind : int { dmMP4 = 0, dm3GP = 1 };
struct TDeviceMenuEntry {
    QString Caption;
    QString FilePath;
    int Kind = dmMP4;
};

// The main window's profile lists, device menus and device-item list as data,
// and the operations on them.
class TProfileCatalogue {
public:
    // Fills every format's list (first entry selected), loads the device
    // profiles and builds the MP4 menu from the PSP group and the 3GP menu
    // from the 3GP group. Folders come from the state.
    void Load(const TGlobalVars& vars);
    // Brings back the remembered device choice once the output format is
    // restored: the item list of TgpiPodPSPProfileFileName and the checked
    // menu entry. FormatListIndex takes MP4MenuIndex.
    void RestoreDeviceChoice(const TGlobalVars& vars);

    void LoadDeviceProfileItems(const QString& path);
    // A choice in the format list (no entry given: MP4 menu entry at
    // FormatListIndex) or a click on a menu entry (its kind and position;
    // a missing position means FormatListIndex). Loads its items, checks it,
    // switches the output format to MP4 or 3GP and remembers the choice in
    // the state; an MP4 entry also moves the format list to it. False when
    // there is no such entry; nothing changes then.
    bool SelectDeviceProfile(TGlobalVars& vars, std::optional<int> kind = {},
                             std::optional<int> position = {});

    // The profile file of a format's selection: ProfileDir + name + ext,
    // the file name looked up without case as the folder was listed.
    QString SelectedProfilePath(const TGlobalVars& vars, int format) const;
    // The item selected in the device-item list, or nullptr.
    const TProfileDetailItem* ChosenItem() const;

    // The four profile operations on a format. Edit, rename and delete do
    // nothing while the list has no selection. A save the system refuses is
    // reported through the ui and leaves the file and the list as they were. A rename never
    // replaces another file, also one whose name differs only in case.
    void EditProfile(int format, const TGlobalVars& vars, TProfileUi& ui);
    void AddProfile(int format, const TGlobalVars& vars, TProfileUi& ui);
    void RenameProfile(int format, const TGlobalVars& vars, TProfileUi& ui);
    void DeleteProfile(int format, const TGlobalVars& vars, TProfileUi& ui);

    TProfileList Lists[OutputFormatCount];
    TDeviceGroups Groups;
    QList<TDeviceMenuEntry> Mp4Menu;
    QList<TDeviceMenuEntry> TgpMenu;
    int CheckedMp4 = -1;
    int CheckedTgp = -1;
    int FormatListIndex = 0;          // ComboBoxFormat
    QList<TProfileDetailItem> Items;  // ComboBoxProfile
    int SelectedItem = -1;
};
