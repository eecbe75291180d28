#include "windows/FactsPanel.h"

#include "engine/MediaInfoDll.h"
#include "localisation/MessageTable.h"

#include <QLabel>
#include <QLineEdit>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

using namespace Qt::StringLiterals;

namespace {

// The box of each fact, in the order of the facts.
constexpr int FactBoxes[16] = {1, 3, 5, 2, 4, 6, 7, 9, 11, 8, 10, 12, 13, 15, 14, 16};

// The label left of a box: the labels run beside the boxes, skipping the
// video and audio headings.
int LabelOfBox(int box) { return box + 7 + (box > 6) + (box > 12); }

// The group headings.
const std::pair<int, MsgKey> Headings[] = {{7, MSG_GENERAL}, {14, MSG_VIDEO}, {21, MSG_AUDIO}};

// Where the labels and boxes lie unless the skin says otherwise.
constexpr QPoint LabelPlaces[20] = {{16, 8},   {24, 24},   {368, 24}, {24, 40},   {368, 40},
                                    {24, 56},  {368, 56},  {16, 80},  {24, 96},   {368, 96},
                                    {24, 112}, {368, 112}, {24, 128}, {368, 128}, {16, 152},
                                    {24, 168}, {368, 168}, {24, 184}, {368, 184}, {584, 216}};
constexpr int BoxTops[8] = {24, 40, 56, 96, 112, 128, 168, 184};
constexpr int OddBoxWidth = 240;
constexpr int EvenBoxWidth = 200;
constexpr int BoxHeight = 16;

}  // namespace

TFactsPanel::TFactsPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(u"ScrollBox"_s);
    setFrameShape(QFrame::StyledPanel);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(u"FactsScroll"_s);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(true);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_sheet = new QWidget;
    m_sheet->setObjectName(u"FactsSheet"_s);
    m_sheet->setAutoFillBackground(false);
    m_scroll->setWidget(m_sheet);
    for (int n = 7; n <= 26; ++n) {
        auto* label = new QLabel(m_sheet);
        label->setObjectName(u"Label%1"_s.arg(n));
        label->move(LabelPlaces[n - 7]);
        m_labels[n - 7] = label;
    }
    for (const auto& [label, key] : Headings) {
        QFont bold = Label(label)->font();
        bold.setBold(true);
        Label(label)->setFont(bold);
    }
    QLabel* more = Label(26);
    more->setTextFormat(Qt::RichText);
    more->setCursor(Qt::PointingHandCursor);
    connect(more, &QLabel::linkActivated, this, &TFactsPanel::MoreInformation);
    for (int n = 1; n <= 16; ++n) {
        auto* box = new QLineEdit(m_sheet);
        box->setObjectName(u"EditBox%1"_s.arg(n));
        box->setReadOnly(true);
        box->setFrame(false);
        const bool odd = n % 2 == 1;
        box->setGeometry(odd ? 112 : 500, BoxTops[(n - 1) / 2], odd ? OddBoxWidth : EvenBoxWidth,
                         BoxHeight);
        m_boxes[n - 1] = box;
    }
    ApplyTexts(palette().color(QPalette::Link));
    ShowFacts(nullptr);
}

void TFactsPanel::ShowFacts(const TFileItem* facts)
{
    for (std::size_t i = 0; i < FileFacts.size(); ++i) {
        QLineEdit* box = EditBox(FactBoxes[i]);
        const QString text = facts ? facts->*FileFacts[i].Field : Msg(MSG_EMPTY_STR);
        box->setToolTip(text);
        showFitting(box);
    }
}

void TFactsPanel::showFitting(QLineEdit* box)
{
    // A fact wider than its box loses its middle to an ellipsis rather than
    // its end to the edge; the tool tip holds it whole.
    box->ensurePolished();
    const QString text = box->toolTip();
    const int room = box->width() - 2 * box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) - 4;
    box->setText(box->fontMetrics().elidedText(text, Qt::ElideMiddle, qMax(0, room)));
    box->setCursorPosition(0);
}

void TFactsPanel::ApplyTexts(const QColor& linkColour)
{
    for (std::size_t i = 0; i < FileFacts.size(); ++i)
        Label(LabelOfBox(FactBoxes[i]))->setText(Msg(FileFacts[i].Label));
    for (const auto& [label, key] : Headings)
        Label(label)->setText(Msg(key));
    // Rich-text links take no colour from style sheets.
    Label(26)->setText(u"<a href=\"#more\" style=\"color:%1\">%2</a>"_s.arg(
        linkColour.name(), Msg(MSG_MOREINFO).toHtmlEscaped()));
    for (QLabel* label : m_labels)
        label->adjustSize();
    fitSheet();
}

void TFactsPanel::FitBoxes()
{
    constexpr int Gap = 10;
    for (int n = 1; n <= 16; ++n) {
        QLineEdit* box = EditBox(n);
        const int right = n % 2 == 1 ? Label(LabelOfBox(n + 1))->x() : width() - 2;
        box->resize(qMax(40, right - Gap - box->x()), box->height());
        showFitting(box);
    }
    fitSheet();
}

int TFactsPanel::ContentHeight() const { return m_sheet->minimumHeight() + 2; }

void TFactsPanel::fitSheet()
{
    // The skin places the labels and boxes; the sheet is as tall as they need.
    m_sheet->setMinimumHeight(m_sheet->childrenRect().bottom() + 6);
}

void TFactsPanel::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    // Inside the panel's one-pixel border.
    m_scroll->setGeometry(rect().adjusted(1, 1, -1, -1));
}
