#include "windows/EditorWidgets.h"

#include "windows/EnterValue.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TLadderBar::TLadderBar(TLadder ladder, int maximum, QWidget* parent)
    : QSlider(Qt::Horizontal, parent), m_ladder(ladder)
{
    setRange(1, maximum);
    setPageStep(1);
    setTickPosition(QSlider::TicksBelow);
    setTickInterval(1);
    connect(this, &QSlider::valueChanged, this, [this] {
        m_kept.reset();
        showValue();
    });
}

void TLadderBar::SetValueLabel(QLabel* label)
{
    m_valueLabel = label;
    showValue();
}

void TLadderBar::Load(qint32 stored, int fallback)
{
    std::optional<int> position;
    for (int p = 1; p <= int(m_ladder.size()); ++p)
        if (m_ladder[p - 1] == stored) position = p;
    setValue(std::min(position.value_or(fallback), maximum()));
    if (!position) m_kept = stored;
    showValue();
}

qint32 TLadderBar::Kbps() const
{
    if (m_kept) return *m_kept;
    return m_ladder[std::clamp(value(), 1, int(m_ladder.size())) - 1];
}

void TLadderBar::showValue()
{
    if (m_valueLabel) m_valueLabel->setText(BitrateText(Kbps()));
}

TFocusWatch::TFocusWatch(QWidget* widget, std::function<void()> left, std::function<void()> entered)
    : QObject(widget), m_left(std::move(left)), m_entered(std::move(entered))
{
    widget->installEventFilter(this);
}

bool TFocusWatch::eventFilter(QObject*, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && m_left) m_left();
    if (event->type() == QEvent::FocusIn && m_entered) m_entered();
    return false;
}

QGroupBox* NamedGroup(QWidget* parent, const QString& name)
{
    return Named<QGroupBox>(parent, name);
}

QGroupBox* GroupAround(QWidget* parent, const QString& name, QWidget* content)
{
    QGroupBox* group = NamedGroup(parent, name);
    content->setParent(group);
    (new QVBoxLayout(group))->addWidget(content);
    return group;
}

QGroupBox* ListGroup(QWidget* parent, const QString& name, const QString& listName,
                     QComboBox*& list)
{
    list = Named<QComboBox>(parent, listName);
    return GroupAround(parent, name, list);
}

TVideoBitrateGroup::TVideoBitrateGroup(const QString& tag, TLadder ladder, int maximum,
                                       QWidget* parent)
    : QGroupBox(parent)
{
    // The DVD page spells its names with the prefix before the stem.
    const bool dvd = tag.isEmpty();
    auto name = [&](const QString& stem, const QString& dvdName) {
        return dvd ? dvdName : stem + tag;
    };
    setObjectName(name(u"GroupBoxVideoBitrate"_s, u"GroupBoxDVDVideoBitrate"_s));
    m_preset = Named<QRadioButton>(
        this, name(u"RadioButtonVideoPresert"_s, u"RadioButtonDVDVideoPresert"_s));
    m_current = Named<QLabel>(this, name(u"LabelCurrentBitrate"_s, u"LabelDVDCurrentBitrate"_s));
    m_value = Named<QLabel>(this, name(u"LabelBitrate"_s, u"LabelDVDBitrate"_s));
    m_kbps2 = Named<QLabel>(this, name(u"LabelKbps2"_s, u"LabelDVDKbps2"_s));
    m_low = Named<QLabel>(this, name(u"LabelLow"_s, u"LabelDVDLow"_s));
    m_bar = new TLadderBar(ladder, maximum, this);
    m_bar->setObjectName(name(u"TrackBarVideoBitrate"_s, u"TrackBarDVDVideoBitrate"_s));
    m_high = Named<QLabel>(this, name(u"LabelHigh"_s, u"LabelDVDHigh"_s));
    m_specify = Named<QRadioButton>(
        this, name(u"RadioButtonVideoSpecify"_s, u"RadioButtonDVDVideoSpecify"_s));
    m_specified = Named<QLabel>(this, name(u"LabelBitrateSpecify"_s, u"LabelDVDBitrateSpecify"_s));
    m_kbps = Named<QLabel>(this, name(u"LabelKbps"_s, u"LabelDVDKbps"_s));
    m_configure = Named<QPushButton>(
        this, name(u"ButtonVideoBitrateConfigure"_s, u"ButtonDVDVideoBitrateConfigure"_s));
    m_bar->SetValueLabel(m_value);
    m_value->setMinimumWidth(m_value->fontMetrics().horizontalAdvance(u"99999"_s));
    m_specified->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_specified->setMinimumWidth(m_value->minimumWidth());
    m_specified->setText(u"0"_s);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_preset, 0, 0, 1, 2);
    auto* current = new QHBoxLayout;
    current->addStretch();
    current->addWidget(m_current);
    current->addWidget(m_value);
    current->addWidget(m_kbps2);
    grid->addLayout(current, 0, 2);
    auto* bar = new QHBoxLayout;
    bar->addWidget(m_low);
    bar->addWidget(m_bar, 1);
    bar->addWidget(m_high);
    grid->addLayout(bar, 1, 1, 1, 2);
    grid->addWidget(m_specify, 2, 0, 1, 2);
    auto* specified = new QHBoxLayout;
    specified->addStretch();
    specified->addWidget(m_specified);
    specified->addWidget(m_kbps);
    specified->addWidget(m_configure);
    grid->addLayout(specified, 2, 2);
    grid->setColumnMinimumWidth(0, 16);
    grid->setColumnStretch(2, 1);

    connect(m_preset, &QRadioButton::toggled, this, &TVideoBitrateGroup::ApplyEnableRule);
    connect(m_configure, &QPushButton::clicked, this, &TVideoBitrateGroup::configure);
    m_preset->setChecked(true);
}

void TVideoBitrateGroup::ApplyTexts()
{
    setTitle(Msg(MSG_VIDEO_BITRATE));
    m_preset->setText(Msg(MSG_PRESET_QUALITY));
    m_current->setText(Msg(MSG_CURRNET_BITRATE));
    m_low->setText(Msg(MSG_LOW_Q));
    m_high->setText(Msg(MSG_HIGH_Q));
    m_specify->setText(Msg(MSG_SPECIFY_SETTINGS));
    m_configure->setText(Msg(MSG_CONFIGURE));
    for (QLabel* kbps : {m_kbps, m_kbps2})
        kbps->setText(u"kbps"_s);
}

void TVideoBitrateGroup::Load(bool usePreset, qint32 preset, qint32 specified, int fallback)
{
    (usePreset ? m_preset : m_specify)->setChecked(true);
    m_bar->Load(preset, fallback);
    m_specified->setText(QString::number(specified));
}

bool TVideoBitrateGroup::UsePreset() const { return m_preset->isChecked(); }

qint32 TVideoBitrateGroup::Specified() const { return m_specified->text().toInt(); }

void TVideoBitrateGroup::ApplyEnableRule()
{
    const bool preset = m_preset->isChecked();
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_bar, m_current, m_value, m_low, m_high, m_kbps2})
        w->setEnabled(preset);
    for (QWidget* w : std::initializer_list<QWidget*>{m_specified, m_kbps, m_configure})
        w->setEnabled(!preset);
}

void TVideoBitrateGroup::configure()
{
    const TLadder ladder = m_bar->Ladder();
    const qint32 value =
        EnterValue(window(), Msg(MSG_ENTER_VIDEOBITRATE_TITLE), Msg(MSG_ENTER_VIDEOBITRATE),
                   Specified(), ladder.back(), ladder.front());
    m_specified->setText(QString::number(value));
}
