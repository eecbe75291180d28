#include "windows/Name.h"

#include "windows/DialogSeam.h"
#include "windows/MessageBoxes.h"
#include "windows/WindowFunctions.h"

#include "localisation/MessageTable.h"
#include "profiles/ProfileCatalogue.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TfrmName::TfrmName(QWidget* parent) : QDialog(parent)
{
    setObjectName(u"frmName"_s);
    setWindowTitle(Msg(MSG_PROFILE_NAME));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* label = new QLabel(Msg(MSG_ENTER_PROFILE_NAME), this);
    label->setObjectName(u"LabelName"_s);
    EditFileName = new QLineEdit(this);
    EditFileName->setObjectName(u"EditFileName"_s);
    EditFileName->setMinimumWidth(280);
    label->setBuddy(EditFileName);

    QHBoxLayout* buttons = OkCancelButtons(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(EditFileName);
    layout->addSpacing(4);
    layout->addLayout(buttons);
    setFixedHeight(sizeHint().height());
}

QString TfrmName::Name() const { return EditFileName->text(); }

void TfrmName::SetName(const QString& name)
{
    EditFileName->setText(name);
    EditFileName->selectAll();
}

void TfrmName::accept()
{
    if (IsAcceptableProfileName(Name())) {
        QDialog::accept();
        return;
    }
    // Whatever the answer, the user corrects the name or cancels here.
    ShowLocalizedDialog(Msg(MSG_INVALID_FILE_NAME), Msg(MSG_INVALID_FILE_NAME_TITLE),
                        TDialogType::Warning, {Msg(MSG_OK), Msg(MSG_CANCEL)}, dbOK | dbCancel);
    EditFileName->setFocus();
    EditFileName->selectAll();
}

std::optional<QString> AskProfileName(QWidget* owner, const QString& initial)
{
    TfrmName dialog(owner);
    dialog.SetName(initial);
    if (ExecModal(dialog) != QDialog::Accepted) return std::nullopt;
    return dialog.Name();
}
