#include "windows/DialogSeam.h"

#include <QAbstractButton>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QQueue>

using namespace Qt::StringLiterals;

namespace {

struct SeamState {
    bool enabled = false;
    QQueue<DialogSeam::Answer> answers;
    QQueue<QStringList> files;
    QStringList log;
};

SeamState& State()
{
    static SeamState state;
    return state;
}

}  // namespace

void DialogSeam::Enable() { State().enabled = true; }

void DialogSeam::Disable() { State() = SeamState(); }

bool DialogSeam::Enabled() { return State().enabled; }

void DialogSeam::Queue(Answer answer) { State().answers.enqueue(std::move(answer)); }

void DialogSeam::QueuePress(QMessageBox::StandardButton button)
{
    Queue([button](QDialog& dialog) {
        auto* box = qobject_cast<QMessageBox*>(&dialog);
        QAbstractButton* pressed = box ? box->button(button) : nullptr;
        if (pressed)
            pressed->click();
        else
            dialog.reject();
    });
}

void DialogSeam::QueueFiles(const QStringList& files) { State().files.enqueue(files); }

QStringList DialogSeam::Log() { return State().log; }

void DialogSeam::ClearLog() { State().log.clear(); }

void DialogSeam::logDialog(const QDialog& dialog)
{
    const auto* box = qobject_cast<const QMessageBox*>(&dialog);
    State().log << (box ? dialog.windowTitle() + u" | "_s + box->text() : dialog.windowTitle());
}

bool DialogSeam::takeAnswer(Answer& answer)
{
    if (State().answers.isEmpty()) return false;
    answer = State().answers.dequeue();
    return true;
}

bool DialogSeam::takeFiles(QStringList& files)
{
    if (State().files.isEmpty()) return false;
    files = State().files.dequeue();
    return true;
}

int ExecModal(QDialog& dialog)
{
    if (!DialogSeam::Enabled()) return dialog.exec();
    DialogSeam::logDialog(dialog);
    dialog.setResult(QDialog::Rejected);
    DialogSeam::Answer answer;
    if (DialogSeam::takeAnswer(answer))
        answer(dialog);
    else
        dialog.reject();
    return dialog.result();
}

QString QtFileFilter(const QString& pairs)
{
    const QStringList parts = pairs.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns)
            pattern = pattern.trimmed();
        filters << parts[i] + u" ("_s + patterns.join(u' ') + u')';
    }
    return filters.join(u";;"_s);
}

QStringList ChooseOpenFiles(QWidget* owner, const QString& caption, const QString& folder,
                            const QString& filter)
{
    if (DialogSeam::Enabled()) {
        QStringList files;
        DialogSeam::takeFiles(files);
        return files;
    }
    return QFileDialog::getOpenFileNames(owner, caption, folder, filter, nullptr,
                                         QFileDialog::ReadOnly);
}

QString ChooseSaveFile(QWidget* owner, const QString& caption, const QString& suggested,
                       const QString& filter, const QString& defaultSuffix)
{
    if (DialogSeam::Enabled()) {
        QStringList files;
        DialogSeam::takeFiles(files);
        QString chosen = files.value(0);
        if (!chosen.isEmpty() && QFileInfo(chosen).suffix().isEmpty())
            chosen += u'.' + defaultSuffix;
        return chosen;
    }
    QFileDialog dialog(owner, caption, suggested, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles().value(0);
}
