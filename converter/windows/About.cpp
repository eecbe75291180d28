#include "windows/About.h"

#include "windows/SkinLook.h"

#include "windows/WindowFunctions.h"

#include "base/BuildConstants.h"
#include "base/ProgramFolder.h"
#include "localisation/MessageTable.h"

#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// Tall enough for the texts beside it, never taller.
constexpr int PictureMaxHeight = 260;

QLabel* TextLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

// A link that goes to the desktop's browser or mail program, which says so
// when there is none, rather than the label's own silent handling.
QLabel* LinkLabel(const QString& name, const QString& text, const QString& target, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::RichText);
    label->setText(u"<a href=\"%1\">%2</a>"_s.arg(target.toHtmlEscaped(), text.toHtmlEscaped()));
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setToolTip(target);
    QObject::connect(label, &QLabel::linkActivated, label,
                     [target](const QString&) { OpenLink(target); });
    return label;
}

// The picture at its own size, at most PictureMaxHeight high, rendered for
// the screen's pixel ratio so an SVG stays sharp.
QPixmap LoadPicture(const QString& file, qreal pixelRatio)
{
    QImageReader reader(file);
    QSize size = reader.size();
    if (!size.isValid()) return {};
    if (size.height() > PictureMaxHeight)
        size = size.scaled(size.width(), PictureMaxHeight, Qt::KeepAspectRatio);
    reader.setScaledSize(size * pixelRatio);
    const QImage image = reader.read();
    if (image.isNull()) return {};
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(pixelRatio);
    return pixmap;
}

}  // namespace

QString AboutPictureFile(const QString& programFolder)
{
    const std::optional<TSkinLayout> skin =
        ReadSkinLayout(programFolder + BuildConstants::SkinFile);
    return skin ? skin->SplashLeftImage : QString();
}

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(u"frmAbout"_s);
    setWindowTitle(Msg(MSG_ABOUT_CAPTIAON));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* picture = new QLabel(this);
    picture->setObjectName(u"ImageLeft"_s);
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    const QString pictureFile = AboutPictureFile(ProgramFolder());
    if (!pictureFile.isEmpty()) picture->setPixmap(LoadPicture(pictureFile, devicePixelRatioF()));
    picture->setVisible(!picture->pixmap().isNull());

    QLabel* title = TextLabel(u"LabelTitle"_s, Msg(MSG_APPLICATION_TITLE), this);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    title->setFont(titleFont);
    QLabel* version = TextLabel(
        u"LabelVersion"_s, Msg(MSG_APPLICATION_VERSION) + u' ' + BuildConstants::Version, this);
    QLabel* copyright = TextLabel(u"LabelCopyright"_s, Msg(MSG_COPYRIGHT), this);
    QLabel* warning = TextLabel(u"LabelWarning"_s, Msg(MSG_COPYRIGHT_WARNING), this);
    QFont small = warning->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    warning->setFont(small);
    warning->setForegroundRole(QPalette::PlaceholderText);

    const QString homepage = Msg(MSG_HOMEPAGE).trimmed();
    const QString mail = Msg(MSG_SUPPORT_MAIL).trimmed();
    QLabel* web = LinkLabel(u"LabelHomepage"_s, homepage, homepage, this);
    QLabel* support = LinkLabel(u"LabelSupportMail"_s, mail, u"mailto:"_s + mail, this);

    auto* ok = new QPushButton(Msg(MSG_OK), this);
    ok->setObjectName(u"ButtonOK"_s);
    ok->setDefault(true);
    ok->setMinimumWidth(75);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(title);
    texts->addWidget(version);
    texts->addSpacing(10);
    texts->addWidget(copyright);
    texts->addSpacing(6);
    texts->addWidget(web);
    texts->addWidget(support);
    texts->addSpacing(10);
    texts->addWidget(warning);
    texts->addStretch();

    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(picture);
    top->addLayout(texts, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    // Wide enough for the warning to wrap into a few lines, not a column.
    for (QLabel* label : {title, version, copyright, warning})
        label->setMinimumWidth(320);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
