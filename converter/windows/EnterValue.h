#pragma once

#include <QDialog>
#include <QString>
#include <QtGlobal>

class QLineEdit;

// The outcome of reading a typed integer: the value, or the 1-based position
// of the first character that does not fit (0 when the text was read whole).
struct TIntegerReading {
    qint32 Value = 0;
    int ErrorPosition = 0;
};

// Reads a whole text as a signed 32-bit integer: leading blanks and tabs, an
// optional sign, then decimal digits or hexadecimal ones after "$", "x" or
// "0x". A text that ends before any digit fails at the position just past it.
TIntegerReading ReadInteger(const QString& text);

// Asks for a whole number between two bounds. OK with text that is not a
// number or lies outside the bounds says so and stays open with the text
// selected for correction.
class TfrmEnterValue : public QDialog {
    Q_OBJECT

public:
    TfrmEnterValue(QWidget* parent, const QString& caption, const QString& message, qint32 minimum,
                   qint32 maximum);

    void accept() override;

    // Whether OK closed the dialog with a number in range, and that number.
    bool ValueAccepted() const { return m_accepted; }
    qint32 Value() const { return m_value; }

private:
    void refuse(const QString& text, const QString& caption);

    QLineEdit* EditValue = nullptr;
    qint32 m_minimum = 0;
    qint32 m_maximum = 0;
    qint32 m_value = 0;
    bool m_accepted = false;
};

// Shows the dialog centred over owner's window; the accepted value, or
// defaultValue when the user cancelled. The maximum comes before the minimum.
qint32 EnterValue(QWidget* owner, const QString& caption, const QString& message,
                  qint32 defaultValue, qint32 maximum, qint32 minimum);
