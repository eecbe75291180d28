#include "windows/CodecPages.h"
#include "windows/EditorWidgets.h"
#include "windows/ProfileEditors.h"
#include "windows/WindowFunctions.h"

#include "profiles/Ladders.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int PresetDvd = 2;
// Both DVD track bars open here when the stored rate is no ladder value.
constexpr int DvdFallback = 6;

// A titled group of radios in a row, numbered from 0 in the order given.
QButtonGroup* RadioRow(QGroupBox* group, const QStringList& names)
{
    auto* buttons = new QButtonGroup(group);
    auto* row = new QHBoxLayout(group);
    for (const QString& name : names) {
        auto* radio = Named<QRadioButton>(group, name);
        buttons->addButton(radio, int(buttons->buttons().size()));
        row->addWidget(radio);
    }
    row->addStretch();
    buttons->button(0)->setChecked(true);
    return buttons;
}

void CheckButton(QButtonGroup* buttons, int id)
{
    if (QAbstractButton* button = buttons->button(id)) button->setChecked(true);
}

}  // namespace

TfrmMPEGProfile::TfrmMPEGProfile(QWidget* parent) : TProfileEditor(ofMPEG, parent)
{
    buildPresets();

    m_audioMpeg1Group =
        ListGroup(this, u"GroupBoxAudioCodecMpeg1"_s, u"ComboBoxAudioCodecMpeg1"_s, m_audioMpeg1);
    m_audioMpeg2Group =
        ListGroup(this, u"GroupBoxAudioCodecMpeg2"_s, u"ComboBoxAudioCodecMpeg2"_s, m_audioMpeg2);
    m_audioLists = new QStackedWidget(this);
    m_audioLists->addWidget(m_audioMpeg1Group);
    m_audioLists->addWidget(m_audioMpeg2Group);
    placeOnGeneral(m_audioLists, RowAudioCodec);
    followCodecList(m_audioMpeg1);
    followCodecList(m_audioMpeg2);
    connect(m_videoCodec, &QComboBox::currentIndexChanged, this,
            [this] { m_audioLists->setCurrentIndex(mpeg1() ? 0 : 1); });

    buildDvdPage();
    applyOwnTexts();
}

void TfrmMPEGProfile::buildPresets()
{
    m_presetGroup = NamedGroup(this, u"GroupBoxPresetFormats"_s);
    m_usePresets = Named<QCheckBox>(m_presetGroup, u"CheckBoxUsePressetFormat"_s);
    m_presetTypeGroup = NamedGroup(m_presetGroup, u"RadioGroupPresetType"_s);
    m_presetType = RadioRow(m_presetTypeGroup,
                            {u"RadioButtonVCD"_s, u"RadioButtonSVCD"_s, u"RadioButtonDVD"_s});
    m_targetGroup = NamedGroup(m_presetGroup, u"RadioGroupPresetTargetFormat"_s);
    m_target = RadioRow(m_targetGroup, {u"RadioButtonTargetAuto"_s, u"RadioButtonTargetNTSC"_s,
                                        u"RadioButtonTargetPAL"_s});
    auto* grid = new QGridLayout(m_presetGroup);
    grid->addWidget(m_usePresets, 0, 0, 1, 2);
    grid->addWidget(m_presetTypeGroup, 1, 0);
    grid->addWidget(m_targetGroup, 1, 1);
    placeOnGeneral(m_presetGroup, RowType, 0, 2);
    // The preset choice decides which groups and pages make sense.
    connect(m_usePresets, &QCheckBox::toggled, this, &TfrmMPEGProfile::applyAudioRule);
    connect(m_presetType, &QButtonGroup::idClicked, this, &TfrmMPEGProfile::applyAudioRule);
    connect(m_target, &QButtonGroup::idClicked, this, &TfrmMPEGProfile::applyAudioRule);
}

