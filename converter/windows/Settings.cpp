#include "windows/Settings.h"

#include "windows/MessageBoxes.h"
#include "windows/WindowFunctions.h"

#include "base/IniFile.h"
#include "base/ProgramFolder.h"
#include "localisation/MessageTable.h"
#include "localisation/Settings.h"
#include "localisation/ShutdownActions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// A bold caption; its children set NormalWeight() so they do not inherit it.
QGroupBox* CaptionedGroup(const QString& name, MsgKey caption, QWidget* parent)
{
    auto* group = new QGroupBox(Msg(caption), parent);
    group->setObjectName(name);
    QFont bold = parent->font();
    bold.setBold(true);
    group->setFont(bold);
    return group;
}

QFont NormalWeight(const QWidget* widget)
{
    QFont font = widget->font();
    font.setBold(false);
    return font;
}

}  // namespace

TfrmSettings::TfrmSettings(TGlobalVars& vars, QWidget* parent) : QDialog(parent), m_vars(vars)
{
    setObjectName(u"frmSettings"_s);
    setWindowTitle(Msg(MSG_SETTINGS_TITLE));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* pages = new QTabWidget(this);
    pages->setObjectName(u"PageControlOptions"_s);
    auto* general = new QWidget(pages);
    general->setObjectName(u"TabSheetGeneral"_s);
    pages->addTab(general, Msg(MSG_GENERAL_PAGE));

    QGroupBox* priority = CaptionedGroup(u"GroupBoxPriority"_s, MSG_THREADPRIORITY, general);
    ComboBoxPriority = new QComboBox(priority);
    ComboBoxPriority->setObjectName(u"ComboBoxPriority"_s);
    ComboBoxPriority->setFont(NormalWeight(this));
    ComboBoxPriority->addItems({Msg(MSG_IDLE), Msg(MSG_NORMAL), Msg(MSG_HIGH), Msg(MSG_REALTIME)});
    ComboBoxPriority->setMinimumWidth(177);
    ComboBoxPriority->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* priorityLayout = new QHBoxLayout(priority);
    priorityLayout->addWidget(ComboBoxPriority);
    priorityLayout->addStretch();

    QGroupBox* directShow = CaptionedGroup(u"GroupBoxDirectShow"_s, MSG_DIRECTSHOW, general);
    CheckBoxDirectShow = new QCheckBox(Msg(MSG_USE_DIRECTSHOW), directShow);
    CheckBoxDirectShow->setObjectName(u"CheckBoxDirectShow"_s);
    CheckBoxDirectShow->setFont(NormalWeight(this));
    auto* directShowLayout = new QHBoxLayout(directShow);
    directShowLayout->addWidget(CheckBoxDirectShow);

    auto* shutdownLabel = new QLabel(Msg(MSG_SHUTDOWN_REAL_DOES), general);
    shutdownLabel->setObjectName(u"LabelShutDown"_s);
    ComboBoxShutdownFlag = new QComboBox(general);
    ComboBoxShutdownFlag->setObjectName(u"ComboBoxShutdownFlag"_s);
    for (int flag = 0; flag < ShutdownActionCount; ++flag)
        ComboBoxShutdownFlag->addItem(ShutdownActionCaption(flag));
    ComboBoxShutdownFlag->setMinimumWidth(145);
    ComboBoxShutdownFlag->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    shutdownLabel->setBuddy(ComboBoxShutdownFlag);
    auto* shutdownRow = new QHBoxLayout;
    shutdownRow->addWidget(shutdownLabel);
    shutdownRow->addStretch();
    shutdownRow->addWidget(ComboBoxShutdownFlag);

    CheckBoxShowAllFormats = new QCheckBox(Msg(MSG_SHOW_ALL_FORMATS), general);
    CheckBoxShowAllFormats->setObjectName(u"CheckBoxShowAllFormats"_s);

    auto* pageLayout = new QVBoxLayout(general);
    pageLayout->addWidget(priority);
    pageLayout->addWidget(directShow);
    pageLayout->addSpacing(6);
    pageLayout->addLayout(shutdownRow);
    pageLayout->addSpacing(6);
    pageLayout->addWidget(CheckBoxShowAllFormats);
    pageLayout->addStretch();

    auto* bottom = new QWidget(this);
    bottom->setObjectName(u"PanelBottom"_s);
    auto* ok = new QPushButton(Msg(MSG_OK), bottom);
    ok->setObjectName(u"ButtonOK"_s);
    ok->setDefault(true);
    auto* cancel = new QPushButton(Msg(MSG_CANCEL), bottom);
    cancel->setObjectName(u"ButtonCancel"_s);
    for (QPushButton* button : {ok, cancel})
        button->setMinimumSize(75, 23);
    auto* bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    bottomLayout->addStretch();
    bottomLayout->addWidget(ok);
    bottomLayout->addWidget(cancel);
    bottomLayout->addStretch();
    connect(ok, &QPushButton::clicked, this, &TfrmSettings::accept);
    connect(cancel, &QPushButton::clicked, this, &TfrmSettings::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addWidget(bottom);
    setMinimumWidth(356);

    ShowListPosition(ComboBoxPriority, m_vars.Priority);
    ShowListPosition(ComboBoxShutdownFlag, m_vars.ShutdownFlag);
    CheckBoxDirectShow->setChecked(m_vars.UseDirectShow);
    CheckBoxShowAllFormats->setChecked(m_vars.ShowAllFormats);
}

void TfrmSettings::accept()
{
    // No selection is stored as -1 in a byte, as it always was.
    m_vars.Priority = quint8(ComboBoxPriority->currentIndex());
    m_vars.ShutdownFlag = quint8(ComboBoxShutdownFlag->currentIndex());
    m_vars.UseDirectShow = CheckBoxDirectShow->isChecked();
    m_vars.ShowAllFormats = CheckBoxShowAllFormats->isChecked();
    try {
        SaveSettings(m_vars, SettingsFilePath());
    } catch (const IniWriteError& error) {
        ShowErrorBox(MsgFormat(MSG_UNABLE_TO_WRITE, error.path()));
    }
    QDialog::accept();
}
