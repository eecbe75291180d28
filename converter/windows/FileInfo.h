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

    // Asks for a file name and writes the report there as UTF-8 text with
    // CR LF line ends; a failed write is reported. False when nothing was
    // written.
    bool SaveReport();

private:
    QPlainTextEdit* MemoInfo = nullptr;
};

// Shows the report of a file modally over owner, captioned with its name.
void ShowFileInformation(QWidget* owner, const QString& path);

// The report's lines, each ended by CR LF, as UTF-8.
QByteArray ReportFileBytes(const QString& report);
