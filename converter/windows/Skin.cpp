#include "windows/Skin.h"

#include "base/FileFunctions.h"
#include "base/IniFile.h"

#include <QAction>
#include <QEnterEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QSvgRenderer>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString NoPicture = u"NONE"_s;

// The file a picture value names inside the skin's folder. Values are
// upper-cased, so every part of the name is looked up without case; "" when
// there is no such file.
QString findPicture(const QString& folder, const QString& value)
{
    QString path = folder;
    const QStringList parts = QString(value).replace(u'\\', u'/').split(u'/', Qt::SkipEmptyParts);
    if (parts.isEmpty()) return {};
    for (const QString& part : parts) {
        const QString entry = FindFileNoCase(path, part);
        if (entry.isEmpty()) return {};
        path += u'/' + entry;
    }
    return QFileInfo(path).isFile() ? path : QString();
}

class SkinReader {
public:
    SkinReader(const QString& file) : m_ini(file), m_folder(QFileInfo(file).absolutePath()) {}

    int number(const QString& section, const QString& key, int defaultValue) const
    {
        return m_ini.readInteger(section, key, defaultValue);
    }

    QString picture(const QString& section, const QString& key) const
    {
        const QString value = m_ini.readString(section, key, NoPicture).toUpper();
        if (value == NoPicture) return {};
        return findPicture(m_folder, value);
    }

    // Left, Top, Width and Height after the prefix, as "Button3Left".
    QRect rect(const QString& section, const QString& prefix, const QRect& defaults) const
    {
        const int left = number(section, prefix + u"Left"_s, defaults.left());
        const int top = number(section, prefix + u"Top"_s, defaults.top());
        const int width = number(section, prefix + u"Width"_s, defaults.width());
        const int height = number(section, prefix + u"Height"_s, defaults.height());
        return QRect(left, top, width, height);
    }

    TSkinButtonPictures buttonPictures(const QString& section, int n) const
    {
        const QString prefix = u"Button%1"_s.arg(n);
        return {picture(section, prefix + u"Normal"_s), picture(section, prefix + u"MouseOn"_s),
                picture(section, prefix + u"MouseDown"_s), picture(section, prefix + u"Disable"_s)};
    }

    TSkinButtonPlace button(const QString& section, int n, const QRect& defaults) const
    {
        const QString prefix = u"Button%1"_s.arg(n);
        return {buttonPictures(section, n), rect(section, prefix, defaults),
                m_ini.readBool(section, prefix + u"Caption"_s, true)};
    }

    bool flag(const QString& section, const QString& key, bool defaultValue) const
    {
        return m_ini.readBool(section, key, defaultValue);
    }

private:
    IniFile m_ini;
    QString m_folder;
};

const QString MainForm = u"MAINFORM"_s;
const QString Toolbar = u"TOOLBAR"_s;
const QString MainButton = u"MAINBUTTON"_s;
const QString SystemButton = u"SYSTEMBUTTON"_s;
const QString LabelSection = u"LABEL"_s;
const QString EditBoxSection = u"EDITBOX"_s;
const QString Splash = u"SPLASH"_s;

constexpr QPoint LabelDefaults[26] = {
    {16, 8},   {144, 8},   {30, 122}, {24, 218},  {75, 246}, {120, 280}, {16, 8},
    {24, 24},  {368, 24},  {24, 40},  {368, 40},  {24, 56},  {368, 56},  {16, 80},
    {24, 96},  {368, 96},  {24, 112}, {368, 112}, {24, 128}, {368, 128}, {16, 152},
    {24, 168}, {368, 168}, {24, 184}, {368, 184}, {584, 216}};
constexpr int EditBoxTopDefaults[8] = {24, 40, 56, 96, 112, 128, 168, 184};

}  // namespace

