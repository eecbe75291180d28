#include "windows/SkinButton.h"

#include <QAction>
#include <QEnterEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QPen>
#include <QStyle>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal MinCaptionPoints = 6.5;

// A caption as the actions give it: leading line breaks ask for the text
// under the picture; '&' marks a mnemonic, "&&" stands for itself.
struct Caption {
    QString text;
    int breaks = 0;
};

Caption splitCaption(const QString& raw)
{
    Caption caption;
    qsizetype i = 0;
    while (i < raw.size() && (raw[i] == u'\r' || raw[i] == u'\n')) {
        if (raw[i] == u'\r' && i + 1 < raw.size() && raw[i + 1] == u'\n') ++i;
        ++caption.breaks;
        ++i;
    }
    QString text = raw.mid(i);
    text.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
    for (qsizetype k = 0; k < text.size(); ++k)
        if (text[k] == u'&') text.remove(k, 1);  // the next character stays, even a second '&'
    caption.text = text;
    return caption;
}

QFont smallerFont(QFont font, qreal factor)
{
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else if (font.pixelSize() > 0)
        font.setPixelSize(qMax(1, qRound(font.pixelSize() * factor)));
    return font;
}

// The font, shrunk step by step down to a legible minimum, at which the text
// fits the area.
QFont fittingFont(QFont font, const QRect& area, int flags, const QString& text)
{
    for (;;) {
        const QRect need = QFontMetrics(font).boundingRect(area, flags, text);
        if (need.width() <= area.width() && need.height() <= area.height()) return font;
        const qreal points =
            font.pointSizeF() > 0 ? font.pointSizeF() : QFontInfo(font).pointSizeF();
        if (points - 0.5 < MinCaptionPoints) return font;
        font.setPointSizeF(points - 0.5);
    }
}

}  // namespace

TSkinButton::TSkinButton(QWidget* parent) : QAbstractButton(parent)
{
    // Reached by Tab only, so a mouse click leaves no focus ring behind.
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
}

TSkinButton::~TSkinButton() = default;

void TSkinButton::SetPictures(const TSkinButtonPictures& pictures)
{
    m_pictures = {TSkinPicture(pictures.Normal), TSkinPicture(pictures.MouseOn),
                  TSkinPicture(pictures.MouseDown), TSkinPicture(pictures.Disable)};
    update();
}

TSkinButtonPictures TSkinButton::Pictures() const
{
    return {m_pictures[0].File(), m_pictures[1].File(), m_pictures[2].File(), m_pictures[3].File()};
}

void TSkinButton::SetCaptionShown(bool shown)
{
    m_captionShown = shown;
    update();
}

void TSkinButton::SetMarksCurrent(bool marks)
{
    if (m_marksCurrent == marks) return;
    m_marksCurrent = marks;
    // The style sheet picks its colours by this property.
    style()->unpolish(this);
    style()->polish(this);
    update();
}

void TSkinButton::BindAction(QAction* action)
{
    disconnect(m_actionChanged);
    disconnect(m_clickTriggers);
    m_action = action;
    if (!action) return;
    m_actionChanged = connect(action, &QAction::changed, this, &TSkinButton::syncFromAction);
    m_clickTriggers = connect(this, &QAbstractButton::clicked, action, &QAction::trigger);
    m_actionVisible = action->isVisible();
    setVisible(m_actionVisible);
    syncFromAction();
}

void TSkinButton::syncFromAction()
{
    if (!m_action) return;
    setText(m_action->text());
    setToolTip(m_action->toolTip().trimmed());
    setAccessibleName(splitCaption(m_action->text()).text.trimmed());
    setEnabled(m_action->isEnabled());
    if (m_action->isVisible() != m_actionVisible) {
        m_actionVisible = m_action->isVisible();
        setVisible(m_actionVisible);
    }
    update();
}

TSkinButton::State TSkinButton::CurrentState() const
{
    if (!isEnabled()) return State::Disable;
    if (isDown()) return State::MouseDown;
    if (underMouse() || testAttribute(Qt::WA_UnderMouse)) return State::MouseOn;
    return State::Normal;
}

QSize TSkinButton::sizeHint() const
{
    const QSize natural = m_pictures[0].NaturalSize();
    return natural.isEmpty() ? QSize(24, 24) : natural;
}

void TSkinButton::enterEvent(QEnterEvent* event)
{
    QAbstractButton::enterEvent(event);
    update();
}

void TSkinButton::leaveEvent(QEvent* event)
{
    QAbstractButton::leaveEvent(event);
    update();
}

