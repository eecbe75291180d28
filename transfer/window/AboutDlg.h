#pragma once

#include <QDialog>

// "About Transfer Manager": icon, name, version, ownership line and OK.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