std::optional<TSkinLayout> ReadSkinLayout(const QString& skinFile, TToolbarPictures toolbar)
{
    const QString file = ResolvePathNoCase(skinFile);
    if (!QFileInfo(file).isFile()) return std::nullopt;
    const SkinReader skin(file);
    TSkinLayout layout;

    layout.DefaultSkin = skin.flag(MainForm, u"DefaultSkin"_s, true);
    layout.Background.Picture = skin.picture(MainForm, u"ImageMainPic"_s);
    // The background's left edge really is keyed "ImageMainLet".
    layout.Background.Rect = QRect(skin.number(MainForm, u"ImageMainLet"_s, 0),
                                   skin.number(MainForm, u"ImageMainTop"_s, 0),
                                   skin.number(MainForm, u"ImageMainWidth"_s, 754),
                                   skin.number(MainForm, u"ImageMainHeight"_s, 571));
    layout.ListView = skin.rect(MainForm, u"ListView"_s, {120, 120, 482, 84});
    layout.EditOutputFile = skin.rect(MainForm, u"EditOutputFile"_s, {120, 214, 482, 21});
    layout.ComboProfile = skin.rect(MainForm, u"ComboProfile"_s, {120, 242, 482, 21});
    layout.ScrollBox = skin.rect(MainForm, u"ScrollBox"_s, {18, 313, 719, 239});

    for (int n = 1; n <= 13; ++n) {
        TSkinButtonPlace& place = layout.ToolbarButtons[n - 1];
        place = skin.button(Toolbar, n, {n == 2 ? 66 : 2, 28, 62, 76});
        if (toolbar == TToolbarPictures::Edition && n >= 2 && n <= 11) {
            const QString disabled = place.Pictures.Disable;
            place.Pictures = {disabled, disabled, disabled, disabled};
        }
    }
    for (int k = 1; k <= 3; ++k) {
        const QString prefix = u"ImageLine%1"_s.arg(k);
        layout.ToolbarLines[k - 1] = {skin.picture(Toolbar, prefix),
                                      skin.rect(Toolbar, prefix, {64, 40, 2, 52})};
    }
    for (int n = 1; n <= 10; ++n)
        layout.MainButtons[n - 1] = skin.button(MainButton, n, {620, 120, 115, 25});
    layout.MainButton11 = layout.MainButtons[5].Pictures;
    for (int n = 1; n <= 3; ++n)
        layout.SystemButtons[n - 1] = skin.button(SystemButton, n, {678, 4, 24, 21});

    for (int n = 1; n <= 26; ++n) {
        const QPoint defaults = LabelDefaults[n - 1];
        layout.Labels[n - 1] = {skin.number(LabelSection, u"Label%1Left"_s.arg(n), defaults.x()),
                                skin.number(LabelSection, u"Label%1Top"_s.arg(n), defaults.y())};
    }
    // A fact box's left edge is under [EDITBOX], its top under [LABEL].
    for (int n = 1; n <= 16; ++n) {
        const int left = skin.number(EditBoxSection, u"EditBox%1Left"_s.arg(n), n % 2 ? 112 : 500);
        const int top =
            skin.number(LabelSection, u"EditBox%1Top"_s.arg(n), EditBoxTopDefaults[(n - 1) / 2]);
        layout.EditBoxes[n - 1] = {left, top};
    }
    layout.SplashLeftImage = skin.picture(Splash, u"LeftImage"_s);
    return layout;
}

// ---------------------------------------------------------------------------

TSkinPicture::TSkinPicture(const QString& file) : m_file(file)
{
    if (file.isEmpty()) return;
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix == u"svg" || suffix == u"svgz") {
        auto svg = std::make_unique<QSvgRenderer>(file);
        if (svg->isValid()) m_svg = std::move(svg);
        return;
    }
    QImageReader reader(file);
    reader.setAutoTransform(true);
    m_image = reader.read();
}

TSkinPicture::~TSkinPicture() = default;
TSkinPicture::TSkinPicture(TSkinPicture&&) noexcept = default;
TSkinPicture& TSkinPicture::operator=(TSkinPicture&&) noexcept = default;

bool TSkinPicture::IsValid() const { return m_svg || !m_image.isNull(); }

QSize TSkinPicture::NaturalSize() const
{
    if (m_svg) return m_svg->defaultSize();
    return m_image.size();
}

