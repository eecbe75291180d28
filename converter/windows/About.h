#pragma once

#include <QDialog>
#include <QString>

// The About window: the skin's splash picture beside the program's name,
// version, ownership notice and warning, and links to the web site and the
// support address.
class TfrmAbout : public QDialog {
    Q_OBJECT

public:
    explicit TfrmAbout(QWidget* parent = nullptr);
};

// The file of the skin's About picture in the program folder; "" when the
// skin names none ("NONE" or no key) or the file is not there.
QString AboutPictureFile(const QString& programFolder);
