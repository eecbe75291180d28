#include "windows/ProfileEditor.h"

#include "windows/CodecPages.h"
#include "windows/EditorWidgets.h"
#include "windows/WindowFunctions.h"

#include "base/TimeText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// Times above 200 hours are refused.
constexpr qint64 LongestTimeMs = 720000000;

qint64 FieldMs(const QLineEdit* field) { return TimeTextToMs(field->text()); }

}  // namespace

void RefillList(QComboBox* list, std::initializer_list<MsgKey> texts)
{
    QStringList entries;
    for (MsgKey text : texts)
        entries.append(Msg(text));
    RefillList(list, entries);
}

void RefillList(QComboBox* list, const QList<TCodecEntry>& entries)
{
    QStringList texts;
    for (const TCodecEntry& entry : entries)
        texts.append(Msg(entry.Text));
    RefillList(list, texts);
}

TProfileEditor::TProfileEditor(int format, QWidget* parent)
    : QDialog(parent), m_config(EditorConfigOf(format)), m_settings(format)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    m_descriptionLabel = Named<QLabel>(this, u"labDescription"_s);
    m_description = Named<QLineEdit>(this, u"EditDescription"_s);
    m_descriptionLabel->setBuddy(m_description);

    m_pages = Named<QTabWidget>(this, u"PageControlOptions"_s);
    m_general = Named<QWidget>(m_pages, u"TabSheetGeneral"_s);
    m_generalGrid = new QGridLayout(m_general);
    m_generalGrid->setColumnStretch(0, 3);
    m_generalGrid->setColumnStretch(1, 2);
    m_generalGrid->setRowStretch(RowAudioCodec + 1, 1);
    m_pages->addTab(m_general, QString());
    buildTimeControl(m_general);

    if (m_config.HasVideo()) {
        m_videoTab = Named<QWidget>(m_pages, u"TabSheetVideo"_s);
        m_videoStack = Named<QStackedWidget>(m_videoTab, u"PageControlVCodec"_s);
        for (const TVideoPageConfig& page : m_config.VideoPages) {
            m_videoPages.append(new TVideoCodecPage(page, m_config, m_videoStack));
            m_videoStack->addWidget(m_videoPages.last());
        }
        (new QVBoxLayout(m_videoTab))->addWidget(m_videoStack);
        m_pages->addTab(m_videoTab, QString());
    }
    m_audioTab = Named<QWidget>(m_pages, u"TabSheetAudio"_s);
    m_audioStack = Named<QStackedWidget>(m_audioTab, u"PageControlACodec"_s);
    for (const TAudioPageConfig& page : m_config.AudioPages) {
        m_audioPages.append(new TAudioCodecPage(page, m_audioStack));
        m_audioStack->addWidget(m_audioPages.last());
    }
    (new QVBoxLayout(m_audioTab))->addWidget(m_audioStack);
    m_pages->addTab(m_audioTab, QString());
    buildCodecChoice();

    m_saveButton = Named<QPushButton>(this, u"btnSave"_s);
    m_closeButton = Named<QPushButton>(this, u"btnClose"_s);
    m_saveButton->setDefault(true);
    connect(m_saveButton, &QPushButton::clicked, this, &TProfileEditor::save);
    connect(m_closeButton, &QPushButton::clicked, this, &TProfileEditor::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(m_descriptionLabel);
    top->addWidget(m_description, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_saveButton);
    buttons->addWidget(m_closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_pages, 1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    applyFrameTexts();
}

void TProfileEditor::buildTimeControl(QWidget* general)
{
    m_timeGroup = NamedGroup(general, u"GroupBoxTimeControl"_s);
    m_enableTime = Named<QCheckBox>(m_timeGroup, u"CheckBoxEnableTimeControl"_s);
    m_startLabel = Named<QLabel>(m_timeGroup, u"LabelStartTime"_s);
    m_start = Named<QLineEdit>(m_timeGroup, u"EditStartTime"_s);
    m_endLabel = Named<QLabel>(m_timeGroup, u"LabelEndTime"_s);
    m_end = Named<QLineEdit>(m_timeGroup, u"EditEndTime"_s);
    m_durationLabel = Named<QLabel>(m_timeGroup, u"LabelDuration"_s);
    m_duration = Named<QLineEdit>(m_timeGroup, u"EditDuration"_s);
    m_timeHint = Named<QLabel>(m_timeGroup, u"LabelTimeLabel"_s);
    m_timeHint->setEnabled(false);

    auto* grid = new QGridLayout(m_timeGroup);
    grid->addWidget(m_enableTime, 0, 0, 1, 3);
    const std::pair<QLabel*, QLineEdit*> fields[] = {
        {m_startLabel, m_start}, {m_endLabel, m_end}, {m_durationLabel, m_duration}};
    int column = 0;
    for (auto [label, field] : fields) {
        label->setBuddy(field);
        field->setMinimumWidth(field->fontMetrics().horizontalAdvance(u"000:00:00.000"_s) + 12);
        grid->addWidget(label, 1, column);
        grid->addWidget(field, 2, column);
        ++column;
        new TFocusWatch(
            field,
            [this, field] {
                if (field == m_start)
                    leaveStart();
                else if (field == m_end)
                    leaveEnd();
                else
                    leaveDuration();
            },
            [this, field] { m_remembered[field] = field->text(); });
    }
    grid->addWidget(m_timeHint, 3, 0, 1, 3);
    connect(m_enableTime, &QCheckBox::toggled, this, &TProfileEditor::applyTimeRule);
    placeOnGeneral(m_timeGroup, RowTime, 0, 2);
}

void TProfileEditor::buildCodecChoice()
{
    if (!m_config.VideoCodecs.isEmpty()) {
        m_videoCodecGroup =
            ListGroup(m_general, u"GroupBoxVideoCode"_s, u"ComboBoxVideoCodec"_s, m_videoCodec);
        placeOnGeneral(m_videoCodecGroup, RowVideoCodec);
        followCodecList(m_videoCodec);
    }
    if (!m_config.AudioCodecs.isEmpty()) {
        m_audioCodecGroup =
            ListGroup(m_general, u"GroupBoxAudioCodec"_s, u"ComboBoxAudioCodec"_s, m_audioCodec);
        placeOnGeneral(m_audioCodecGroup, RowAudioCodec);
        followCodecList(m_audioCodec);
    }
    if (!m_config.HasVideo()) return;
    m_sameQuality = Named<QCheckBox>(this, u"CheckBoxSameQuality"_s);
    m_sameQualityGroup = GroupAround(m_general, u"GroupBoxSameQuality"_s, m_sameQuality);
    placeOnGeneral(m_sameQualityGroup, RowVideoCodec, 1);
    m_disableAudio = Named<QCheckBox>(this, u"CheckBoxDisableAudio"_s);
    m_disableAudioGroup = GroupAround(m_general, u"GroupBoxDisableAudio"_s, m_disableAudio);
    placeOnGeneral(m_disableAudioGroup, RowAudioCodec, 1);
    connect(m_disableAudio, &QCheckBox::toggled, this, [this] { applyAudioRule(); });
}

void TProfileEditor::placeOnGeneral(QWidget* widget, GeneralRow row, int column, int columns)
{
    m_generalGrid->addWidget(widget, row, column, 1, columns);
}

void TProfileEditor::followCodecList(QComboBox* list)
{
    connect(list, &QComboBox::currentIndexChanged, this, [this, list] {
        if (!m_loading) codecChosen(list);
        applyPageChoice();
    });
}

void TProfileEditor::ApplyTexts()
{
    applyFrameTexts();
    applyOwnTexts();
}

void TProfileEditor::applyFrameTexts()
{
    setWindowTitle(MsgFormat(MSG_PROFILE_EDITOR, Msg(m_config.Name)));
    m_descriptionLabel->setText(Msg(MSG_DESCIPTION));
    m_pages->setTabText(m_pages->indexOf(m_general), Msg(MSG_PROFILE_GENERAL));
    if (m_videoTab) m_pages->setTabText(m_pages->indexOf(m_videoTab), Msg(MSG_VIDEO_PAGE));
    m_pages->setTabText(m_pages->indexOf(m_audioTab), Msg(MSG_AUDIO_PAGE));
    m_timeGroup->setTitle(Msg(MSG_TIME_CONTROL));
    m_enableTime->setText(Msg(MSG_ENABLE_TIME_CONTROL));
    m_startLabel->setText(Msg(MSG_START_TIME));
    m_endLabel->setText(Msg(MSG_END_TIME));
    m_durationLabel->setText(Msg(MSG_DURATION));
    m_timeHint->setText(Msg(MSG_HH_MN));
    if (m_videoCodec) {
        m_videoCodecGroup->setTitle(Msg(MSG_VIDEO_CODEC));
        RefillList(m_videoCodec, m_config.VideoCodecs);
    }
    if (m_audioCodec) {
        m_audioCodecGroup->setTitle(Msg(MSG_AUDIO_CODEC));
        RefillList(m_audioCodec, m_config.AudioCodecs);
    }
    if (m_sameQuality) {
        m_sameQualityGroup->setTitle(Msg(MSG_SAME_Q));
        m_sameQuality->setText(Msg(MSG_SAME_Q_DETAIL));
        m_disableAudioGroup->setTitle(Msg(MSG_DISABLE_AUDIO));
        m_disableAudio->setText(Msg(MSG_DISABLE_AUDIO_DETAIL));
    }
    for (TVideoCodecPage* page : m_videoPages)
        page->ApplyTexts();
    for (TAudioCodecPage* page : m_audioPages)
        page->ApplyTexts();
    m_saveButton->setText(Msg(MSG_SAVE));
    m_closeButton->setText(Msg(MSG_CLOSE));
}

void TProfileEditor::LoadFromSettings()
{
    m_loading = true;
    const TEditorSettings& s = m_settings;
    m_description->setText(s.Text(u"Description"_s));
    m_description->setCursorPosition(0);  // a long description shows its start
    m_enableTime->setChecked(s.Flag(u"EnableTimeControl"_s));
    m_start->setText(s.Text(u"StartTime"_s));
    m_duration->setText(s.Text(u"Duration"_s));
    m_end->setText(MsToTimeText(std::max<qint64>(0, FieldMs(m_start)) +
                                std::max<qint64>(0, FieldMs(m_duration))));
    for (QLineEdit* field : {m_start, m_end, m_duration})
        m_remembered[field] = field->text();
    if (m_videoCodec) ShowListPosition(m_videoCodec, s.Number(u"VideoCodec"_s));
    if (m_audioCodec) ShowListPosition(m_audioCodec, s.Number(u"AudioCodec"_s));
    if (m_sameQuality) {
        m_sameQuality->setChecked(s.Flag(u"VideoSameQuality"_s));
        m_disableAudio->setChecked(s.Flag(u"AudioDisableAudio"_s));
    }
    for (TVideoCodecPage* page : m_videoPages)
        page->Load(s);
    for (TAudioCodecPage* page : m_audioPages)
        page->Load(s);
    loadOwn(s);
    m_loading = false;
}

void TProfileEditor::SaveToSettings()
{
    TEditorSettings& s = m_settings;
    // A pasted line break would end the profile file's line early.
    static const QRegularExpression lineBreaks(u"[\r\n]+"_s);
    s.SetText(u"Description"_s, m_description->text().replace(lineBreaks, u" "_s));
    s.SetFlag(u"EnableTimeControl"_s, m_enableTime->isChecked());
    s.SetText(u"StartTime"_s, m_start->text());
    s.SetText(u"Duration"_s, m_duration->text());
    if (m_videoCodec) SaveListPosition(m_videoCodec, s, u"VideoCodec"_s);
    if (m_audioCodec) SaveListPosition(m_audioCodec, s, u"AudioCodec"_s);
    if (m_sameQuality) {
        s.SetFlag(u"VideoSameQuality"_s, m_sameQuality->isChecked());
        s.SetFlag(u"AudioDisableAudio"_s, m_disableAudio->isChecked());
    }
    for (TVideoCodecPage* page : m_videoPages)
        page->Save(s);
    for (TAudioCodecPage* page : m_audioPages)
        page->Save(s);
    saveOwn(s);
}

void TProfileEditor::showEvent(QShowEvent* event)
{
    if (!m_tabOrdered) orderGeneralTabs();
    applyRules();
    m_pages->setCurrentWidget(m_general);
    QDialog::showEvent(event);
}

void TProfileEditor::orderGeneralTabs()
{
    // Editors add their own groups after the shared ones; Tab goes down the
    // page as it is laid out, row by row, left to right.
    m_tabOrdered = true;
    QList<QWidget*> order;
    for (QWidget* w : m_general->findChildren<QWidget*>())
        // A list's drop-down is a window of its own and takes no place here.
        if ((w->focusPolicy() & Qt::TabFocus) && !w->focusProxy() && w->window() == this)
            order.append(w);
    auto place = [this](const QWidget* w) { return w->mapTo(m_general, QPoint(0, 0)); };
    std::stable_sort(order.begin(), order.end(), [&](const QWidget* a, const QWidget* b) {
        const QPoint pa = place(a);
        const QPoint pb = place(b);
        return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
    });
    QWidget* previous = m_description;
    for (QWidget* w : order) {
        setTabOrder(previous, w);
        previous = w;
    }
}

void TProfileEditor::applyRules()
{
    for (TVideoCodecPage* page : m_videoPages)
        page->ApplyRules();
    for (TAudioCodecPage* page : m_audioPages)
        page->ApplyRules();
    applyTimeRule();
    applyPageChoice();
    applyAudioRule();
}

void TProfileEditor::applyTimeRule()
{
    const bool on = m_enableTime->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{m_timeHint, m_startLabel, m_durationLabel,
                                                      m_start, m_duration, m_endLabel, m_end})
        w->setEnabled(on);
}

