#pragma once

#include <QDialog>
#include <QString>

class QPlainTextEdit;

// The File Information window: the media library's full report of one file,
// which the user can save as a text file.
class TfrmFileInfo : public QDialog {
    Q_OBJECT

public:
    explicit TfrmFileInfo(QWidget* parent = nullptr);

    // Fills the report of the file; a file that is gone leaves it empty.
    void LoadReport(const QString& path);
    QString Report() const;

    // Asks for a file name, offering the media file's, and writes the report
    // there as UTF-8 text with this platform's line ends; a failed write is
    // reported. False when nothing was written.
    bool SaveReport();

private:
    QPlainTextEdit* MemoInfo = nullptr;
    QString m_mediaPath;
};

// Shows the report of a file modally over owner, captioned with its name.
void ShowFileInformation(QWidget* owner, const QString& path);

// The report's lines, each ended by a line feed, as UTF-8.
QByteArray ReportFileBytes(const QString& report);

// Where the save dialog starts: the media file's name with ".txt" (the
// generic report name for none) in the documents folder, if there is one.
QString SuggestedReportPath(const QString& documentsDir, const QString& mediaPath);
