#pragma once

#include "engine/ProgressView.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

// A front that records what the engine shows and answers its questions as a
// test tells it.
class RecordingFront : public TFileList, public TMessages, public TProgressWindow, public TTray {
public:
    struct Row {
        QString caption;
        QString fileSize;
        RowState state = rsQueued;
        QStringList outputs;
    };

    TBatchFront Front() { return {*this, *this, *this, *this}; }

    // TFileList
    int RowCount() const override { return int(rows.size()); }
    QString RowCaption(int row) const override { return rows.at(row).caption; }
    QString RowFileSize(int row) const override { return rows.at(row).fileSize; }
    void ResetRowStates() override
    {
        for (Row& row : rows)
            row = {row.caption, row.fileSize, rsQueued, {}};
    }
    void SetRowState(int row, RowState state, const QStringList& outputs) override
    {
        rows[row].state = state;
        rows[row].outputs = outputs;
        log.append(QStringLiteral("row %1: %2").arg(row).arg(int(state)));
    }
    QString OutputFolderText() const override { return outputFolder; }

    // TMessages
    void ShowMessage(const QString& text, const QString& caption, TMessageIcon icon) override
    {
        messages.append(caption + ": " + text);
        lastIcon = icon;
    }
    int AskYesNoCancel(const QString& text, const QString&) override
    {
        questions.append(text);
        return answer;
    }
    void ShowErrorLine(const QString& line, bool firstOfFile) override
    {
        if (firstOfFile || errorBoxes.isEmpty()) errorBoxes.append(QStringList());
        errorBoxes.last().append(line);
        if (onErrorLine) onErrorLine(line);
    }

    // TProgressWindow
    bool ProgressOpen() const override { return progressOpen; }
    void OpenProgress(const QString& caption, const QString& stopText) override
    {
        progressOpen = true;
        progressCaption = caption;
        stopWhenDoneText = stopText;
        animationRunning = false;
        labels.clear();
        bars.clear();
        if (onProgressShown) onProgressShown();
    }
    void SetLabel(TProgressLabel label, const QString& text) override
    {
        labels[label] = text;
        log.append(QStringLiteral("label %1: %2").arg(int(label)).arg(text));
    }
    void SetBar(TProgressBar bar, int percent) override
    {
        bars[bar] = percent;
        log.append(QStringLiteral("bar %1: %2").arg(int(bar)).arg(percent));
    }
    bool AnimationRunning() const override { return animationRunning; }
    void StartAnimation() override { animationRunning = true; }
    void SetProgressCaption(const QString& caption) override { progressCaption = caption; }
    void CloseProgress() override { progressOpen = false; }

    // TTray
    void SetTrayHint(const QString& text) override { trayHint = text; }
    void ShowTrayBalloon(const QString& title, const QString& text, TMessageIcon,
                         int seconds) override
    {
        balloons.append(title + ": " + text + " (" + QString::number(seconds) + "s)");
    }
    int RunShutdownCountdown() override
    {
        ++countdowns;
        return countdownResult;
    }

    QList<Row> rows;
    QString outputFolder;
    int answer = mrYes;
    int countdownResult = mrCancel;

    bool progressOpen = false;
    bool animationRunning = false;
    QString progressCaption;
    QString stopWhenDoneText;
    QMap<TProgressLabel, QString> labels;
    QMap<TProgressBar, int> bars;
    QString trayHint;
    // Row states, labels and bars in the order they were set: "row R: STATE",
    // "label L: TEXT", "bar B: PERCENT" with the enumerations' numbers.
    QStringList log;
    QList<QStringList> errorBoxes;
    QStringList messages;
    TMessageIcon lastIcon = TMessageIcon::Information;
    QStringList questions;
    QStringList balloons;
    int countdowns = 0;
    std::function<void()> onProgressShown;
    std::function<void(const QString&)> onErrorLine;
};