void TSkinPicture::Paint(QPainter& painter, const QRect& rect) const
{
    if (!IsValid() || rect.isEmpty()) return;
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QSize pixels = (QSizeF(rect.size()) * ratio).toSize();
    // Drawn once per size and pixel ratio: a repaint costs a blit, and the
    // picture is still rendered at the device's own resolution.
    if (m_cache.size() != pixels || !qFuzzyCompare(m_cache.devicePixelRatio(), ratio)) {
        QImage canvas;
        if (m_svg) {
            canvas = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
            canvas.fill(Qt::transparent);
            QPainter svgPainter(&canvas);
            svgPainter.setRenderHint(QPainter::Antialiasing);
            m_svg->render(&svgPainter, QRectF(QPointF(0, 0), QSizeF(pixels)));
        } else {
            canvas = m_image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
        m_cache = QPixmap::fromImage(canvas);
        m_cache.setDevicePixelRatio(ratio);
    }
    painter.drawPixmap(rect.topLeft(), m_cache);
}

// ---------------------------------------------------------------------------

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

// ---------------------------------------------------------------------------

TSkinImage::TSkinImage(QWidget* parent) : QWidget(parent) {}

void TSkinImage::SetPicture(const QString& file)
{
    m_picture = TSkinPicture(file);
    updateGeometry();
    update();
}

QSize TSkinImage::sizeHint() const
{
    const QSize natural = m_picture.NaturalSize();
    return natural.isEmpty() ? QSize(0, 0) : natural;
}

void TSkinImage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    m_picture.Paint(painter, rect());
}

void TSkinImage::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    Q_EMIT Pressed(event->globalPosition().toPoint());
    event->accept();
}

void TSkinImage::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    Q_EMIT DoubleClicked(event->globalPosition().toPoint());
    event->accept();
}

// ---------------------------------------------------------------------------

namespace {

void setButton(TSkinButton* button, const TSkinButtonPlace& place)
{
    if (!button) return;
    button->SetPictures(place.Pictures);
    button->setGeometry(place.Rect);
    button->SetCaptionShown(place.Caption);
    button->update();
}

void setImage(TSkinImage* image, const TSkinImagePlace& place)
{
    if (!image) return;
    image->SetPicture(place.Picture);
    image->setGeometry(place.Rect);
}

void setRect(QWidget* widget, const QRect& rect)
{
    if (widget) widget->setGeometry(rect);
}

// The colours a look shares between its style sheet and what the sheet
// cannot say (the link colour of rich text).
struct Look {
    const char* window;   // behind the background picture
    const char* surface;  // list and edit fields
    const char* raised;   // combo boxes
    const char* panel;    // the facts panel
    const char* border;
    const char* borderHover;
    const char* text;
    const char* textDim;
    const char* textMuted;  // disabled
    const char* title;
    const char* accent;
    const char* accentBright;
    const char* selection;
    const char* selectionText;
    const char* hover;
    const char* handle;
    const char* handleHover;
    const char* menu;
    const char* tooltip;
    const char* caption;  // picture buttons' captions
    const char* captionHover;
    const char* captionOff;
    const char* primaryText;  // the Convert button's caption
};

constexpr Look KelpLook = {"#14171b", "#1b2025", "#232930", "#191d22", "#2e353e", "#46505c",
                           "#dfe4ea", "#9aa5b1", "#5c6570", "#f3f6f9", "#34c08e", "#6fe3b8",
                           "#1e5e49", "#ffffff", "#242b33", "#3a434e", "#4f5b68", "#1f242a",
                           "#262c33", "#c9d1da", "#ffffff", "#56606b", "#ffffff"};

constexpr Look MossLook = {"#1b1c18", "#23251f", "#2b2e26", "#202219", "#3b3f33", "#59604b",
                           "#e7e5d8", "#aaa895", "#676a5a", "#f6f4e8", "#9cc25a", "#c3e38c",
                           "#4b5e2c", "#ffffff", "#2e3128", "#474c3d", "#5d644f", "#26281f",
                           "#2d3027", "#d9d6c4", "#ffffff", "#66685a", "#ffffff"};

const Look& lookOf(bool defaultSkin) { return defaultSkin ? KelpLook : MossLook; }

// The rules, with {name} standing for a colour of the look. $W is the window:
// "$W > X" reaches only its own controls, not those of dialogs over it.
const char* const SheetTemplate = R"(
$W { background-color: {window}; }
$W > QLabel { color: {text}; background: transparent; }
$W > QLabel#Label1 { color: {title}; font-weight: bold; }
$W > QLabel#Label2, $W > QLabel#Label6 { color: {textDim}; }

$W > QAbstractItemView {
    background-color: {surface}; color: {text};
    border: 1px solid {border}; border-radius: 6px; padding: 3px;
    selection-background-color: {selection}; selection-color: {selectionText};
    outline: 0;
}
$W > QAbstractItemView:focus { border-color: {borderHover}; }
$W > QAbstractItemView::item { padding: 3px 4px; border: none; }
$W > QAbstractItemView::item:hover { background-color: {hover}; }
$W > QAbstractItemView::item:selected { background-color: {selection}; color: {selectionText}; }

$W > QLineEdit {
    background-color: {surface}; color: {text};
    border: 1px solid {border}; border-radius: 4px; padding: 0 6px;
    selection-background-color: {selection}; selection-color: {selectionText};
}
$W > QLineEdit:hover { border-color: {borderHover}; }
$W > QLineEdit:focus { border-color: {accent}; }
$W > QLineEdit:disabled { color: {textMuted}; }

$W > QComboBox {
    background-color: {raised}; color: {text};
    border: 1px solid {border}; border-radius: 4px; padding: 0 8px;
}
$W > QComboBox:hover { border-color: {borderHover}; }
$W > QComboBox:focus, $W > QComboBox:on { border-color: {accent}; }
$W > QComboBox:disabled { color: {textMuted}; }
$W > QComboBox::drop-down {
    subcontrol-origin: padding; subcontrol-position: center right;
    width: 22px; border: none;
}
$W > QComboBox::down-arrow { image: url(:/skinlook/arrow-down.svg); width: 10px; height: 10px; }
$W > QComboBox::down-arrow:disabled { image: url(:/skinlook/arrow-down-off.svg); }
$W > QComboBox QAbstractItemView {
    background-color: {menu}; color: {text}; border: 1px solid {border};
    selection-background-color: {selection}; selection-color: {selectionText};
    outline: 0; padding: 2px;
}

$W > #ScrollBox { background-color: {panel}; border: 1px solid {border}; border-radius: 8px; }
$W > #ScrollBox QScrollArea, $W > #ScrollBox #FactsSheet { background: transparent; border: none; }
$W > #ScrollBox QLabel { color: {textDim}; background: transparent; }
$W > #ScrollBox QLabel#Label7, $W > #ScrollBox QLabel#Label14, $W > #ScrollBox QLabel#Label21 {
    color: {accentBright}; font-weight: bold;
}
$W > #ScrollBox QLabel#Label26 { color: {accentBright}; }
$W > #ScrollBox QLineEdit {
    background-color: {panel}; color: {text}; border: none; padding: 0;
    selection-background-color: {selection}; selection-color: {selectionText};
}

