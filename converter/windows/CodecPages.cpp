#include "windows/CodecPages.h"

#include "windows/EditorSettings.h"
#include "windows/EditorWidgets.h"
#include "windows/WindowFunctions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// H.263's three picture sizes; the last is checked unless a stored size matches.
struct H263Size {
    const char16_t* name;
    int width;
    int height;
};
constexpr H263Size H263Sizes[] = {{u"RadioButtonVideoSize128_96H263", 128, 96},
                                  {u"RadioButtonVideoSize176_144H263", 176, 144},
                                  {u"RadioButtonVideoSize352_288H263", 352, 288}};

QLabel* Header(QWidget* parent, const QString& tag)
{
    auto* header = Named<QLabel>(parent, u"lab"_s + tag);
    QFont bold = header->font();
    bold.setBold(true);
    header->setFont(bold);
    return header;
}

void SetEnabled(std::initializer_list<QWidget*> widgets, bool enabled)
{
    for (QWidget* w : widgets)
        if (w) w->setEnabled(enabled);
}

}  // namespace

void SaveListPosition(const QComboBox* list, TEditorSettings& settings, const QString& key)
{
    if (list->currentIndex() >= 0) settings.SetNumber(key, list->currentIndex());
}

TVideoCodecPage::TVideoCodecPage(const TVideoPageConfig& page, const TEditorConfig& editor,
                                 QWidget* parent)
    : QWidget(parent), m_page(page), m_editor(editor)
{
    const QString& tag = page.Tag;
    setObjectName(u"TabSheet"_s + tag);
    m_header = Header(this, tag);
    m_bitrate = new TVideoBitrateGroup(tag, editor.VideoLadder, editor.VideoMaximum, this);

    m_sizeGroup = NamedGroup(this, u"GroupBoxVideoSize"_s + tag);
    if (page.Sizes == TSizeChoice::H263Radios)
        buildSizeRadios(m_sizeGroup);
    else
        buildSizeList(m_sizeGroup);

    m_rateGroup = NamedGroup(this, u"GroupBoxVideoFrameRate"_s + tag);
    m_keepRate = Named<QRadioButton>(m_rateGroup, u"RadioButtonKeepFrameRate"_s + tag);
    m_changeRate = Named<QRadioButton>(m_rateGroup, u"RadioButtonChangeFrameRate"_s + tag);
    m_rates = Named<QComboBox>(m_rateGroup, u"ComboBoxVideoFrameRate"_s + tag);
    m_rates->addItems(FrameRateEntries(editor.FrameRates));
    auto* rates = new QGridLayout(m_rateGroup);
    rates->addWidget(m_keepRate, 0, 0, 1, 2);
    rates->addWidget(m_changeRate, 1, 0);
    rates->addWidget(m_rates, 1, 1);
    m_keepRate->setChecked(true);

    m_aspectGroup = NamedGroup(this, u"GroupBoxAspect"_s + tag);
    const QString aspectNames[] = {u"RadioButtonAutoSetAspect"_s, u"RadioButtonAspect43"_s,
                                   u"RadioButtonAspect169"_s};
    auto* aspects = new QHBoxLayout(m_aspectGroup);
    for (int i = 0; i < 3; ++i) {
        m_aspects[i] = Named<QRadioButton>(m_aspectGroup, aspectNames[i] + tag);
        aspects->addWidget(m_aspects[i]);
    }
    aspects->addStretch();
    m_aspects[0]->setChecked(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_header, 0, 0, 1, 2);
    grid->addWidget(m_bitrate, 1, 0, 1, 2);
    grid->addWidget(m_sizeGroup, 2, 0, 2, 1);
    grid->addWidget(m_rateGroup, 2, 1);
    grid->addWidget(m_aspectGroup, 3, 1);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    connect(m_changeRate, &QRadioButton::toggled, this, &TVideoCodecPage::ApplyRules);
    ApplyTexts();
}