void TSkinButton::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->modifiers()) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void TSkinButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const State state = CurrentState();
    m_pictures[int(state)].Paint(painter, rect());
    if (m_captionShown) paintCaption(painter, state);
    if (hasFocus()) {
        const QColor ring =
            m_focusColor.isValid() ? m_focusColor : palette().color(QPalette::Highlight);
        painter.setPen(QPen(ring, 1.5, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5), 3, 3);
    }
}

TSkinButton::CaptionLayout TSkinButton::layCaption(State state) const
{
    const Caption caption = splitCaption(text());
    CaptionLayout laid;
    // Blanks that once made room for a picture's icon would only pull the
    // caption off centre.
    laid.text = caption.text.trimmed();
    if (laid.text.isEmpty()) return laid;
    const QString whole = laid.text;

    QFont font = this->font();
    if (caption.breaks > 0) {
        // Under the picture: a smaller font, wrapped within the band the line
        // breaks leave below the picture's area, but always room for two lines.
        font = smallerFont(font, 0.9);
        const int line = QFontMetrics(font).lineSpacing();
        const int top = std::clamp(caption.breaks * line, 0, qMax(0, height() - 2 * line));
        laid.area = QRect(2, top, width() - 4, height() - top);
        // The dots of a menu caption say "a dialog follows"; under a
        // picture they only take room.
        if (laid.text.endsWith(u"..."_s)) laid.text.chop(3);
        laid.flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;
        // The longest word decides first: shrinking for it keeps words whole.
        const QStringList words = laid.text.split(u' ', Qt::SkipEmptyParts);
        const QString longest = *std::max_element(
            words.begin(), words.end(),
            [](const QString& a, const QString& b) { return a.size() < b.size(); });
        font = fittingFont(font, laid.area, Qt::AlignHCenter | Qt::TextSingleLine, longest);
        font = fittingFont(font, laid.area, laid.flags, laid.text);
        // A word wider than the button cannot wrap: one elided line instead.
        const QFontMetrics metrics(font);
        if (std::any_of(words.begin(), words.end(), [&](const QString& word) {
                return metrics.horizontalAdvance(word) > laid.area.width();
            })) {
            laid.flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine;
            laid.text = metrics.elidedText(laid.text, Qt::ElideRight, laid.area.width());
        }
    } else {
        laid.area = rect().adjusted(6, 0, -6, 0);
        if (state == State::MouseDown) laid.area.translate(0, 1);
        // One line in a slightly smaller font if need be; a button tall
        // enough wraps a long caption rather than shrinking it further.
        laid.flags = Qt::AlignCenter | Qt::TextSingleLine;
        const QFont base = font;
        font = fittingFont(base, laid.area, laid.flags, laid.text);
        const bool fits = QFontMetrics(font).horizontalAdvance(laid.text) <= laid.area.width();
        const bool shrunkFar = QFontInfo(font).pointSizeF() < QFontInfo(base).pointSizeF() - 1;
        if ((!fits || shrunkFar) && laid.area.height() >= 2 * QFontMetrics(base).lineSpacing()) {
            laid.flags = Qt::AlignCenter | Qt::TextWordWrap;
            font = fittingFont(base, laid.area, laid.flags, laid.text);
        }
        if (laid.flags & Qt::TextSingleLine)
            laid.text = QFontMetrics(font).elidedText(laid.text, Qt::ElideRight, laid.area.width());
    }
    laid.font = font;
    const QRect need = QFontMetrics(font).boundingRect(laid.area, laid.flags, laid.text);
    laid.whole = laid.text == whole.left(laid.text.size()) && !laid.text.endsWith(QChar(0x2026)) &&
                 need.width() <= laid.area.width() && need.height() <= laid.area.height();
    return laid;
}

bool TSkinButton::CaptionFits() const { return !m_captionShown || layCaption(State::Normal).whole; }

void TSkinButton::paintCaption(QPainter& painter, State state)
{
    const CaptionLayout laid = layCaption(state);
    if (laid.text.isEmpty()) return;
    QColor color = m_captionColor.isValid()
                       ? m_captionColor
                       : palette().color(QPalette::Active, QPalette::ButtonText);
    if (state == State::Disable)
        color = m_captionDisabledColor.isValid()
                    ? m_captionDisabledColor
                    : palette().color(QPalette::Disabled, QPalette::ButtonText);
    else if (state != State::Normal && m_captionHoverColor.isValid())
        color = m_captionHoverColor;
    painter.setFont(laid.font);
    painter.setPen(color);
    painter.drawText(laid.area, laid.flags, laid.text);
}