$W QScrollBar:vertical { background: transparent; width: 10px; margin: 2px 1px; }
$W QScrollBar:horizontal { background: transparent; height: 10px; margin: 1px 2px; }
$W QScrollBar::handle { background: {handle}; border-radius: 3px; }
$W QScrollBar::handle:vertical { min-height: 24px; }
$W QScrollBar::handle:horizontal { min-width: 24px; }
$W QScrollBar::handle:hover { background: {handleHover}; }
$W QScrollBar::add-line, $W QScrollBar::sub-line { width: 0; height: 0; border: none; }
$W QScrollBar::add-page, $W QScrollBar::sub-page { background: none; }

$W QMenu {
    background-color: {menu}; color: {text}; border: 1px solid {border}; padding: 4px 0;
}
$W QMenu::item { padding: 5px 28px 5px 28px; background: transparent; }
$W QMenu::item:selected { background-color: {selection}; color: {selectionText}; }
$W QMenu::item:disabled { color: {textMuted}; }
$W QMenu::separator { height: 1px; background: {border}; margin: 4px 10px; }
$W QMenu::indicator { width: 14px; height: 14px; left: 8px; }
$W QMenu::indicator:non-exclusive:checked { image: url(:/skinlook/check.svg); }
$W QMenu::indicator:exclusive:checked { image: url(:/skinlook/radio.svg); }
$W QMenu::right-arrow { image: url(:/skinlook/arrow-right.svg); width: 10px; height: 10px; right: 8px; }

QToolTip {
    background-color: {tooltip}; color: {text}; border: 1px solid {border}; padding: 3px 5px;
}