void TVideoCodecPage::buildSizeList(QGroupBox* group)
{
    const QString& tag = m_page.Tag;
    m_keepSize = Named<QRadioButton>(group, u"RadioButtonKeepSourceSize"_s + tag);
    m_changeSize = Named<QRadioButton>(group, u"RadioButtonChangVideoSize"_s + tag);
    m_dimensions = Named<QLabel>(group, u"LabelVideoDimensions"_s + tag);
    m_sizes = Named<QComboBox>(group, u"ComboBoxVideoSize"_s + tag);
    m_widthLabel = Named<QLabel>(group, u"LabelVideoWidth"_s + tag);
    m_width = Named<QSpinBox>(group, u"EditVideoWidth"_s + tag);
    m_x = Named<QLabel>(group, u"LabelX"_s + tag);
    m_heightLabel = Named<QLabel>(group, u"LabelVideoHeight"_s + tag);
    m_height = Named<QSpinBox>(group, u"EditVideoHeight"_s + tag);
    m_x->setText(u"X"_s);
    for (QSpinBox* field : {m_width, m_height}) {
        field->setRange(2, 1600);
        field->setSingleStep(2);
        connect(field, &QSpinBox::valueChanged, this, &TVideoCodecPage::sizeTyped);
        if (m_editor.RaiseOddSizes)
            connect(field, &QSpinBox::editingFinished, this, [this, field] { raiseOdd(field); });
    }
    connect(m_sizes, &QComboBox::currentIndexChanged, this, &TVideoCodecPage::sizeChosen);
    connect(m_changeSize, &QRadioButton::toggled, this, &TVideoCodecPage::applySizeRule);

    auto* grid = new QGridLayout(group);
    grid->addWidget(m_keepSize, 0, 0, 1, 5);
    grid->addWidget(m_changeSize, 1, 0, 1, 5);
    grid->addWidget(m_dimensions, 2, 0, 1, 2);
    grid->addWidget(m_sizes, 2, 2, 1, 3);
    grid->addWidget(m_widthLabel, 3, 0, 1, 2);
    grid->addWidget(m_heightLabel, 3, 3, 1, 2);
    grid->addWidget(m_width, 4, 0, 1, 2);
    grid->addWidget(m_x, 4, 2, Qt::AlignCenter);
    grid->addWidget(m_height, 4, 3, 1, 2);
    grid->setRowStretch(5, 1);
    m_keepSize->setChecked(true);
}

void TVideoCodecPage::buildSizeRadios(QGroupBox* group)
{
    auto* column = new QVBoxLayout(group);
    for (const H263Size& size : H263Sizes) {
        auto* radio = Named<QRadioButton>(group, QString::fromUtf16(size.name));
        radio->setText(u"%1 x %2"_s.arg(size.width).arg(size.height));
        column->addWidget(radio);
        m_h263Sizes.append(radio);
    }
    column->addStretch();
    m_h263Sizes.last()->setChecked(true);
}

void TVideoCodecPage::ApplyTexts()
{
    m_header->setText(MsgFormat(MSG_FORMAT_PROPERTIES, Msg(m_page.Name)));
    m_bitrate->ApplyTexts();
    m_sizeGroup->setTitle(Msg(MSG_VIDEO_SIZE));
    if (m_sizes) {
        m_keepSize->setText(Msg(MSG_KEEP_SOURCE_DIM));
        m_changeSize->setText(Msg(MSG_CHANGE_DIM));
        m_dimensions->setText(Msg(MSG_VIDEO_DIM));
        m_widthLabel->setText(Msg(MSG_VWIDTH));
        m_heightLabel->setText(Msg(MSG_VHEIGHT));
        // The handheld list names its sizes in the current language.
        RefillList(m_sizes, SizeListEntries(m_editor.Sizes));
    }
    m_rateGroup->setTitle(Msg(MSG_FRAMETRATE));
    m_keepRate->setText(Msg(MSG_FRAMERATE_AUTO));
    m_changeRate->setText(Msg(MSG_CHANGE_FRAMERATE));
    m_aspectGroup->setTitle(Msg(MSG_ASPECT));
    m_aspects[0]->setText(Msg(MSG_ASPECT_AUTO));
    m_aspects[1]->setText(u"4:3"_s);
    m_aspects[2]->setText(u"16:9"_s);
}

void TVideoCodecPage::Load(const TEditorSettings& settings)
{
    m_bitrate->Load(settings.Flag(key(u"VideoBitRateUsePresert"_s)),
                    settings.Number(key(u"VideoBitRatePreset"_s)),
                    settings.Number(key(u"VideoBitRateSpecify"_s)), 2);
    const int width = settings.Number(key(u"VideoWidth"_s));
    const int height = settings.Number(key(u"VideoHeight"_s));
    if (m_sizes) {
        (settings.Flag(key(u"VideoSizeUseSource"_s)) ? m_keepSize : m_changeSize)->setChecked(true);
        m_width->setValue(width);
        m_height->setValue(height);
        sizeTyped();
    } else {
        for (int i = 0; i < m_h263Sizes.size(); ++i)
            if (H263Sizes[i].width == width && H263Sizes[i].height == height)
                m_h263Sizes[i]->setChecked(true);
    }
    (settings.Flag(key(u"VideoKeepFrameRate"_s)) ? m_keepRate : m_changeRate)->setChecked(true);
    ShowListPosition(m_rates, settings.Number(key(u"VideoFrameRate"_s)));
    const int aspect = settings.Number(key(u"VideoAspect"_s));
    if (aspect >= 0 && aspect < 3) m_aspects[aspect]->setChecked(true);
}

