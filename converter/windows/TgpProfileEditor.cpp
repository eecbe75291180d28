#include "windows/CodecPages.h"
#include "windows/EditorWidgets.h"
#include "windows/MessageBoxes.h"
#include "windows/ProfileEditors.h"
#include "windows/WindowFunctions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// The pages each list position shows, by page tag.
const QStringList NokiaVideoPages = {u"H263"_s, u"DivX"_s};
const QStringList SonyVideoPages = {u"DivX"_s, u"XviD"_s};
const QStringList NokiaAudioPages = {u"Armnb"_s, u"Armwb"_s, u"AACMp4"_s};
const QStringList SonyAudioPages = {u"AACMp4"_s};

QStackedWidget* Stack(QWidget* parent, QWidget* front, QWidget* back)
{
    auto* stack = new QStackedWidget(parent);
    stack->addWidget(front);
    stack->addWidget(back);
    return stack;
}

int PageAt(const TEditorConfig& config, const QStringList& tags, const QComboBox* list, bool video)
{
    const int entry = list->currentIndex();
    if (entry < 0 || entry >= tags.size()) return -1;
    return video ? config.VideoPageOf(tags[entry]) : config.AudioPageOf(tags[entry]);
}

}  // namespace

TfrmTGPProfile::TfrmTGPProfile(QWidget* parent) : TProfileEditor(of3GP, parent)
{
    m_typeGroup = ListGroup(this, u"GroupBoxFormats"_s, u"ComboBox3GPFormat"_s, m_type);
    placeOnGeneral(m_typeGroup, RowType);

    m_videoNokiaGroup =
        ListGroup(this, u"GroupBoxVideoCodeNokia"_s, u"ComboBoxVideoCodecNokia"_s, m_videoNokia);
    m_videoSonyGroup =
        ListGroup(this, u"GroupBoxVideoCodeSony"_s, u"ComboBoxVideoCodecSony"_s, m_videoSony);
    m_audioNokiaGroup =
        ListGroup(this, u"GroupBoxAudioCodeNokia"_s, u"ComboBoxAudioCodeNokia"_s, m_audioNokia);
    m_audioSonyGroup =
        ListGroup(this, u"GroupBoxAudioCodeSony"_s, u"ComboBoxAudioCodeSony"_s, m_audioSony);
    m_videoLists = Stack(this, m_videoNokiaGroup, m_videoSonyGroup);
    m_audioLists = Stack(this, m_audioNokiaGroup, m_audioSonyGroup);
    placeOnGeneral(m_videoLists, RowVideoCodec);
    placeOnGeneral(m_audioLists, RowAudioCodec);
    for (QComboBox* list : {m_videoNokia, m_videoSony, m_audioNokia, m_audioSony})
        followCodecList(list);
    connect(m_type, &QComboBox::currentIndexChanged, this, [this] {
        applyTypeRule();
        applyPageChoice();
    });
    applyOwnTexts();
}

void TfrmTGPProfile::applyOwnTexts()
{
    m_typeGroup->setTitle(Msg(MSG_TYPE));
    RefillList(m_type, {MSG_3GP_TYPE1, MSG_3GP_TYPE2, MSG_3GP_TYPE3});
    for (QGroupBox* group : {m_videoNokiaGroup, m_videoSonyGroup})
        group->setTitle(Msg(MSG_VIDEO_CODEC));
    for (QGroupBox* group : {m_audioNokiaGroup, m_audioSonyGroup})
        group->setTitle(Msg(MSG_AUDIO_CODEC));
    RefillList(m_videoNokia, {MSG_H263, MSG_DIVX});
    RefillList(m_videoSony, {MSG_DIVX, MSG_XVID});
    RefillList(m_audioNokia, {MSG_AMRNB, MSG_AMRWB, MSG_AAC});
    RefillList(m_audioSony, {MSG_AAC});
}

void TfrmTGPProfile::loadOwn(const TEditorSettings& settings)
{
    ShowListPosition(m_type, settings.Number(u"TgpFormat"_s));
    ShowListPosition(m_videoNokia, settings.Number(u"VideoCodecNokia"_s));
    ShowListPosition(m_videoSony, settings.Number(u"VideoCodecSony"_s));
    ShowListPosition(m_audioNokia, settings.Number(u"AudioCodecNokia"_s));
    ShowListPosition(m_audioSony, settings.Number(u"AudioCodecSony"_s));
}

void TfrmTGPProfile::saveOwn(TEditorSettings& settings) const
{
    SaveListPosition(m_type, settings, u"TgpFormat"_s);
    SaveListPosition(m_videoNokia, settings, u"VideoCodecNokia"_s);
    SaveListPosition(m_videoSony, settings, u"VideoCodecSony"_s);
    SaveListPosition(m_audioNokia, settings, u"AudioCodecNokia"_s);
    SaveListPosition(m_audioSony, settings, u"AudioCodecSony"_s);
}

bool TfrmTGPProfile::nokia() const { return m_type->currentIndex() == 0; }

int TfrmTGPProfile::chosenVideoPage() const
{
    return nokia() ? PageAt(m_config, NokiaVideoPages, m_videoNokia, true)
                   : PageAt(m_config, SonyVideoPages, m_videoSony, true);
}

int TfrmTGPProfile::chosenAudioPage() const
{
    return nokia() ? PageAt(m_config, NokiaAudioPages, m_audioNokia, false)
                   : PageAt(m_config, SonyAudioPages, m_audioSony, false);
}

void TfrmTGPProfile::codecChosen(QComboBox* list)
{
    const int entry = list->currentIndex();
    if (list == m_videoNokia && entry == 1)
        ShowMessageBox(Msg(MSG_MP4SELECTED), Msg(MSG_MP4SELECTED_TITLE), mbIconWarning);
    else if (list == m_audioNokia && entry == 1)
        ShowMessageBox(Msg(MSG_AMRNBSELECTED), Msg(MSG_AMRNBSELECTED_TITLE), mbIconWarning);
    else if (list == m_audioNokia && entry == 2)
        ShowMessageBox(Msg(MSG_AACSELECTED), Msg(MSG_AACSELECTED_TITLE), mbIconWarning);
}

void TfrmTGPProfile::applyTypeRule()
{
    const int pair = nokia() ? 0 : 1;
    m_videoLists->setCurrentIndex(pair);
    m_audioLists->setCurrentIndex(pair);
}

void TfrmTGPProfile::applyAudioRule()
{
    const bool on = !m_disableAudio->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{m_audioNokiaGroup, m_audioSonyGroup,
                                                      m_audioNokia, m_audioSony})
        w->setEnabled(on);
    setTabShown(m_audioTab, on);
}

void TfrmTGPProfile::applyRules()
{
    applyTypeRule();
    TProfileEditor::applyRules();
}