void TfrmMPEGProfile::buildDvdPage()
{
    m_dvdTab = Named<QWidget>(m_pages, u"TabSheetDVD"_s);
    m_dvdBitrate = new TVideoBitrateGroup(QString(), StandardVideoBitrates,
                                          int(StandardVideoBitrates.size()), m_dvdTab);

    m_dvdAspectGroup = NamedGroup(m_dvdTab, u"GroupBoxDVDAspect"_s);
    auto* autoAspect = Named<QRadioButton>(m_dvdAspectGroup, u"RadioButtonDVDAutoSetAspect"_s);
    auto* changeAspect = Named<QRadioButton>(m_dvdAspectGroup, u"RadioButtonDVDChangeAspect"_s);
    m_dvdAspect = Named<QComboBox>(m_dvdAspectGroup, u"ComboBoxDVDVideoAspect"_s);
    m_dvdAspectChoice = new QButtonGroup(m_dvdAspectGroup);
    m_dvdAspectChoice->addButton(autoAspect, 0);
    m_dvdAspectChoice->addButton(changeAspect, 1);
    autoAspect->setChecked(true);
    auto* aspect = new QGridLayout(m_dvdAspectGroup);
    aspect->addWidget(autoAspect, 0, 0, 1, 2);
    aspect->addWidget(changeAspect, 1, 0);
    aspect->addWidget(m_dvdAspect, 1, 1);
    aspect->setColumnStretch(1, 1);
    connect(changeAspect, &QRadioButton::toggled, this, &TfrmMPEGProfile::applyDvdAspectRule);

    m_dvdAudioGroup = NamedGroup(m_dvdTab, u"GroupBoxDVDAudioBitrate"_s);
    m_dvdAutoAudio = Named<QCheckBox>(m_dvdAudioGroup, u"CheckBoxDVDAutoSetAudioBitrate"_s);
    m_dvdAudio = new TLadderBar(DVDAudioBitrates, int(DVDAudioBitrates.size()), m_dvdAudioGroup);
    m_dvdAudio->setObjectName(u"TrackBarDVDAudioBitrate"_s);
    auto* value = Named<QLabel>(m_dvdAudioGroup, u"LabelDVDAudioBitrate"_s);
    auto* kbps = Named<QLabel>(m_dvdAudioGroup, u"LabelDVDAudioKbps"_s);
    kbps->setText(u"kbps"_s);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance(u"9999"_s));
    m_dvdAudio->SetValueLabel(value);
    auto* audio = new QGridLayout(m_dvdAudioGroup);
    audio->addWidget(m_dvdAutoAudio, 0, 0, 1, 3);
    audio->addWidget(m_dvdAudio, 1, 0);
    audio->addWidget(value, 1, 1);
    audio->addWidget(kbps, 1, 2);

    auto* column = new QVBoxLayout(m_dvdTab);
    column->addWidget(m_dvdBitrate);
    column->addWidget(m_dvdAspectGroup);
    column->addWidget(m_dvdAudioGroup);
    column->addStretch();
    m_pages->addTab(m_dvdTab, QString());
}

void TfrmMPEGProfile::applyOwnTexts()
{
    m_presetGroup->setTitle(Msg(MSG_PRESET_FORMATS));
    m_usePresets->setText(Msg(MSG_USE_PRESET_FORMATS));
    const QStringList types = {u"VCD"_s, u"SVCD"_s, u"DVD"_s};
    m_presetTypeGroup->setTitle(Msg(MSG_TYPE));
    for (int i = 0; i < types.size(); ++i)
        m_presetType->button(i)->setText(types[i]);
    m_targetGroup->setTitle(Msg(MSG_TARGET_FORMAT));
    const MsgKey targets[] = {MSG_TARGET_FORMAT_AUTO, MSG_TARGET_FORMAT_NTSC,
                              MSG_TARGET_FORMAT_PAL};
    for (int i = 0; i < 3; ++i)
        m_target->button(i)->setText(Msg(targets[i]));
    for (QGroupBox* group : {m_audioMpeg1Group, m_audioMpeg2Group})
        group->setTitle(Msg(MSG_AUDIO_CODEC));
    RefillList(m_audioMpeg1, {MSG_MP2, MSG_MP3});
    RefillList(m_audioMpeg2, {MSG_AC3, MSG_MP2, MSG_MP3});

    m_pages->setTabText(m_pages->indexOf(m_dvdTab), Msg(MSG_DVD_PAGE));
    m_dvdBitrate->ApplyTexts();
    m_dvdAspectGroup->setTitle(Msg(MSG_ASPECT));
    m_dvdAspectChoice->button(0)->setText(Msg(MSG_ASPECT_AUTO));
    m_dvdAspectChoice->button(1)->setText(Msg(MSG_CHANGE_ASPECT));
    RefillList(m_dvdAspect, {MSG_ASPECT1, MSG_ASPECT2, MSG_ASPECT3});
    m_dvdAudioGroup->setTitle(Msg(MSG_AUDIO_BITRATE));
    m_dvdAutoAudio->setText(Msg(MSG_AUDIO_BITRATE_AUTO));
}