void TVideoCodecPage::Save(TEditorSettings& settings) const
{
    settings.SetFlag(key(u"VideoBitRateUsePresert"_s), m_bitrate->UsePreset());
    settings.SetNumber(key(u"VideoBitRatePreset"_s), m_bitrate->Preset());
    settings.SetNumber(key(u"VideoBitRateSpecify"_s), m_bitrate->Specified());
    if (m_sizes) {
        settings.SetFlag(key(u"VideoSizeUseSource"_s), m_keepSize->isChecked());
        settings.SetNumber(key(u"VideoWidth"_s), m_width->value());
        settings.SetNumber(key(u"VideoHeight"_s), m_height->value());
    } else {
        for (int i = 0; i < m_h263Sizes.size(); ++i)
            if (m_h263Sizes[i]->isChecked()) {
                settings.SetNumber(key(u"VideoWidth"_s), H263Sizes[i].width);
                settings.SetNumber(key(u"VideoHeight"_s), H263Sizes[i].height);
            }
    }
    settings.SetFlag(key(u"VideoKeepFrameRate"_s), m_keepRate->isChecked());
    SaveListPosition(m_rates, settings, key(u"VideoFrameRate"_s));
    for (int i = 0; i < 3; ++i)
        if (m_aspects[i]->isChecked()) settings.SetNumber(key(u"VideoAspect"_s), i);
}

void TVideoCodecPage::ApplyRules()
{
    m_bitrate->ApplyEnableRule();
    applySizeRule();
    m_rates->setEnabled(m_changeRate->isChecked());
}

void TVideoCodecPage::applySizeRule()
{
    if (!m_sizes) return;
    SetEnabled({m_width, m_height, m_widthLabel, m_heightLabel, m_x, m_dimensions, m_sizes},
               m_changeSize->isChecked());
}

void TVideoCodecPage::sizeChosen(int entry)
{
    int width = 0;
    int height = 0;
    if (m_syncingSize || !SizeOfEntry(m_sizes->itemText(entry), width, height)) return;
    m_syncingSize = true;
    m_width->setValue(width);
    m_height->setValue(height);
    m_syncingSize = false;
}

void TVideoCodecPage::sizeTyped()
{
    if (m_syncingSize) return;
    int match = m_sizes->count() - 1;
    for (int i = m_sizes->count() - 1; i >= 0; --i) {
        int width = 0;
        int height = 0;
        if (SizeOfEntry(m_sizes->itemText(i), width, height) && width == m_width->value() &&
            height == m_height->value())
            match = i;
    }
    m_syncingSize = true;
    m_sizes->setCurrentIndex(match);
    m_syncingSize = false;
}

void TVideoCodecPage::raiseOdd(QSpinBox* field)
{
    // A value typed but not yet taken counts as what the field shows.
    field->interpretText();
    if (field->value() % 2 != 0) field->setValue(field->value() + 1);
}

TAudioCodecPage::TAudioCodecPage(const TAudioPageConfig& page, QWidget* parent)
    : QWidget(parent), m_page(page)
{
    const QString& tag = page.Tag;
    setObjectName(u"TabSheet"_s + tag);
    m_header = Header(this, tag);

    m_channelGroup =
        ListGroup(this, u"GroupBoxChannels"_s + tag, u"ComboBoxAudioChannels"_s + tag, m_channels);

    m_rateGroup =
        ListGroup(this, u"GroupBoxSampleRate"_s + tag, u"ComboBoxSampleRate"_s + tag, m_rates);
    m_rates->addItems(page.SampleRates);
    m_rateStack = new QStackedWidget(this);
    m_rateStack->addWidget(m_rateGroup);
    if (page.Channels > 2) {
        // Six channels are always coded at 48000 Hz.
        auto* fixed = Named<QLabel>(this, u"LabelSampleRate"_s + tag + u"_6Channels"_s);
        fixed->setText(u"48000"_s);
        m_sixChannelGroup =
            GroupAround(this, u"GroupBoxSampleRate"_s + tag + u"_6Channels"_s, fixed);
        m_rateStack->addWidget(m_sixChannelGroup);
    }

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_header, 0, 0, 1, 2);
    grid->addWidget(m_channelGroup, 1, 0);
    grid->addWidget(m_rateStack, 1, 1);

    if (hasBitrate()) {
        m_bitrateGroup = NamedGroup(this, u"GroupBoxAudioBitrate"_s + tag);
        m_auto = Named<QCheckBox>(m_bitrateGroup, u"CheckBoxAutoSetAudioBitrate"_s + tag);
        m_current = Named<QLabel>(m_bitrateGroup, u"LabelCurrentAudioBitrate"_s + tag);
        m_value = Named<QLabel>(m_bitrateGroup, u"LabelAudioBitrate"_s + tag);
        m_kbps = Named<QLabel>(m_bitrateGroup, u"labKbps"_s + tag);
        m_low = Named<QLabel>(m_bitrateGroup, u"LabelAudioSmall"_s + tag);
        m_bar = new TLadderBar(page.Ladder, page.Maximum, m_bitrateGroup);
        m_bar->setObjectName(u"TrackBarAudioBitrate"_s + tag);
        m_high = Named<QLabel>(m_bitrateGroup, u"LabelAudioLarge"_s + tag);
        m_bar->SetValueLabel(m_value);
        m_value->setMinimumWidth(m_value->fontMetrics().horizontalAdvance(u"9999"_s));
        m_value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

        auto* bitrate = new QGridLayout(m_bitrateGroup);
        bitrate->addWidget(m_auto, 0, 0);
        auto* current = new QHBoxLayout;
        current->addStretch();
        current->addWidget(m_current);
        current->addWidget(m_value);
        current->addWidget(m_kbps);
        bitrate->addLayout(current, 0, 1);
        auto* bar = new QHBoxLayout;
        bar->addWidget(m_low);
        bar->addWidget(m_bar, 1);
        bar->addWidget(m_high);
        bitrate->addLayout(bar, 1, 0, 1, 2);
        grid->addWidget(m_bitrateGroup, 2, 0, 1, 2);

        connect(m_auto, &QCheckBox::toggled, this, &TAudioCodecPage::applyEnableRule);
        connect(m_rates, &QComboBox::currentIndexChanged, this, &TAudioCodecPage::applyRange);
        connect(m_channels, &QComboBox::currentIndexChanged, this, &TAudioCodecPage::applyRange);
    }
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    ApplyTexts();
}

