#include "TerminalFront.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <utility>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

void writeErr(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

// Control characters of file names would garble the terminal.
QString printable(QString text)
{
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control) c = u'?';
    return text;
}

}  // namespace

TerminalFront::TerminalFront(QList<Row> rows, QString outputFolder)
    : m_rows(std::move(rows)),
      m_outputFolder(std::move(outputFolder)),
      m_terminal(isatty(STDERR_FILENO) == 1)
{
}

void TerminalFront::println(const QString& text)
{
    writeErr((m_barShown ? u"\r\x1b[K"_s : QString()) + text + u'\n');
    m_barShown = false;
}

void TerminalFront::drawBar()
{
    if (!m_terminal) return;
    constexpr int Width = 30;
    const int filled = Width * m_filePercent / 100;
    writeErr(u"\r["_s + QString(filled, u'#') + QString(Width - filled, u'-') + u"] "_s +
             QString::number(m_filePercent).rightJustified(3) + u"%  batch "_s +
             QString::number(m_batchPercent) + u"%  "_s + printable(m_working) + u"\x1b[K"_s);
    m_barShown = true;
}

void TerminalFront::SetLabel(TProgressLabel label, const QString& text)
{
    if (label == TProgressLabel::LabelWorking && text != m_working) {
        m_working = text;
        drawBar();
    }
}

void TerminalFront::SetBar(TProgressBar bar, int percent)
{
    int& value = bar == TProgressBar::ProgressBarStatus ? m_filePercent : m_batchPercent;
    if (value == percent) return;
    value = percent;
    drawBar();
}

void TerminalFront::SetRowState(int index, RowState state, const QStringList& outputs)
{
    Row& row = m_rows[index];
    if (row.state == state) return;
    const RowState before = std::exchange(row.state, state);
    const QString counter = QString::number(index + 1) + u'/' + QString::number(m_rows.size());
    if (state == rsQueued && before == rsConverting) {
        println(u"Stopped "_s + counter + u": "_s + printable(row.caption));
    } else if (state == rsConverting) {
        m_filePercent = 0;
        if (!m_terminal) println(u"Converting "_s + counter + u": "_s + printable(row.caption));
    } else if (state == rsConverted) {
        println(u"Converted "_s + counter + u": "_s + printable(outputs.join(u", "_s)));
    } else if (state == rsFailed) {
        println(u"Failed "_s + counter + u": "_s + printable(row.caption));
    }
}

void TerminalFront::ShowErrorLine(const QString& line, bool) { println(u"  "_s + printable(line)); }

void TerminalFront::ResetRowStates()
{
    for (Row& row : m_rows)
        row.state = rsQueued;
}

void TerminalFront::ShowMessage(const QString& text, const QString& caption, TMessageIcon)
{
    // A message of several lines stays several lines; blank ones go.
    const QStringList lines = text.split(QRegularExpression(u"[\r\n]+"_s), Qt::SkipEmptyParts);
    println(printable(caption) + u": "_s + printable(lines.value(0)));
    for (qsizetype i = 1; i < lines.size(); ++i)
        println(printable(lines.at(i)));
}

int TerminalFront::AskYesNoCancel(const QString&, const QString&)
{
    println(u"Creating the output folder "_s + printable(m_outputFolder));
    return mrYes;
}

void TerminalFront::OpenProgress(const QString&, const QString&) { m_progressOpen = true; }

void TerminalFront::CloseProgress()
{
    if (m_barShown) writeErr(u"\r\x1b[K"_s);
    m_barShown = false;
    m_progressOpen = false;
}
