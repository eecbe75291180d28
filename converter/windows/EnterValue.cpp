#include "windows/EnterValue.h"

#include "windows/DialogSeam.h"
#include "windows/MessageBoxes.h"
#include "windows/WindowFunctions.h"

#include "localisation/MessageTable.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// The digit's value in base, or -1; only ASCII digits count, so a look-alike
// from another script is reported rather than read.
int DigitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int value = -1;
    if (u >= u'0' && u <= u'9')
        value = u - u'0';
    else if (u >= u'a' && u <= u'f')
        value = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        value = u - u'A' + 10;
    return value < base ? value : -1;
}

}  // namespace

TIntegerReading ReadInteger(const QString& text)
{
    // Positions are 1-based and count the skipped blanks, as the user sees them.
    const auto failAt = [](qsizetype index) {
        return TIntegerReading{0, static_cast<int>(index + 1)};
    };
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < size && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < size && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < size && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    // No digit at all: the missing one is the character past the end.
    if (i == size) return failAt(size);

    // The negative side reaches one further than the positive one.
    const qint64 limit = negative ? qint64(1) << 31 : (qint64(1) << 31) - 1;
    qint64 magnitude = 0;
    for (; i < size; ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0) return failAt(i);
        magnitude = magnitude * base + digit;
        if (magnitude > limit) return failAt(i);
    }
    return {static_cast<qint32>(negative ? -magnitude : magnitude), 0};
}

TfrmEnterValue::TfrmEnterValue(QWidget* parent, const QString& caption, const QString& message,
                               qint32 minimum, qint32 maximum)
    : QDialog(parent), m_minimum(minimum), m_maximum(maximum)
{
    setObjectName(u"frmEnterValue"_s);
    setWindowTitle(caption);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* label = new QLabel(message, this);
    label->setObjectName(u"LabelDisplayMessage"_s);
    // Translations run much longer than the English text: wrap, never cut.
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    EditValue = new QLineEdit(this);
    EditValue->setObjectName(u"EditValue"_s);
    EditValue->setMinimumWidth(300);

    QHBoxLayout* buttons = OkCancelButtons(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(EditValue);
    layout->addSpacing(4);
    layout->addLayout(buttons);
    // The size hint measures the message at a narrower width than it gets;
    // the height is taken for the width the dialog really has.
    layout->activate();
    const int width = sizeHint().width();
    setFixedSize(width,
                 qMax(layout->totalHeightForWidth(width), layout->totalMinimumSize().height()));
}

void TfrmEnterValue::accept()
{
    const TIntegerReading reading = ReadInteger(EditValue->text());
    if (reading.ErrorPosition != 0) {
        refuse(MsgFormat(MSG_INVAILD_VALUE, reading.ErrorPosition), Msg(MSG_INVAILD_VALUE_TITLE));
        return;
    }
    if (reading.Value < m_minimum || reading.Value > m_maximum) {
        refuse(MsgFormat(MSG_INVAILD_VALUE_BETWEEN, m_minimum, m_maximum),
               Msg(MSG_INVAILD_VALUE_BETWEEN_TITLE));
        return;
    }
    m_value = reading.Value;
    m_accepted = true;
    QDialog::accept();
}

void TfrmEnterValue::refuse(const QString& text, const QString& caption)
{
    ShowMessageBox(text, caption, mbIconWarning);
    // The user corrects the number in place or cancels.
    EditValue->setFocus();
    EditValue->selectAll();
}

qint32 EnterValue(QWidget* owner, const QString& caption, const QString& message,
                  qint32 defaultValue, qint32 maximum, qint32 minimum)
{
    TfrmEnterValue dialog(owner, caption, message, minimum, maximum);
    if (owner) {
        QRect frame = dialog.frameGeometry();
        frame.moveCenter(owner->window()->frameGeometry().center());
        // An owner near the screen's edge must not push the dialog off it.
        if (const QScreen* screen = owner->screen()) {
            const QRect area = screen->availableGeometry();
            frame.moveLeft(qMax(area.left(), qMin(frame.left(), area.right() - frame.width() + 1)));
            frame.moveTop(qMax(area.top(), qMin(frame.top(), area.bottom() - frame.height() + 1)));
        }
        dialog.move(frame.topLeft());
    }
    if (ExecModal(dialog) != QDialog::Accepted || !dialog.ValueAccepted()) return defaultValue;
    return dialog.Value();
}