void TAudioCodecPage::ApplyTexts()
{
    m_header->setText(MsgFormat(MSG_FORMAT_PROPERTIES, Msg(m_page.Name)));
    m_channelGroup->setTitle(Msg(MSG_ACHANNELS));
    const QStringList channels = {Msg(MSG_CHANNELS_1), Msg(MSG_CHANNELS_2), Msg(MSG_CHANNELS_6)};
    RefillList(m_channels, channels.mid(0, m_page.Channels));
    m_rateGroup->setTitle(Msg(MSG_SAMPLERATE));
    if (m_sixChannelGroup) m_sixChannelGroup->setTitle(Msg(MSG_SAMPLERATE));
    if (!hasBitrate()) return;
    m_bitrateGroup->setTitle(Msg(MSG_AUDIO_BITRATE));
    m_auto->setText(Msg(MSG_AUDIO_BITRATE_AUTO));
    m_current->setText(Msg(MSG_CURRNET_BITRATE));
    m_low->setText(Msg(MSG_LOW_Q));
    m_high->setText(Msg(MSG_HIGH_Q));
    m_kbps->setText(u"kbps"_s);
}

void TAudioCodecPage::Load(const TEditorSettings& settings)
{
    ShowListPosition(m_channels, settings.Number(key(u"AudioChannels"_s)));
    ShowListPosition(m_rates, settings.Number(key(u"AudioSampleRate"_s)));
    if (!hasBitrate()) return;
    m_auto->setChecked(settings.Flag(key(u"AudioBitRateUseAutoSet"_s)));
    m_bar->setRange(1, m_page.Maximum);
    m_bar->Load(settings.Number(key(u"AudioBitRatePreset"_s)), 4);
}

void TAudioCodecPage::Save(TEditorSettings& settings) const
{
    if (hasBitrate()) {
        settings.SetFlag(key(u"AudioBitRateUseAutoSet"_s), m_auto->isChecked());
        settings.SetNumber(key(u"AudioBitRatePreset"_s), m_bar->Kbps());
    }
    SaveListPosition(m_rates, settings, key(u"AudioSampleRate"_s));
    SaveListPosition(m_channels, settings, key(u"AudioChannels"_s));
}

void TAudioCodecPage::ApplyRules()
{
    if (!hasBitrate()) return;
    applyEnableRule();
    applyRange();
}

bool TAudioCodecPage::sixChannels() const
{
    return m_sixChannelGroup && m_channels->currentIndex() == 2;
}

void TAudioCodecPage::applyRange()
{
    if (m_sixChannelGroup)
        m_rateStack->setCurrentWidget(sixChannels() ? m_sixChannelGroup : m_rateGroup);
    TRange range;
    if (sixChannels()) {
        range = m_page.SixChannels;
    } else {
        const int rate = m_rates->currentIndex();
        if (rate < 0 || rate >= m_page.Ranges.size()) return;
        range = m_page.Ranges[rate];
    }
    // The slider moves a position outside the range to its nearer end.
    m_bar->setRange(range.Min, range.Max);
}

void TAudioCodecPage::applyEnableRule()
{
    SetEnabled({m_bar, m_current, m_value, m_low, m_high, m_kbps}, !m_auto->isChecked());
}
