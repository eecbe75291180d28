#pragma once

#include "base/globals.h"

#include <QDialog>

class QCheckBox;
class QComboBox;

// The Settings window: encoder priority, end-of-batch action, DirectShow and
// whether every output format stays on the main window. OK stores the choices
// in the state and writes the settings file; Cancel changes nothing.
class TfrmSettings : public QDialog {
    Q_OBJECT

public:
    explicit TfrmSettings(TGlobalVars& vars, QWidget* parent = nullptr);

    void accept() override;

private:
    TGlobalVars& m_vars;
    QComboBox* ComboBoxPriority = nullptr;
    QComboBox* ComboBoxShutdownFlag = nullptr;
    QCheckBox* CheckBoxDirectShow = nullptr;
    QCheckBox* CheckBoxShowAllFormats = nullptr;
};
