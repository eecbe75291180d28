// Not a test: pictures a stand-in of the main window under a skin, in the
// edition's layout or with all formats shown, so the skin can be looked at.
//
//   skin_preview --skin data/skin/kelp/skin/skin.ini --out main.png
//                [--all] [--lang data/skin/kelp/lang/french.ini] [--empty]
//                [--hover NAME] [--down NAME] [--focus NAME] [--menu menu.png]

#include "base/IniFile.h"
#include "windows/SkinLook.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTreeWidget>

#include <cstdio>

namespace {

QString text(const IniFile* lang, const char* key, const char* english)
{
    QString value = lang ? lang->readString("LANGRES", key, english) : QString(english);
    return value.replace("#13", "\n");
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOptions(
        {{"skin", "skin file", "file"},
         {"out", "picture to write", "file"},
         {"all", "all formats shown"},
         {"lang", "language file", "file"},
         {"empty", "no queued files"},
         {"moss", "the other built-in look, whatever the skin says"},
         {"hover", "control under the mouse", "name"},
         {"down", "control pressed", "name"},
         {"focus", "control with the focus", "name"},
         {"menu", "also picture a menu", "file"},
         {"splash", "also picture the About box's picture", "file"},
         {"box-widths", "widths of the odd and even fact boxes", "odd,even", "196,160"}});
    parser.process(app);
    const bool all = parser.isSet("all");
    std::unique_ptr<IniFile> langFile;
    if (parser.isSet("lang")) langFile = std::make_unique<IniFile>(parser.value("lang"));
    const IniFile* lang = langFile.get();

    QWidget form;
    form.setObjectName("frmMain");
    form.setWindowFlags(Qt::FramelessWindowHint);
    form.setFixedSize(754, 571);
    TSkinTargets t;
    t.Form = &form;
    t.ImageMain = new TSkinImage(&form);
    t.ImageMain->setObjectName("ImageMain");

    auto label = [&](int n, const QString& caption, QWidget* parent) {
        auto* l = new QLabel(caption, parent);
        l->setObjectName(QString("Label%1").arg(n));
        l->adjustSize();
        return l;
    };
    const QString title = text(lang, "MSG_APPLICATION_TITLE", "Corvane Clipforge");
    QLabel* label1 = label(1, title, &form);
    QLabel* label2 = label(2, text(lang, "MSG_APPLICATION_VERSION", "version:") + " 2.3", &form);
    QLabel* label3 = label(3, text(lang, "MSG_INPUTFILENAME", "Input File Name:"), &form);
    QLabel* label4 = label(4, text(lang, "MSG_OUTPUTDIR", "Output Directory:"), &form);
    QLabel* label5 = label(5, text(lang, "MSG_PRPFILE", "Profile:"), &form);
    QLabel* label6 =
        label(6, text(lang, "MSG_STATUS_FILES", "Summary: %d files").replace("%d", "4"), &form);
    QLabel* label27 = label(27, text(lang, "MSG_FORMAT", "Format:"), &form);
    for (QLabel* l : {label3, label4, label5, label27}) {
        l->setWordWrap(true);
        l->setFixedWidth(114);
    }
    t.Label[0] = label1;
    t.Label[1] = label2;
    t.Label[2] = label3;
    t.Label[3] = label4;
    t.Label[4] = label5;
    t.Label[5] = label6;

    auto* list = new QTreeWidget(&form);
    list->setObjectName("ListViewFiles");
    list->setHeaderHidden(true);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    t.ListViewFiles = list;
    if (!parser.isSet("empty")) {
        for (const char* file :
             {"/home/ana/Videos/Harbour at dusk.mov", "/home/ana/Videos/Birthday.avi",
              "/home/ana/Videos/Ferry crossing.mp4", "/home/ana/Videos/Trailer (final cut).mkv"})
            list->addTopLevelItem(new QTreeWidgetItem(QStringList{file}));
        list->setCurrentItem(list->topLevelItem(1));
    }

    auto* edit = new QLineEdit("/home/ana/Videos/Converted", &form);
    edit->setObjectName("editOutputFileName");
    t.editOutputFileName = edit;
    auto combo = [&](const char* name, const QStringList& items) {
        auto* c = new QComboBox(&form);
        c->setObjectName(name);
        c->addItems(items);
        return c;
    };
    QComboBox* format = combo("ComboBoxFormat", {"PSP", "PSP (Direct, renamed)"});
    QComboBox* profile = combo("ComboBoxProfile", {"PSP 320x240, MPEG-4, 768 kbit/s"});
    QComboBox* avi = combo("ComboBoxAviProfile", {"DivX, 720x480, 1200 kbit/s"});
    t.ComboBoxAviProfile = avi;

    auto* facts = new QFrame(&form);
    facts->setObjectName("ScrollBox");
    facts->setFrameShape(QFrame::StyledPanel);
    t.ScrollBox = facts;
    const char* factKeys[20][2] = {{"MSG_GENERAL", "General"},
                                   {"MSG_COMPLETENAME", "Complete Name:"},
                                   {"MSG_PLAYTIME", "Play Time:"},
                                   {"MSG_FILESIZE", "File Size:"},
                                   {"MSG_AUDIOCOUNT", "Audio Count:"},
                                   {"MSG_FORMAT", "Format:"},
                                   {"MSG_VIDEOCOUNT", "Video Count:"},
                                   {"MSG_VIDEO", "Video"},
                                   {"MSG_VCODE", "Codec:"},
                                   {"MSG_VBITRATE", "Bitrate:"},
                                   {"MSG_WIDTH", "Width"},
                                   {"MSG_ADPECTRATIO", "Aspect Ratio:"},
                                   {"MSG_HEIGHT", "Height"},
                                   {"MSG_FRAMERATE", "Frame Rate:"},
                                   {"MSG_AUDIO", "Audio"},
                                   {"MSG_ACODEC", "Codec:"},
                                   {"MSG_CHANNELS", "Channels:"},
                                   {"MSG_ABITRATE", "Bitrate:"},
                                   {"MSG_SAMPLINGRATE", "Sampling Rate:"},
                                   {"MSG_MOREINFO", "More Information..."}};
    for (int n = 7; n <= 26; ++n) {
        QLabel* l = label(n, text(lang, factKeys[n - 7][0], factKeys[n - 7][1]), facts);
        if (n == 7 || n == 14 || n == 21) {
            QFont bold = l->font();
            bold.setBold(true);
            l->setFont(bold);
        }
        if (n == 26) {
            l->setTextFormat(Qt::RichText);
            l->setText(QString("<a href=\"#more\">%1</a>").arg(l->text().toHtmlEscaped()));
        }
        l->adjustSize();
        t.Label[n - 1] = l;
    }
    const char* values[16] = {"/home/ana/Videos/Birthday.avi",
                              "00:03:12",
                              "48.2 MiB",
                              "1",
                              "AVI",
                              "1",
                              "MPEG-4 Visual",
                              "1 800 Kbps",
                              "720 pixels",
                              "16:9",
                              "480 pixels",
                              "29.970 fps",
                              "MPEG Audio",
                              "2 channels",
                              "128 Kbps",
                              "48.0 KHz"};
    const int oddWidth = parser.value("box-widths").section(',', 0, 0).toInt();
    const int evenWidth = parser.value("box-widths").section(',', 1, 1).toInt();
    for (int n = 1; n <= 16; ++n) {
        auto* box = new QLineEdit(values[n - 1], facts);
        box->setObjectName(QString("EditBox%1").arg(n));
        box->setReadOnly(true);
        box->setFrame(false);
        box->resize(n % 2 ? oddWidth : evenWidth, 16);
        box->setCursorPosition(0);
        t.EditBox[n - 1] = box;
    }
    facts->setVisible(!parser.isSet("empty"));

    const char* toolbarKeys[13][2] = {
        {"MSG_EXIT", "Exit"},          {"MSG_TOAVI", "To AVI"},     {"MSG_TOMP4", "To MP4"},
        {"MSG_TO3GP", "To 3GP"},       {"MSG_TOMPEG", "To MPEG"},   {"MSG_TOMOV", "To MOV"},
        {"MSG_TOWMV", "To WMV"},       {"MSG_TORM", "To RM"},       {"MSG_TOSWF", "To SWF"},
        {"MSG_TOOTHERS", "To Others"}, {"MSG_BURNDVD", "Burn DVD"}, {"MSG_CAPTURE", "Capture"},
        {"MSG_HELP", "Help"}};
    QList<QAction*> actions;
    auto button = [&](const QString& name, const QString& caption) {
        auto* b = new TSkinButton(&form);
        b->setObjectName(name);
        auto* action = new QAction(caption, &form);
        actions << action;
        b->BindAction(action);
        return b;
    };
    for (int n = 1; n <= 13; ++n)
        t.ToolbarButton[n - 1] =
            button(QString("ToolbarButton%1").arg(n),
                   "\r\r\r\r" + text(lang, toolbarKeys[n - 1][0], toolbarKeys[n - 1][1]));
    for (int k = 1; k <= 3; ++k) {
        t.ToolbarImageLine[k - 1] = new TSkinImage(&form);
        t.ToolbarImageLine[k - 1]->setObjectName(QString("ToolbarImageLine%1").arg(k));
    }
    const char* mainKeys[11][2] = {{"MSG_BROWSE", "Browse..."},
                                   {"MSG_MOVE_UP", "Move Up"},
                                   {"MSG_MOVE_DOWN", "Move Down"},
                                   {"MSG_ADD_FILES", "Add Files..."},
                                   {"MSG_DEL_FILES", "Delete"},
                                   {"MSG_BROWSE", "Browse..."},
                                   {"MSG_EDIT_PROFILE", "Edit Profile"},
                                   {"MSG_PROFILE_MORE", "Profile commands"},
                                   {"MSG_CONVERT", "Convert"},
                                   {"", ""},
                                   {"MSG_TRANSFER_MANAGER", "Transfer Manager"}};
    for (int n = 1; n <= 11; ++n) {
        QString caption = text(lang, mainKeys[n - 1][0], mainKeys[n - 1][1]);
        if (n == 7) caption = "   " + caption;
        t.MainButton[n - 1] = button(QString("MainButton%1").arg(n), caption);
    }
    const char* systemKeys[3][2] = {
        {"MSG_MINIMIZE", "Minimize"}, {"MSG_HELP", "Help"}, {"MSG_CLOSE", "Close"}};
    for (int n = 1; n <= 3; ++n) {
        t.SystemButton[n - 1] = button(QString("SystemButton%1").arg(n),
                                       text(lang, systemKeys[n - 1][0], systemKeys[n - 1][1]));
    }

    if (!ApplySkin(parser.value("skin"), t,
                   all ? TToolbarPictures::Own : TToolbarPictures::Edition)) {
        std::fprintf(stderr, "no skin file\n");
        return 1;
    }
    {
        // Rich text takes its link colour from the application, so the link
        // names the one the look put in the palette.
        auto* more = static_cast<QLabel*>(t.Label[25]);
        more->setText(QString("<a href=\"#more\" style=\"color:%2\">%1</a>")
                          .arg(text(lang, "MSG_MOREINFO", "More Information...").toHtmlEscaped(),
                               SkinLinkColor(!parser.isSet("moss")).name()));
    }
    if (parser.isSet("moss")) ApplySkinLook(&form, false);
    // Texts are measured in the fonts the look gave them.
    for (QLabel* l : form.findChildren<QLabel*>()) {
        l->ensurePolished();
        l->adjustSize();
    }
    label2->move(label1->geometry().right() + 1 + 4, label1->y());
    if (qEnvironmentVariableIsSet("SKIN_PREVIEW_MEASURE"))
        for (QLabel* l : form.findChildren<QLabel*>())
            std::printf("%s %d %s\n", qPrintable(l->objectName()),
                        l->fontMetrics().horizontalAdvance(l->text()), qPrintable(l->text()));
    const QRect lists = avi->geometry();
    format->setGeometry(lists.translated(0, -29));
    profile->setGeometry(lists);
    avi->hide();
    label27->move(label4->x(), 216);
    t.MainButton[10]->setGeometry(620, 204, 115, 32);
    if (all) {
        format->hide();
        label27->hide();
        profile->hide();
        avi->show();
        t.ToolbarButton[1]->setEnabled(false);  // AVI is the current format
    } else {
        for (TSkinButton* b : t.ToolbarButton)
            b->hide();
        t.MainButton[6]->hide();
        t.MainButton[7]->hide();
        auto up = [](QWidget* w, int dy) { w->move(w->x(), w->y() - dy); };
        for (QWidget* w : {static_cast<QWidget*>(list), static_cast<QWidget*>(label3)})
            up(w, 80);
        for (int i = 0; i < 5; ++i)
            up(t.MainButton[i], 80);
        up(t.MainButton[6], 78);
        up(t.MainButton[7], 78);
        up(t.MainButton[8], 35);
        list->resize(list->width(), list->height() + 50);
        for (QWidget* w : {static_cast<QWidget*>(label4), static_cast<QWidget*>(edit),
                           static_cast<QWidget*>(t.MainButton[5])})
            up(w, 30);
    }
    for (TSkinImage* line : t.ToolbarImageLine)
        line->setVisible(all);
    t.MainButton[9]->hide();  // the spare

    auto named = [&](const QString& name) { return form.findChild<QWidget*>(name); };
    if (QWidget* w = named(parser.value("hover"))) w->setAttribute(Qt::WA_UnderMouse);
    if (auto* b = qobject_cast<TSkinButton*>(named(parser.value("down")))) b->setDown(true);
    form.show();
    if (QWidget* w = named(parser.value("focus"))) w->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();

    if (!form.grab().save(parser.value("out"))) return 1;

    if (parser.isSet("splash")) {
        TSkinImage splash;
        splash.SetPicture(ReadSkinLayout(parser.value("skin"))->SplashLeftImage);
        splash.resize(splash.sizeHint());
        if (!splash.grab().save(parser.value("splash"))) return 1;
    }
    if (parser.isSet("menu")) {
        auto* menu = new QMenu(&form);
        menu->setObjectName("PopupMenuHelp");
        menu->addAction(text(lang, "MSG_HELP_CONTENT", "Help Content"));
        menu->addAction("Quick Start...");
        menu->addSeparator();
        QMenu* sub = menu->addMenu("Languages");
        for (const char* l : {"English", "Français", "Deutsch"}) {
            QAction* a = sub->addAction(l);
            a->setCheckable(true);
            a->setChecked(QString(l) == "English");
        }
        QAction* off = menu->addAction("Online Resources...");
        off->setEnabled(false);
        auto* group = new QActionGroup(menu);
        for (const char* f : {"To ASF", "To VOB"}) {
            QAction* a = menu->addAction(f);
            a->setCheckable(true);
            group->addAction(a);
        }
        group->actions().first()->setChecked(true);
        menu->addSeparator();
        menu->addAction("About...");
        menu->setActiveAction(menu->actions().first());
        menu->popup(QPoint(0, 0));
        QApplication::processEvents();
        if (!menu->grab().save(parser.value("menu"))) return 1;
    }
    return 0;
}