TSkinButton {
    qproperty-captionColor: {caption};
    qproperty-captionHoverColor: {captionHover};
    qproperty-captionDisabledColor: {captionOff};
    qproperty-focusColor: {title};
}
TSkinButton[marksCurrent="true"] { qproperty-captionDisabledColor: {accentBright}; }
$W > TSkinButton#MainButton9 {
    font-weight: bold;
    qproperty-captionColor: {primaryText}; qproperty-captionHoverColor: {primaryText};
}
)";

constexpr const char* WindowSelector = "QWidget[skinWindow=\"true\"]";
constexpr const char* WindowProperty = "skinWindow";

}  // namespace

QString SkinStyleSheet(bool defaultSkin)
{
    const Look& look = lookOf(defaultSkin);
    const std::pair<const char*, const char*> colours[] = {
        {"window", look.window},
        {"surface", look.surface},
        {"raised", look.raised},
        {"panel", look.panel},
        {"borderHover", look.borderHover},
        {"border", look.border},
        {"textDim", look.textDim},
        {"textMuted", look.textMuted},
        {"text", look.text},
        {"title", look.title},
        {"accentBright", look.accentBright},
        {"accent", look.accent},
        {"selectionText", look.selectionText},
        {"selection", look.selection},
        {"hover", look.hover},
        {"handleHover", look.handleHover},
        {"handle", look.handle},
        {"menu", look.menu},
        {"tooltip", look.tooltip},
        {"captionHover", look.captionHover},
        {"captionOff", look.captionOff},
        {"caption", look.caption},
        {"primaryText", look.primaryText},
    };
    QString sheet = QString::fromLatin1(SheetTemplate);
    for (const auto& [name, colour] : colours)
        sheet.replace(u'{' + QLatin1StringView(name) + u'}', QLatin1StringView(colour));
    sheet.replace(u"$W"_s, QLatin1StringView(WindowSelector));
    return sheet;
}

void ApplySkinLook(QWidget* form, bool defaultSkin)
{
    if (!form) return;
    // Set before the sheet, whose selectors look for it.
    form->setProperty(WindowProperty, true);
    form->setStyleSheet(SkinStyleSheet(defaultSkin));
}

void ApplySkinLayout(const TSkinLayout& layout, const TSkinTargets& targets)
{
    ApplySkinLook(targets.Form, layout.DefaultSkin);

    if (targets.ImageMain) {
        setImage(targets.ImageMain, layout.Background);
        targets.ImageMain->lower();
    }
    setRect(targets.ListViewFiles, layout.ListView);
    setRect(targets.editOutputFileName, layout.EditOutputFile);
    setRect(targets.ComboBoxAviProfile, layout.ComboProfile);
    setRect(targets.ScrollBox, layout.ScrollBox);

    for (int i = 0; i < 13; ++i) {
        setButton(targets.ToolbarButton[i], layout.ToolbarButtons[i]);
        // Buttons 2 to 10 choose the format; the disabled one is the current.
        if (targets.ToolbarButton[i]) targets.ToolbarButton[i]->SetMarksCurrent(i >= 1 && i <= 9);
    }
    for (int i = 0; i < 3; ++i)
        setImage(targets.ToolbarImageLine[i], layout.ToolbarLines[i]);
    for (int i = 0; i < 10; ++i)
        setButton(targets.MainButton[i], layout.MainButtons[i]);
    if (targets.MainButton[10]) targets.MainButton[10]->SetPictures(layout.MainButton11);
    for (int i = 0; i < 3; ++i)
        setButton(targets.SystemButton[i], layout.SystemButtons[i]);

    for (int i = 0; i < 26; ++i)
        if (targets.Label[i]) targets.Label[i]->move(layout.Labels[i]);
    for (int i = 0; i < 16; ++i)
        if (targets.EditBox[i]) targets.EditBox[i]->move(layout.EditBoxes[i]);
}

QColor SkinLinkColor(bool defaultSkin)
{
    return QColor(QString::fromLatin1(lookOf(defaultSkin).accentBright));
}

bool ApplySkin(const QString& skinFile, const TSkinTargets& targets, TToolbarPictures toolbar)
{
    const std::optional<TSkinLayout> layout = ReadSkinLayout(skinFile, toolbar);
    if (!layout) return false;
    ApplySkinLayout(*layout, targets);
    return true;
}
