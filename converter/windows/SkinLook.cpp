#include "windows/SkinLook.h"

#include <optional>
#include <utility>

using namespace Qt::StringLiterals;

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
