#pragma once

#include "engine/ProgressView.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

// A front that records what the engine shows and answers its questions as a
// test tells it. The progress window's modal loop is a QEventLoop.
class RecordingFront : public TBatchFront {
public:
    struct Row {
        QString caption;
        QString fileSize;
        RowState state = rsQueued;
    };

    // TProgressView
    bool ProgressOpen() const override { return progressOpen; }
    void SetLabel(TProgressLabel label, const QString& text) override { labels[label] = text; }
    void SetBar(TProgressBar bar, int percent) override { bars[bar] = percent; }
    bool AnimationRunning() const override { return animationRunning; }
    void StartAnimation() override { animationRunning = true; }
    void SetTrayHint(const QString& text) override { trayHint = text; }
    void SetRowState(const QString& caption, RowState state) override
    {
        for (Row& row : rows) {
            if (row.caption == caption) {
                row.state = state;
                return;
            }
        }
    }
    void ShowErrorLine(const QString& line, bool firstOfFile) override
    {
        if (firstOfFile || errorBoxes.isEmpty()) errorBoxes.append(QStringList());
        errorBoxes.last().append(line);
        if (onErrorLine) onErrorLine(line);
    }

    // TBatchFront
    int RowCount() const override { return int(rows.size()); }
    QString RowCaption(int row) const override { return rows.at(row).caption; }
    QString RowFileSize(int row) const override { return rows.at(row).fileSize; }
    void ResetRowStates() override
    {
        for (Row& row : rows)
            row.state = rsQueued;
    }
    QString OutputFolderText() const override { return outputFolder; }
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
    void ShowPlainMessage(const QString& text) override { plainMessages.append(text); }
    void OpenProgress(const QString& caption, const QString& stopText) override
    {
        progressOpen = true;
        finished = false;
        modalResult = mrNone;
        progressCaption = caption;
        stopWhenDoneText = stopText;
        animationRunning = false;
        labels.clear();
        bars.clear();
    }
    int RunProgress() override
    {
        if (onProgressShown) onProgressShown();
        if (!finished) loop.exec();
        return modalResult;
    }
    void SetProgressCaption(const QString& caption) override { progressCaption = caption; }
    void FinishProgress(int result) override
    {
        finished = true;
        modalResult = result;
        loop.quit();
    }
    void ReleaseProgress() override { progressOpen = false; }
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

    // "Stop now" from the progress window: it closes with Cancel.
    void StopNow()
    {
        modalResult = mrCancel;
        loop.quit();
    }

    QList<Row> rows;
    QString outputFolder;
    int answer = mrYes;
    int countdownResult = mrCancel;

    bool progressOpen = false;
    bool animationRunning = false;
    bool finished = false;
    int modalResult = mrNone;
    QString progressCaption;
    QString stopWhenDoneText;
    QMap<TProgressLabel, QString> labels;
    QMap<TProgressBar, int> bars;
    QString trayHint;
    QList<QStringList> errorBoxes;
    QStringList messages;
    TMessageIcon lastIcon = TMessageIcon::Information;
    QStringList questions;
    QStringList plainMessages;
    QStringList balloons;
    int countdowns = 0;
    std::function<void()> onProgressShown;
    std::function<void(const QString&)> onErrorLine;

private:
    QEventLoop loop;
};
