#include "windows/FileInfo.h"

#include "windows/DialogSeam.h"
#include "windows/MessageBoxes.h"

#include "base/FileFunctions.h"
#include "base/ProgramFolder.h"
#include "engine/MediaInfoDll.h"
#include "localisation/MessageTable.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr QSize MinimumSize(400, 250);
// Room for the report's usual line length without scrolling sideways.
constexpr QSize InitialSize(620, 480);

// The save dialog's filter. The captions already carry their patterns, so
// only "All Files" needs a pattern that also matches names without a dot.
QString SaveFilter()
{
    const QStringList pairs =
        FormatText(u"%s (*.txt)|*.txt|%s (*.*)|*.*"_s, {Msg(MSG_TEXTFILE), Msg(MSG_ALLFILES)})
            .split(u'|');
    static const QRegularExpression trailingPatterns(u"\\s*\\([^()]*\\)\\s*$"_s);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < pairs.size(); i += 2) {
        QString caption = pairs[i];
        caption.remove(trailingPatterns);
        QString patterns = pairs[i + 1];
        if (patterns == u"*.*") patterns = u"*"_s;
        filters << caption + u" ("_s + patterns.replace(u';', u' ') + u')';
    }
    return filters.join(u";;"_s);
}

}  // namespace

QByteArray ReportFileBytes(const QString& report)
{
    QString text = report;
    text.replace(u"\r\n"_s, u"\n"_s);
    QStringList lines = text.split(u'\n');
    // A report that ends with a line break has no further, empty line.
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    QByteArray bytes;
    for (const QString& line : std::as_const(lines))
        bytes += line.toUtf8() + '\n';
    return bytes;
}

QString SuggestedReportPath(const QString& documentsDir, const QString& mediaPath)
{
    const QString base = QFileInfo(mediaPath).completeBaseName();
    const QString name = (base.isEmpty() ? Msg(MSG_FILE_INFO_FILE) : base) + u".txt"_s;
    return documentsDir.isEmpty() ? name : QDir(documentsDir).filePath(name);
}

TfrmFileInfo::TfrmFileInfo(QWidget* parent) : QDialog(parent)
{
    setObjectName(u"frmFileInfo"_s);
    setWindowTitle(Msg(MSG_FILEINFO_CAPTION));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMaximizeButtonHint);

    MemoInfo = new QPlainTextEdit(this);
    MemoInfo->setObjectName(u"MemoInfo"_s);
    MemoInfo->setReadOnly(true);
    MemoInfo->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoInfo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* bottom = new QWidget(this);
    bottom->setObjectName(u"PanelBottom"_s);
    bottom->setFixedHeight(40);
    auto* ok = new QPushButton(Msg(MSG_OK), bottom);
    ok->setObjectName(u"btnOK"_s);
    ok->setDefault(true);
    auto* save = new QPushButton(Msg(MSG_SAVE_FILE_INFO), bottom);
    save->setObjectName(u"btnSave"_s);
    for (QPushButton* button : {ok, save})
        button->setMinimumSize(90, 25);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(save, &QPushButton::clicked, this, &TfrmFileInfo::SaveReport);

    // The two buttons stay centred as a pair however the window is sized.
    auto* buttons = new QHBoxLayout(bottom);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(8);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(save);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 0);
    layout->setSpacing(0);
    layout->addWidget(MemoInfo, 1);
    layout->addWidget(bottom);

    setMinimumSize(MinimumSize);
    resize(InitialSize);
}

void TfrmFileInfo::LoadReport(const QString& path)
{
    MemoInfo->clear();
    m_mediaPath = path;
    if (!QFileInfo(path).isFile()) return;
    QString error;
    const std::optional<QString> report = MediaInfoReport(path, error);
    if (!report) return;
    QString text = *report;
    text.replace(u"\r\n"_s, u"\n"_s);
    MemoInfo->setPlainText(text);
}

QString TfrmFileInfo::Report() const { return MemoInfo->toPlainText(); }

bool TfrmFileInfo::SaveReport()
{
    QString caption = Msg(MSG_SAVE_FILE_INFO);
    while (caption.endsWith(u'.'))
        caption.chop(1);
    const QString suggested = SuggestedReportPath(ShellFolderPath(u"Personal"_s), m_mediaPath);
    const QString path = ChooseSaveFile(this, caption, suggested, SaveFilter(), u"txt"_s);
    if (path.isEmpty()) return false;
    if (!WriteFileAtomically(path, ReportFileBytes(Report()))) {
        ShowErrorBox(MsgFormat(MSG_UNABLE_TO_WRITE, QDir::toNativeSeparators(path)));
        return false;
    }
    return true;
}

void ShowFileInformation(QWidget* owner, const QString& path)
{
    TfrmFileInfo window(owner);
    window.setWindowTitle(MsgFormat(MSG_FILE_INFO, QFileInfo(path).fileName()));
    window.LoadReport(path);
    ExecModal(window);
}
