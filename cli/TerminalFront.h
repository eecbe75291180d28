#pragma once

#include "engine/ProgressView.h"

#include <QList>
#include <QString>

#include <cstdio>

// The batch front of clipforge-cli: a redrawn progress bar on a terminal,
// plain lines otherwise, messages on standard error. Questions get the answer
// a script wants: output folders are created.
class TerminalFront : public TFileList, public TMessages, public TProgressWindow, public TTray {
public:
    struct Row {
        QString caption;
        QString fileSize;
        RowState state = rsQueued;
    };

    TerminalFront(QList<Row> rows, QString outputFolder);

    TBatchFront Front() { return {*this, *this, *this, *this}; }

    int RowCount() const override { return int(m_rows.size()); }
    QString RowCaption(int row) const override { return m_rows.at(row).caption; }
    QString RowFileSize(int row) const override { return m_rows.at(row).fileSize; }
    void ResetRowStates() override;
    void SetRowState(int row, RowState state, const QStringList& outputs) override;
    QString OutputFolderText() const override { return m_outputFolder; }

    void ShowMessage(const QString& text, const QString& caption, TMessageIcon icon) override;
    int AskYesNoCancel(const QString& text, const QString& caption) override;
    void ShowErrorLine(const QString& line, bool firstOfFile) override;

    bool ProgressOpen() const override { return m_progressOpen; }
    void OpenProgress(const QString& caption, const QString& stopWhenDoneText) override;
    void SetLabel(TProgressLabel label, const QString& text) override;
    void SetBar(TProgressBar bar, int percent) override;
    bool AnimationRunning() const override { return m_animationRunning; }
    void StartAnimation() override { m_animationRunning = true; }
    void SetProgressCaption(const QString&) override {}
    void CloseProgress() override;

    void SetTrayHint(const QString&) override {}
    void ShowTrayBalloon(const QString&, const QString&, TMessageIcon, int) override {}
    int RunShutdownCountdown() override { return mrCancel; }

    // A line of its own, clearing the progress bar first.
    void println(const QString& text);
    const QList<Row>& Rows() const { return m_rows; }

private:
    void drawBar();

    QList<Row> m_rows;
    QString m_outputFolder;
    bool m_terminal;
    bool m_progressOpen = false;
    bool m_animationRunning = false;
    bool m_barShown = false;
    int m_filePercent = 0;
    int m_batchPercent = 0;
    QString m_working;
};
