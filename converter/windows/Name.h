#pragma once

#include <QDialog>
#include <QString>

#include <optional>

class QLineEdit;

// The profile name dialog. OK with a name that cannot be a file name says so
// and stays open with the name selected for correction.
class TfrmName : public QDialog {
    Q_OBJECT

public:
    explicit TfrmName(QWidget* parent = nullptr);

    // The field's text, as typed.
    QString Name() const;
    void SetName(const QString& name);

    void accept() override;

private:
    QLineEdit* EditFileName = nullptr;
};

// Asks for a profile name, the field preset with initial; the accepted text
// as typed, or nothing when the user cancelled.
std::optional<QString> AskProfileName(QWidget* owner, const QString& initial);
