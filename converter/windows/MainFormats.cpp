// The output format, the device choice and the profile commands of the main
// window.

#include "base/IniFile.h"
#include "localisation/MessageTable.h"
#include "windows/Main.h"
#include "windows/MessageBoxes.h"
#include "windows/Name.h"
#include "windows/ProfileEditors.h"
#include "windows/SkinLook.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QMenu>

using namespace Qt::StringLiterals;

namespace {

bool IsOtherFormat(int format) { return format >= ofVOB; }

bool IsDeviceFormat(int format) { return format == ofMP4 || format == of3GP; }

}  // namespace

void TfrmMain::SelectFormat(int format)
{
    if (format < 0 || format >= OutputFormatCount) return;
    m_vars.OutputFormat = quint8(format);
    refreshFormatActions();
}

void TfrmMain::refreshFormatActions()
{
    const int format = m_vars.OutputFormat;
    for (int other = ofVOB; other < OutputFormatCount; ++other)
        m_formatActions[other]->setChecked(false);
    for (int main = 0; main < ofVOB; ++main)
        m_formatActions[main]->setEnabled(true);
    m_toOthers->setEnabled(true);
    if (IsOtherFormat(format)) {
        m_formatActions[format]->setChecked(true);
        m_toOthers->setEnabled(false);
    } else {
        m_formatActions[format]->setEnabled(false);
    }
    // The device formats show the chosen device profile's items instead.
    const bool device = IsDeviceFormat(format);
    ComboBoxProfile->setVisible(device);
    for (int list = 0; list < OutputFormatCount; ++list)
        m_profileLists[list]->setVisible(!device && list == format);
    if (device)
        ComboBoxProfile->raise();
    else
        m_profileLists[format]->raise();
    Action(u"ActionEditProfile"_s)->setEnabled(!device);
    Action(u"ActionProfileMore"_s)->setEnabled(!device);
}

void TfrmMain::SelectFormatListEntry(int index)
{
    if (m_updatingLists) return;
    m_catalogue.FormatListIndex = index;
    if (m_catalogue.SelectDeviceProfile(m_vars)) SelectFormat(m_vars.OutputFormat);
    refreshDeviceChoice();
}

void TfrmMain::refreshProfileLists()
{
    m_updatingLists = true;
    for (int format = 0; format < OutputFormatCount; ++format) {
        QComboBox* list = m_profileLists[format];
        list->clear();
        list->addItems(m_catalogue.Lists[format].Names);
        list->setCurrentIndex(m_catalogue.Lists[format].Selected);
    }
    m_updatingLists = false;
}

void TfrmMain::refreshDeviceChoice()
{
    m_updatingLists = true;
    ComboBoxProfile->clear();
    for (const TProfileDetailItem& item : std::as_const(m_catalogue.Items))
        ComboBoxProfile->addItem(item.Title);
    ComboBoxProfile->setCurrentIndex(m_catalogue.SelectedItem);
    ComboBoxFormat->setCurrentIndex(m_catalogue.FormatListIndex);
    m_updatingLists = false;

    // The menus list the device profiles, the chosen one checked.
    auto fill = [this](QMenu* menu, const QList<TDeviceMenuEntry>& entries, int checked, int kind) {
        menu->clear();
        auto* group = new QActionGroup(menu);
        for (int i = 0; i < entries.size(); ++i) {
            QAction* entry = menu->addAction(entries[i].Caption);
            entry->setCheckable(true);
            entry->setChecked(i == checked);
            group->addAction(entry);
            connect(entry, &QAction::triggered, this, [this, kind, i] {
                if (m_catalogue.SelectDeviceProfile(m_vars, kind, i))
                    SelectFormat(m_vars.OutputFormat);
                refreshDeviceChoice();
            });
        }
    };
    fill(PopupMenuMP4, m_catalogue.Mp4Menu, m_catalogue.CheckedMp4, dmMP4);
    fill(PopupMenu3GP, m_catalogue.TgpMenu, m_catalogue.CheckedTgp, dm3GP);
}

void TfrmMain::profileCommand(void (TProfileCatalogue::*operation)(int, const TGlobalVars&,
                                                                   TProfileUi&))
{
    try {
        (m_catalogue.*operation)(m_vars.OutputFormat, m_vars, *this);
    } catch (const IniWriteError& error) {
        ShowErrorBox(error.text());
    }
    refreshProfileLists();
}

bool TfrmMain::EditSettings(int format) { return EditProfileSettings(format, this); }

std::optional<QString> TfrmMain::AskProfileName(const QString& initial)
{
    return ::AskProfileName(this, initial);
}

bool TfrmMain::Confirm(const QString& text, const QString& caption)
{
    return ShowLocalizedDialog(text, caption, TDialogType::Confirmation,
                               {Msg(MSG_YES), Msg(MSG_NO)}, dbYes | dbNo) == drYes;
}

void TfrmMain::Inform(const QString& text, const QString& caption)
{
    ShowMessageBox(text, caption, mbIconInformation);
}
