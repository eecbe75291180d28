#include "windows/MessageBoxes.h"

#include "windows/DialogSeam.h"

#include "base/globals.h"
#include "localisation/MessageTable.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QList>
#include <QProxyStyle>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

struct ButtonKind {
    TDialogButton button;
    QMessageBox::StandardButton standard;
    TDialogResult result;
};

// In the order captions are laid onto the buttons. "All" has no button of its
// own in QMessageBox; an unused accept-role one stands in for it.
const ButtonKind ButtonKinds[] = {
    {dbYes, QMessageBox::Yes, drYes},
    {dbNo, QMessageBox::No, drNo},
    {dbOK, QMessageBox::Ok, drOK},
    {dbCancel, QMessageBox::Cancel, drCancel},
    {dbAbort, QMessageBox::Abort, drAbort},
    {dbRetry, QMessageBox::Retry, drRetry},
    {dbIgnore, QMessageBox::Ignore, drIgnore},
    {dbAll, QMessageBox::SaveAll, drAll},
    {dbNoToAll, QMessageBox::NoToAll, drNoToAll},
    {dbYesToAll, QMessageBox::YesToAll, drYesToAll},
    {dbHelp, QMessageBox::Help, drNone},
};

// Closing the box by its frame gives no button at all; QMessageBox would
// press its escape button, or refuse to close when it has none.
class MessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void closeEvent(QCloseEvent* event) override { QDialog::closeEvent(event); }
};

// Texts hold CR LF and LF CR pairs as well as lone breaks; each is one break.
QString PlainLines(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') {
            result += c;
            continue;
        }
        const QChar partner = c == u'\r' ? u'\n' : u'\r';
        if (i + 1 < text.size() && text[i + 1] == partner) ++i;
        result += u'\n';
    }
    return result;
}

QWidget* ActiveOwner()
{
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

// Dialog units of the box's font: a quarter of its average letter width.
int UnitsToPixels(const QWidget& widget, int units)
{
    static const QString letters = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"_s;
    const QFontMetrics metrics(widget.font());
    const double average = metrics.horizontalAdvance(letters) / double(letters.size());
    return qRound(units * average / 4.0);
}

struct BoxButton {
    TDialogButton button;
    QString caption;  // empty: the button's own
};

int RunBox(const QString& text, const QString& caption, QMessageBox::Icon icon,
           const QList<BoxButton>& buttons, int minimumUnits)
{
    MessageBox box(icon, caption, PlainLines(text), QMessageBox::NoButton, ActiveOwner());
    box.setTextFormat(Qt::PlainText);
    if (auto* row = box.findChild<QDialogButtonBox*>()) row->setCenterButtons(true);
    const int minimumWidth = minimumUnits > 0 ? UnitsToPixels(box, minimumUnits) : 0;
    for (const BoxButton& entry : buttons) {
        const QMessageBox::StandardButton standard = StandardButtonOf(entry.button);
        QAbstractButton* button = box.addButton(standard);
        if (!entry.caption.isEmpty())
            button->setText(entry.caption);
        else if (entry.button == dbAll)
            button->setText(u"&All"_s);
        if (minimumWidth > 0) button->setMinimumWidth(minimumWidth);
    }
    QApplication::beep();
    ExecModal(box);

    const QMessageBox::StandardButton pressed = box.standardButton(box.clickedButton());
    for (const ButtonKind& kind : ButtonKinds)
        if (pressed != QMessageBox::NoButton && kind.standard == pressed) return kind.result;
    return drCancel;
}

// The platform style with the message icons drawn from pictures that stay
// sharp at any scale, where the built-in ones are small bitmaps blown up.
class SharpIconStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    QIcon standardIcon(StandardPixmap pixmap, const QStyleOption* option,
                       const QWidget* widget) const override
    {
        switch (pixmap) {
            case SP_MessageBoxWarning:
                return QIcon(u":/skinlook/box-warning.svg"_s);
            case SP_MessageBoxCritical:
                return QIcon(u":/skinlook/box-error.svg"_s);
            case SP_MessageBoxInformation:
                return QIcon(u":/skinlook/box-information.svg"_s);
            case SP_MessageBoxQuestion:
                return QIcon(u":/skinlook/box-question.svg"_s);
            default:
                return QProxyStyle::standardIcon(pixmap, option, widget);
        }
    }
};

}  // namespace

void InstallSharpIcons()
{
    if (!qApp || dynamic_cast<SharpIconStyle*>(QApplication::style())) return;
    // Built from the style's name: the application owns, and deletes, the
    // style it replaces.
    QApplication::setStyle(new SharpIconStyle(QApplication::style()->name()));
}

QMessageBox::StandardButton StandardButtonOf(TDialogButton button)
{
    for (const ButtonKind& kind : ButtonKinds)
        if (kind.button == button) return kind.standard;
    return QMessageBox::NoButton;
}

int LocalizedButtonUnits()
{
    return GlobalVars.LanguageFile.toLower() == u"french.ini"_s ? 110 : 70;
}

int ShowLocalizedDialog(const QString& text, const QString& caption, TDialogType type,
                        const QStringList& captions, int buttons)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (type) {
        case TDialogType::Warning:
            icon = QMessageBox::Warning;
            break;
        case TDialogType::Error:
            icon = QMessageBox::Critical;
            break;
        case TDialogType::Information:
            icon = QMessageBox::Information;
            break;
        case TDialogType::Confirmation:
            icon = QMessageBox::Question;
            break;
        case TDialogType::Custom:
            break;
    }
    QList<BoxButton> present;
    for (const ButtonKind& kind : ButtonKinds) {
        if (!(buttons & kind.button)) continue;
        present.append({kind.button, captions.value(present.size())});
    }
    return RunBox(text, caption, icon, present, LocalizedButtonUnits());
}

int ShowMessageBox(const QString& text, const QString& caption, int flags)
{
    QList<TDialogButton> set;
    switch (flags & 0x0F) {
        case mbOKCancel:
            set = {dbOK, dbCancel};
            break;
        case mbAbortRetryIgnore:
            set = {dbAbort, dbRetry, dbIgnore};
            break;
        case mbYesNoCancel:
            set = {dbYes, dbNo, dbCancel};
            break;
        case mbYesNo:
            set = {dbYes, dbNo};
            break;
        case mbRetryCancel:
            set = {dbRetry, dbCancel};
            break;
        default:
            set = {dbOK};
            break;
    }
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (flags & 0xF0) {
        case mbIconError:
            icon = QMessageBox::Critical;
            break;
        case mbIconQuestion:
            icon = QMessageBox::Question;
            break;
        case mbIconWarning:
            icon = QMessageBox::Warning;
            break;
        case mbIconInformation:
            icon = QMessageBox::Information;
            break;
        default:
            break;
    }
    QList<BoxButton> present;
    for (TDialogButton button : std::as_const(set)) {
        QString label;
        switch (button) {
            case dbOK:
                label = Msg(MSG_OK);
                break;
            case dbCancel:
                label = Msg(MSG_CANCEL);
                break;
            case dbYes:
                label = Msg(MSG_YES);
                break;
            case dbNo:
                label = Msg(MSG_NO);
                break;
            default:
                break;
        }
        present.append({button, label});
    }
    return RunBox(text, caption, icon, present, 0);
}

void ShowErrorBox(const QString& text) { ShowMessageBox(text, Msg(MSG_Error), mbOK | mbIconError); }