void TfrmMPEGProfile::loadOwn(const TEditorSettings& s)
{
    m_usePresets->setChecked(s.Flag(u"UsePresetFormats"_s));
    CheckButton(m_presetType, s.Number(u"PresetType"_s));
    CheckButton(m_target, s.Number(u"TargetFormat"_s));
    ShowListPosition(m_audioMpeg1, s.Number(u"AudioCodecMpeg1"_s));
    ShowListPosition(m_audioMpeg2, s.Number(u"AudioCodecMpeg2"_s));
    m_dvdBitrate->Load(s.Flag(u"DVDVideoBitRateUsePresert"_s), s.Number(u"DVDVideoBitRatePreset"_s),
                       s.Number(u"DVDVideoBitRateSpecify"_s), DvdFallback);
    CheckButton(m_dvdAspectChoice, s.Flag(u"DVDVideoKeepAspect"_s) ? 0 : 1);
    ShowListPosition(m_dvdAspect, s.Number(u"DVDVideoAspect"_s));
    m_dvdAutoAudio->setChecked(s.Flag(u"DVDAudioBitRateUseAutoSet"_s));
    m_dvdAudio->Load(s.Number(u"DVDAudioBitRatePreset"_s), DvdFallback);
}

void TfrmMPEGProfile::saveOwn(TEditorSettings& s) const
{
    s.SetFlag(u"UsePresetFormats"_s, m_usePresets->isChecked());
    s.SetNumber(u"TargetFormat"_s, m_target->checkedId());
    s.SetNumber(u"PresetType"_s, m_presetType->checkedId());
    SaveListPosition(m_audioMpeg1, s, u"AudioCodecMpeg1"_s);
    SaveListPosition(m_audioMpeg2, s, u"AudioCodecMpeg2"_s);
    s.SetFlag(u"DVDVideoBitRateUsePresert"_s, m_dvdBitrate->UsePreset());
    s.SetNumber(u"DVDVideoBitRatePreset"_s, m_dvdBitrate->Preset());
    s.SetNumber(u"DVDVideoBitRateSpecify"_s, m_dvdBitrate->Specified());
    s.SetFlag(u"DVDVideoKeepAspect"_s, m_dvdAspectChoice->checkedId() == 0);
    SaveListPosition(m_dvdAspect, s, u"DVDVideoAspect"_s);
    s.SetFlag(u"DVDAudioBitRateUseAutoSet"_s, m_dvdAutoAudio->isChecked());
    s.SetNumber(u"DVDAudioBitRatePreset"_s, m_dvdAudio->Kbps());
}

bool TfrmMPEGProfile::mpeg1() const { return m_videoCodec->currentIndex() != 1; }

int TfrmMPEGProfile::chosenAudioPage() const
{
    // The pages are AC3, Mp2, Mp3; the MPEG-1 list starts at Mp2.
    if (mpeg1()) return m_audioMpeg1->currentIndex() < 0 ? -1 : m_audioMpeg1->currentIndex() + 1;
    return m_audioMpeg2->currentIndex();
}

void TfrmMPEGProfile::applyAudioRule()
{
    const bool presets = m_usePresets->isChecked();
    const bool audio = !m_disableAudio->isChecked();
    m_presetTypeGroup->setEnabled(presets);
    m_targetGroup->setEnabled(presets);
    for (QWidget* w : std::initializer_list<QWidget*>{m_videoCodecGroup, m_audioLists,
                                                      m_sameQualityGroup, m_disableAudioGroup})
        w->setVisible(!presets);
    for (QWidget* w : std::initializer_list<QWidget*>{m_audioMpeg1Group, m_audioMpeg2Group,
                                                      m_audioMpeg1, m_audioMpeg2})
        w->setEnabled(audio);
    const bool dvd = m_presetType->checkedId() == PresetDvd;
    setTabShown(m_videoTab, !presets);
    setTabShown(m_audioTab, !presets && audio);
    setTabShown(m_dvdTab, presets && dvd);
}

void TfrmMPEGProfile::applyDvdAspectRule()
{
    m_dvdAspect->setEnabled(m_dvdAspectChoice->checkedId() == 1);
}

void TfrmMPEGProfile::applyRules()
{
    m_audioLists->setCurrentIndex(mpeg1() ? 0 : 1);
    m_dvdBitrate->ApplyEnableRule();
    applyDvdAspectRule();
    TProfileEditor::applyRules();
}
