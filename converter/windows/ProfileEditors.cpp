#include "windows/ProfileEditors.h"

#include "windows/CodecPages.h"
#include "windows/DialogSeam.h"
#include "windows/EditorWidgets.h"
#include "windows/MessageBoxes.h"
#include "windows/WindowFunctions.h"

#include <QComboBox>
#include <QGroupBox>

using namespace Qt::StringLiterals;

TfrmMp4Profile::TfrmMp4Profile(QWidget* parent) : TProfileEditor(ofMP4, parent)
{
    m_typeGroup = ListGroup(this, u"GroupBoxFormats"_s, u"ComboBoxMp4Format"_s, m_type);
    placeOnGeneral(m_typeGroup, RowType);
    followCodecList(m_type);
    applyOwnTexts();
}

void TfrmMp4Profile::applyOwnTexts()
{
    m_typeGroup->setTitle(Msg(MSG_TYPE));
    RefillList(m_type, {MSG_TYPE_IPOD, MSG_TYPE_PSP, MSG_TYPE_MOBILE, MSG_TYPE_MP4});
}

void TfrmMp4Profile::loadOwn(const TEditorSettings& settings)
{
    ShowListPosition(m_type, settings.Number(u"Format"_s));
}

void TfrmMp4Profile::saveOwn(TEditorSettings& settings) const
{
    SaveListPosition(m_type, settings, u"Format"_s);
}

int TfrmMp4Profile::chosenAudioPage() const
{
    constexpr int psp = 1;
    return m_config.AudioPageOf(m_type->currentIndex() == psp ? u"AACPsp"_s : u"AACMp4"_s);
}

void TfrmAmrProfile::codecChosen(QComboBox* list)
{
    if (list == m_audioCodec && list->currentIndex() == 1)
        ShowMessageBox(Msg(MSG_AMRNBSELECTED), Msg(MSG_AMRNBSELECTED_TITLE), mbIconWarning);
}

std::unique_ptr<TProfileEditor> CreateProfileEditor(int format, QWidget* parent)
{
    switch (format) {
        case ofAVI:
            return std::make_unique<TfrmAVIProfile>(parent);
        case ofMP4:
            return std::make_unique<TfrmMp4Profile>(parent);
        case of3GP:
            return std::make_unique<TfrmTGPProfile>(parent);
        case ofMPEG:
            return std::make_unique<TfrmMPEGProfile>(parent);
        case ofMOV:
            return std::make_unique<TfrmMovProfile>(parent);
        case ofWMV:
            return std::make_unique<TfrmWmvProfile>(parent);
        case ofRM:
            return std::make_unique<TfrmRMProfile>(parent);
        case ofSWF:
            return std::make_unique<TfrmSwfProfile>(parent);
        case ofVOB:
            return std::make_unique<TfrmVobProfile>(parent);
        case ofASF:
            return std::make_unique<TfrmAsfProfile>(parent);
        case ofAAC:
            return std::make_unique<TfrmAacProfile>(parent);
        case ofAC3:
            return std::make_unique<TfrmAc3Profile>(parent);
        case ofMP2:
            return std::make_unique<TfrmMp2Profile>(parent);
        case ofMP3:
            return std::make_unique<TfrmMp3Profile>(parent);
        case ofAMR:
            return std::make_unique<TfrmAmrProfile>(parent);
        case ofWAV:
            return std::make_unique<TfrmWavProfile>(parent);
    }
    return nullptr;
}

bool EditProfileSettings(int format, QWidget* owner)
{
    std::unique_ptr<TProfileEditor> editor = CreateProfileEditor(format, owner);
    if (!editor) return false;
    editor->LoadFromSettings();
    if (ExecModal(*editor) != QDialog::Accepted) return false;
    editor->SaveToSettings();
    return true;
}