int TProfileEditor::chosenVideoPage() const
{
    const int entry = m_videoCodec ? m_videoCodec->currentIndex() : -1;
    return entry >= 0 ? m_config.VideoCodecs[entry].Page : -1;
}

int TProfileEditor::chosenAudioPage() const
{
    const int entry = m_audioCodec ? m_audioCodec->currentIndex() : -1;
    return entry >= 0 ? m_config.AudioCodecs[entry].Page : -1;
}

void TProfileEditor::applyPageChoice()
{
    if (m_videoStack && chosenVideoPage() >= 0) m_videoStack->setCurrentIndex(chosenVideoPage());
    if (chosenAudioPage() >= 0) m_audioStack->setCurrentIndex(chosenAudioPage());
}

void TProfileEditor::applyAudioRule()
{
    if (!m_disableAudio) return;
    const bool on = !m_disableAudio->isChecked();
    if (m_audioCodecGroup) m_audioCodecGroup->setEnabled(on);
    if (m_audioCodec) m_audioCodec->setEnabled(on);
    setTabShown(m_audioTab, on);
}

void TProfileEditor::setTabShown(QWidget* tab, bool shown)
{
    m_pages->setTabVisible(m_pages->indexOf(tab), shown);
}

void TProfileEditor::save()
{
    // The field being edited takes its leave rule before the values are read.
    QWidget* edited = focusWidget();
    m_saveButton->setFocus(Qt::OtherFocusReason);
    if (edited && edited != m_saveButton && !isActiveWindow()) {
        QFocusEvent left(QEvent::FocusOut, Qt::OtherFocusReason);
        QCoreApplication::sendEvent(edited, &left);
    }
    accept();
}

void TProfileEditor::leaveStart()
{
    const qint64 start = FieldMs(m_start);
    if (start < 0 || start > LongestTimeMs) {
        m_start->setText(m_remembered.value(m_start));
        return;
    }
    m_start->setText(MsToTimeText(start));
    if (!(start < FieldMs(m_end))) m_end->setText(m_start->text());
    m_duration->setText(MsToTimeText(FieldMs(m_end) - start));
}

void TProfileEditor::leaveEnd()
{
    const qint64 end = FieldMs(m_end);
    if (end < 0 || end < FieldMs(m_start) || end > LongestTimeMs) {
        m_end->setText(m_remembered.value(m_end));
        return;
    }
    m_end->setText(MsToTimeText(end));
    m_duration->setText(MsToTimeText(end - FieldMs(m_start)));
}

void TProfileEditor::leaveDuration()
{
    const qint64 duration = FieldMs(m_duration);
    if (duration < 0 || duration > LongestTimeMs) {
        m_duration->setText(m_remembered.value(m_duration));
        return;
    }
    m_duration->setText(MsToTimeText(duration));
    m_end->setText(MsToTimeText(FieldMs(m_start) + duration));
}
