#include "windows/Main.h"

#include "base/BuildConstants.h"
#include "base/IniFile.h"
#include "base/ProgramFolder.h"
#include "engine/BatchDriver.h"
#include "engine/FactsReader.h"
#include "localisation/LanguageChoice.h"
#include "localisation/MessageTable.h"
#include "localisation/Settings.h"
#include "localisation/Startup.h"
#include "windows/About.h"
#include "windows/DialogSeam.h"
#include "windows/FactsPanel.h"
#include "windows/FileListView.h"
#include "windows/HelpViewer.h"
#include "windows/MessageBoxes.h"
#include "windows/Settings.h"
#include "windows/SkinLook.h"
#include "windows/TrayIcon.h"
#include "windows/WindowFunctions.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QWindow>

#include <iterator>

using namespace Qt::StringLiterals;

namespace {

// Captions drawn under a toolbar button's picture start with line breaks.
const QString UnderPicture = u"\r\n\r\n\r\n\r\n"_s;

struct ActionEntry {
    const char* name;
    std::optional<MsgKey> caption;  // none: a picture-only command
    QString prefix;
    QKeySequence shortcut;
    std::optional<MsgKey> tip;  // the tool tip when there is no caption
};

// Every command of the window; buttons, menus and keys share them.
const ActionEntry Actions[] = {
    {"ActionInputBrowse", MSG_BROWSE, {}, QKeySequence(Qt::CTRL | Qt::Key_N), {}},
    {"ActionAdd", MSG_ADD_FILES, {}, {}, {}},
    {"ActionDel", MSG_DEL_FILES, {}, {}, {}},
    {"ActionMoveUp", {}, {}, QKeySequence(Qt::CTRL | Qt::Key_U), MSG_MOVE_UP},
    {"ActionMoveDown", {}, {}, QKeySequence(Qt::CTRL | Qt::Key_D), MSG_MOVE_DOWN},
    {"ActionClearList", MSG_CLEARLIST, {}, QKeySequence(Qt::SHIFT | Qt::Key_Delete), {}},
    {"ActionSelectAll", MSG_SEL_ALL, {}, QKeySequence(Qt::CTRL | Qt::Key_A), {}},
    {"ActionPlaySource", MSG_PLAY_SOURCE, {}, QKeySequence(Qt::CTRL | Qt::Key_P), {}},
    {"ActionOpenDestinationFolder", MSG_OPEN_DES_FOLDER, {}, {}, {}},
    {"ActionOutputBrowse", MSG_BROWSE, {}, QKeySequence(Qt::CTRL | Qt::Key_O), {}},
    {"ActionConvert", MSG_CONVERT, {}, QKeySequence(Qt::Key_F9), {}},
    {"ActionEditProfile", MSG_EDIT_PROFILE, u"   "_s, QKeySequence(Qt::CTRL | Qt::Key_E), {}},
    {"ActionProfileMore", {}, {}, {}, MSG_PROFILE_MORE},
    {"ActionAddNewProfile", MSG_ADD_PROFILE, {}, QKeySequence(Qt::ALT | Qt::Key_N), {}},
    {"ActionDeleteProfile", MSG_DEL_PROFILE, {}, QKeySequence(Qt::ALT | Qt::Key_Delete), {}},
    {"ActionRenameProfile", MSG_REN_PROFILE, {}, QKeySequence(Qt::Key_F2), {}},
    {"ActionToAVI", MSG_TOAVI, UnderPicture, {}, {}},
    {"ActionToMP4", MSG_TOMP4, UnderPicture, {}, {}},
    {"ActionTo3GP", MSG_TO3GP, UnderPicture, {}, {}},
    {"ActionToMPEG", MSG_TOMPEG, UnderPicture, {}, {}},
    {"ActionToMOV", MSG_TOMOV, UnderPicture, {}, {}},
    {"ActionToWMV", MSG_TOWMV, UnderPicture, {}, {}},
    {"ActionToRM", MSG_TORM, UnderPicture, {}, {}},
    {"ActionToSWF", MSG_TOSWF, UnderPicture, {}, {}},
    {"ActionToVOB", MSG_TOVOB, UnderPicture, {}, {}},
    {"ActionToASF", MSG_TOASF, UnderPicture, {}, {}},
    {"ActionToAAC", MSG_TOAAC, UnderPicture, {}, {}},
    {"ActionToAC3", MSG_TOAC3, UnderPicture, {}, {}},
    {"ActionToMP2", MSG_TOMP2, UnderPicture, {}, {}},
    {"ActionToMP3", MSG_TOMP3, UnderPicture, {}, {}},
    {"ActionToAMR", MSG_TOAMR, UnderPicture, {}, {}},
    {"ActionToWAV", MSG_TOWAV, UnderPicture, {}, {}},
    {"ActionToOthers", MSG_TOOTHERS, UnderPicture, {}, {}},
    {"ActionSettings", MSG_SETTINGS, {}, QKeySequence(Qt::Key_F12), {}},
    {"ActionHelp", {}, {}, {}, MSG_HELP},
    {"ActionHelpContent", MSG_HELP_CONTENT, {}, QKeySequence(Qt::Key_F1), {}},
    {"ActionQuickStart", MSG_QUICK_START, {}, {}, {}},
    {"ActionOnlineResources", MSG_ONLINE_RES, {}, {}, {}},
    {"ActionContactTechnicalSupport", MSG_TECH_SUPPORT, {}, {}, {}},
    {"ActionAbout", MSG_ABOUT, {}, {}, {}},
    {"ActionMin", {}, {}, {}, MSG_MINIMIZE},
    {"ActionClose", {}, {}, QKeySequence(Qt::ALT | Qt::Key_F4), MSG_CLOSE},
    {"ActionExit", MSG_EXIT, UnderPicture, {}, {}},
    {"ActionCapture", MSG_CAPTURE, UnderPicture, {}, {}},
    {"ActionBurnDVD", MSG_BURNDVD, UnderPicture, {}, {}},
    {"ActionTransferManager", MSG_TRANSFER_MANAGER, {}, {}, {}},
    // The toolbar's own short captions of two menu commands, drawn under the
    // picture; the menu's words are their tool tips.
    {"ActionToolbarSettings", MSG_TOOLBAR_SETTINGS, UnderPicture, {}, MSG_SETTINGS},
    {"ActionToolbarHelp", MSG_TOOLBAR_HELP, UnderPicture, {}, MSG_HELP_CONTENT},
};

// The commands that start a sibling program, and its file beside ours.
const std::pair<const char*, QString> SiblingPrograms[] = {{"ActionCapture", u"snapreel"_s},
                                                           {"ActionBurnDVD", u"discreel"_s}};

bool SiblingProgramPresent(const QString& program)
{
    const QFileInfo file(ExecutableFolder() + program);
    return file.isFile() && file.isExecutable();
}

// The format actions, in the order of the output formats.
constexpr int FirstFormatAction = 16;

// The buttons and the commands they carry; 10 is a spare.
const char* const MainButtonActions[11] = {
    "ActionInputBrowse",    "ActionMoveUp",      "ActionMoveDown",    "ActionAdd",     "ActionDel",
    "ActionOutputBrowse",   "ActionEditProfile", "ActionProfileMore", "ActionConvert", nullptr,
    "ActionTransferManager"};
const char* const SystemButtonActions[3] = {"ActionMin", "ActionHelp", "ActionClose"};
const char* const ToolbarButtonActions[13] = {
    "ActionExit",    "ActionToAVI",           "ActionToMP4",      "ActionTo3GP", "ActionToMPEG",
    "ActionToMOV",   "ActionToWMV",           "ActionToRM",       "ActionToSWF", "ActionToOthers",
    "ActionBurnDVD", "ActionToolbarSettings", "ActionToolbarHelp"};

// Where controls lie before the skin moves them; the ones the skin does not
// place stay here.
struct DesignPlace {
    QRect list{120, 120, 482, 84};
    QRect output{120, 214, 482, 21};
    QRect profile{120, 242, 482, 21};
    QRect facts{18, 313, 719, 239};
    QRect transferManager{620, 204, 115, 32};
};
// The format list lies this far above the profile list.
constexpr int FormatRowAbove = 29;
constexpr QPoint LabelDefaults[6] = {{16, 8},   {144, 8},  {30, 122},
                                     {24, 218}, {75, 246}, {120, 280}};

}  // namespace

TfrmMain::TfrmMain(TGlobalVars& vars, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_vars(vars)
{
    setObjectName(u"frmMain"_s);
    setAttribute(Qt::WA_DeleteOnClose, false);
    InstallScreenKeeper();
    InstallSharpIcons();
    createControls();
    createActions();
    createMenus();
    placeDesignLayout();
    applySkin();
    m_front = std::make_unique<TMainFront>(
        m_vars, TMainFrontWidgets{*this, *m_list, *editOutputFileName, *m_tray,
                                  [this] { refreshSummary(); }});
    m_driver = std::make_unique<TBatchDriver>(m_vars, m_front->Parts(), m_catalogue);
    restoreState();
}

TfrmMain::~TfrmMain()
{
    m_reader->disconnect(this);
    m_reader->Cancel();
}

void TfrmMain::createControls()
{
    ImageMain = new TSkinImage(this);
    ImageMain->setObjectName(u"ImageMain"_s);
    connect(ImageMain, &TSkinImage::Pressed, this, &TfrmMain::backgroundPressed);
    connect(ImageMain, &TSkinImage::DoubleClicked, this, &TfrmMain::backgroundDoubleClicked);
    for (int i = 0; i < 6; ++i) {
        m_topLabels[i] = new QLabel(this);
        m_topLabels[i]->setObjectName(u"Label%1"_s.arg(i + 1));
    }
    Label27 = new QLabel(this);
    Label27->setObjectName(u"Label27"_s);
    QFont titleFont = m_topLabels[0]->font();
    titleFont.setBold(true);
    m_topLabels[0]->setFont(titleFont);

    m_list = new TFileListView(this);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->installEventFilter(this);
    connect(m_list, &TFileListView::FilesDropped, this, &TfrmMain::AddFiles);
    connect(m_list, &TFileListView::RowsChanged, this, &TfrmMain::refreshSummary);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] {
        refreshSummary();
        refreshFacts();
    });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &TfrmMain::playSource);
    connect(m_list, &QWidget::customContextMenuRequested, this, &TfrmMain::listContextMenu);

    ScrollBox = new TFactsPanel(this);
    connect(ScrollBox, &TFactsPanel::MoreInformation, this, &TfrmMain::showMoreInformation);

    editOutputFileName = new QLineEdit(this);
    editOutputFileName->setObjectName(u"editOutputFileName"_s);

    ComboBoxFormat = new QComboBox(this);
    ComboBoxFormat->setObjectName(u"ComboBoxFormat"_s);
    connect(ComboBoxFormat, &QComboBox::activated, this, &TfrmMain::SelectFormatListEntry);
    ComboBoxProfile = new QComboBox(this);
    ComboBoxProfile->setObjectName(u"ComboBoxProfile"_s);
    connect(ComboBoxProfile, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_updatingLists) m_catalogue.SelectedItem = index;
    });
    static const char* const ListNames[OutputFormatCount] = {
        "ComboBoxAviProfile", "ComboBoxMp4Profile", "ComboBoxTgpProfile", "ComboBoxMPEGProfile",
        "ComboBoxMovProfile", "ComboBoxWmvProfile", "ComboBoxRmProfile",  "ComboBoxSwfProfile",
        "ComboBoxVobProfile", "ComboBoxAsfProfile", "ComboBoxAacProfile", "ComboBoxAc3Profile",
        "ComboBoxMp2Profile", "ComboBoxMp3Profile", "ComboBoxAmrProfile", "ComboBoxWavProfile"};
    for (int format = 0; format < OutputFormatCount; ++format) {
        auto* list = new QComboBox(this);
        list->setObjectName(QString::fromLatin1(ListNames[format]));
        connect(list, &QComboBox::currentIndexChanged, this, [this, format](int index) {
            if (!m_updatingLists) m_catalogue.Lists[format].Selected = index;
        });
        m_profileLists[format] = list;
    }

    auto makeButton = [this](const QString& name) {
        auto* button = new TSkinButton(this);
        button->setObjectName(name);
        return button;
    };
    for (int n = 0; n < 11; ++n)
        MainButton[n] = makeButton(u"MainButton%1"_s.arg(n + 1));
    for (int n = 0; n < 3; ++n)
        SystemButton[n] = makeButton(u"SystemButton%1"_s.arg(n + 1));
    for (int n = 0; n < 13; ++n)
        ToolbarButton[n] = makeButton(u"ToolbarButton%1"_s.arg(n + 1));
    // A disabled format button marks the current format.
    for (int n = 1; n <= 9; ++n)
        ToolbarButton[n]->SetMarksCurrent(true);
    for (int n = 0; n < 3; ++n) {
        ToolbarImageLine[n] = new TSkinImage(this);
        ToolbarImageLine[n]->setObjectName(u"ToolbarImageLine%1"_s.arg(n + 1));
    }
    // The background lies below everything else.
    ImageMain->lower();

    m_tray = new TTrayIcon(this);
    connect(m_tray, &TTrayIcon::DoubleClicked, this, &TfrmMain::RestoreFromTray);

    TimerShowControls = new QTimer(this);
    TimerShowControls->setSingleShot(true);
    TimerShowControls->setInterval(0);
    connect(TimerShowControls, &QTimer::timeout, this,
            [this] { showToolbar(m_vars.ShowAllFormats); });

    m_showArrived = new QTimer(this);
    m_showArrived->setSingleShot(true);
    m_showArrived->setInterval(0);
    connect(m_showArrived, &QTimer::timeout, this, &TfrmMain::showArrivedRows);
    m_reader = new TFactsReader(this);
    connect(m_reader, &TFactsReader::FactsRead, this, &TfrmMain::onFactsRead);
    connect(m_reader, &TFactsReader::Finished, this, &TfrmMain::onAddingFinished);
}

void TfrmMain::createActions()
{
    for (const ActionEntry& entry : Actions) {
        auto* action = new QAction(this);
        action->setObjectName(QString::fromLatin1(entry.name));
        if (!entry.shortcut.isEmpty()) action->setShortcut(entry.shortcut);
        addAction(action);
    }
    // Delete acts on the list only, so it never eats the key in a text box.
    QAction* del = Action(u"ActionDel"_s);
    del->setShortcut(QKeySequence(Qt::Key_Delete));
    del->setShortcutContext(Qt::WidgetShortcut);
    m_list->addAction(del);
    Action(u"ActionSelectAll"_s)->setShortcutContext(Qt::WidgetWithChildrenShortcut);

    auto on = [this](const char* name, auto handler) {
        connect(Action(QString::fromLatin1(name)), &QAction::triggered, this, handler);
    };
    on("ActionInputBrowse", &TfrmMain::addFilesFromDialog);
    on("ActionAdd", &TfrmMain::addFilesFromDialog);
    on("ActionDel", &TfrmMain::deleteSelected);
    on("ActionMoveUp", [this] { moveSelected(-1); });
    on("ActionMoveDown", [this] { moveSelected(1); });
    on("ActionClearList", &TfrmMain::clearList);
    on("ActionSelectAll", [this] { m_list->selectAll(); });
    on("ActionPlaySource", &TfrmMain::playSource);
    on("ActionOpenDestinationFolder", &TfrmMain::openDestinationFolder);
    on("ActionOutputBrowse", &TfrmMain::chooseOutputFolder);
    on("ActionConvert", &TfrmMain::convert);
    on("ActionEditProfile", [this] { profileCommand(&TProfileCatalogue::EditProfile); });
    on("ActionProfileMore", [this] { popupAtCursor(PopupMenuProfile); });
    on("ActionAddNewProfile", [this] { profileCommand(&TProfileCatalogue::AddProfile); });
    on("ActionDeleteProfile", [this] { profileCommand(&TProfileCatalogue::DeleteProfile); });
    on("ActionRenameProfile", [this] { profileCommand(&TProfileCatalogue::RenameProfile); });
    for (int format = 0; format < OutputFormatCount; ++format) {
        QAction* action = Action(QString::fromLatin1(Actions[FirstFormatAction + format].name));
        m_formatActions[format] = action;
        connect(action, &QAction::triggered, this, [this, format] {
            if (format == ofMP4)
                popupAtCursor(PopupMenuMP4);
            else if (format == of3GP)
                popupAtCursor(PopupMenu3GP);
            else
                SelectFormat(format);
        });
    }
    m_toOthers = Action(u"ActionToOthers"_s);
    on("ActionToOthers", [this] { popupAtCursor(PopupMenuOtherFormats); });
    on("ActionSettings", &TfrmMain::openSettings);
    on("ActionHelp", [this] { popupAtCursor(PopupMenuHelp); });
    on("ActionHelpContent", [this] { ShowHelpTopic(this, BuildConstants::HelpContentTopic); });
    on("ActionQuickStart", [this] { ShowHelpTopic(this, BuildConstants::QuickStartTopic); });
    on("ActionOnlineResources", [] { OpenWebPage(Msg(MSG_HOMEPAGE)); });
    on("ActionContactTechnicalSupport", [] { WriteMailTo(Msg(MSG_SUPPORT_MAIL)); });
    on("ActionAbout", &TfrmMain::openAbout);
    on("ActionMin", [this] { showMinimized(); });
    on("ActionClose", [this] { close(); });
    on("ActionExit", [] { QApplication::exit(0); });
    // The sibling programs are not part of this suite: their commands show
    // only where the program lies beside this one.
    for (const auto& [name, program] : SiblingPrograms) {
        QAction* sibling = Action(QString::fromLatin1(name));
        sibling->setVisible(SiblingProgramPresent(program));
        connect(sibling, &QAction::triggered, this, [program] {
            QProcess::startDetached(ExecutableFolder() + program, {}, ProgramFolder());
        });
    }
    on("ActionTransferManager", &TfrmMain::startTransferManager);
    on("ActionToolbarSettings", [this] { Action(u"ActionSettings"_s)->trigger(); });
    on("ActionToolbarHelp", [this] { Action(u"ActionHelpContent"_s)->trigger(); });

    for (int n = 0; n < 11; ++n)
        if (MainButtonActions[n])
            MainButton[n]->BindAction(Action(QString::fromLatin1(MainButtonActions[n])));
    for (int n = 0; n < 3; ++n)
        SystemButton[n]->BindAction(Action(QString::fromLatin1(SystemButtonActions[n])));
    for (int n = 0; n < 13; ++n)
        ToolbarButton[n]->BindAction(Action(QString::fromLatin1(ToolbarButtonActions[n])));
    MainButton[9]->hide();
}

void TfrmMain::createMenus()
{
    auto action = [this](const char* name) { return Action(QString::fromLatin1(name)); };
    auto menu = [this](const char* name) {
        auto* created = new QMenu(this);
        created->setObjectName(QString::fromLatin1(name));
        return created;
    };
    PopupMenuListViewHaveFile = menu("PopupMenuListViewHaveFile");
    PopupMenuListViewHaveFile->addActions(
        {action("ActionPlaySource"), action("ActionOpenDestinationFolder")});
    PopupMenuListViewHaveFile->addSeparator();
    PopupMenuListViewHaveFile->addActions({action("ActionDel"), action("ActionClearList")});
    PopupMenuListViewHaveFile->addSeparator();
    PopupMenuListViewHaveFile->addAction(action("ActionAdd"));
    PopupMenuListViewHaveFile->addSeparator();
    PopupMenuListViewHaveFile->addAction(action("ActionSelectAll"));

    PopupMenuListViewNoFile = menu("PopupMenuListViewNoFile");
    PopupMenuListViewNoFile->addAction(action("ActionAdd"));
    PopupMenuListViewNoFile->addSeparator();
    PopupMenuListViewNoFile->addAction(action("ActionSettings"));
    PopupMenuListViewNoFile->addSeparator();
    PopupMenuListViewNoFile->addAction(action("ActionHelpContent"));

    PopupMenuHelp = menu("PopupMenuHelp");
    PopupMenuHelp->addActions({action("ActionHelpContent"), action("ActionQuickStart")});
    PopupMenuHelp->addSeparator();
    PopupMenuHelp->addAction(action("ActionSettings"));
    LanguagesMI = PopupMenuHelp->addMenu(QString());
    LanguagesMI->setObjectName(u"LanguagesMI"_s);
    PopupMenuHelp->addSeparator();
    PopupMenuHelp->addActions(
        {action("ActionOnlineResources"), action("ActionContactTechnicalSupport")});
    PopupMenuHelp->addSeparator();
    PopupMenuHelp->addAction(action("ActionAbout"));

    PopupMenuOtherFormats = menu("PopupMenuOtherFormats");
    auto* others = new QActionGroup(this);
    auto addOther = [&](int format) {
        QAction* entry = m_formatActions[format];
        entry->setCheckable(true);
        others->addAction(entry);
        PopupMenuOtherFormats->addAction(entry);
    };
    addOther(ofASF);
    addOther(ofVOB);
    PopupMenuOtherFormats->addSeparator();
    for (int format : {ofAAC, ofAC3, ofMP2, ofMP3, ofAMR, ofWAV})
        addOther(format);

    PopupMenuProfile = menu("PopupMenuProfile");
    PopupMenuProfile->addAction(action("ActionAddNewProfile"));
    PopupMenuProfile->addSeparator();
    PopupMenuProfile->addActions({action("ActionDeleteProfile"), action("ActionRenameProfile")});

    PopupMenuMP4 = menu("PopupMenuMP4");
    PopupMenu3GP = menu("PopupMenu3GP");

    m_trayMenu = menu("PopupMenuTray");
    QAction* show = m_trayMenu->addAction(QString(), this, &TfrmMain::RestoreFromTray);
    show->setObjectName(u"TrayShowWindow"_s);
    m_trayMenu->addSeparator();
    m_trayExit = m_trayMenu->addAction(QString(), this, &TfrmMain::trayExitChosen);
    m_trayExit->setObjectName(u"TrayExit"_s);
    connect(m_trayMenu, &QMenu::aboutToShow, this, &TfrmMain::trayMenuAboutToShow);
    m_tray->SetMenu(m_trayMenu);
}

QAction* TfrmMain::Action(const QString& name) const
{
    return findChild<QAction*>(name, Qt::FindDirectChildrenOnly);
}

void TfrmMain::placeDesignLayout()
{
    const DesignPlace design;
    setFixedSize(754, 571);
    ImageMain->setGeometry(0, 0, 754, 571);
    for (int i = 0; i < 6; ++i)
        m_topLabels[i]->move(LabelDefaults[i]);
    m_list->setGeometry(design.list);
    editOutputFileName->setGeometry(design.output);
    ComboBoxProfile->setGeometry(design.profile);
    for (QComboBox* list : m_profileLists)
        list->setGeometry(design.profile);
    ScrollBox->setGeometry(design.facts);
    for (int n = 0; n < 10; ++n)
        MainButton[n]->setGeometry(620, 120, 115, 25);
    MainButton[10]->setGeometry(design.transferManager);
    for (int n = 0; n < 3; ++n)
        SystemButton[n]->setGeometry(678 + 26 * n, 4, 24, 21);
    for (int n = 0; n < 13; ++n)
        ToolbarButton[n]->setGeometry(n == 0 ? 2 : 66 + 62 * (n - 1), 28, 62, 76);
    for (TSkinImage* line : ToolbarImageLine)
        line->setGeometry(64, 40, 2, 52);
}

void TfrmMain::applySkin()
{
    TSkinTargets targets;
    targets.Form = this;
    targets.ImageMain = ImageMain;
    targets.ListViewFiles = m_list;
    targets.editOutputFileName = editOutputFileName;
    targets.ComboBoxAviProfile = m_profileLists[ofAVI];
    targets.ScrollBox = ScrollBox;
    targets.ToolbarButton = ToolbarButton;
    targets.ToolbarImageLine = ToolbarImageLine;
    targets.MainButton = MainButton;
    targets.SystemButton = SystemButton;
    for (int n = 0; n < 6; ++n)
        targets.Label[n] = m_topLabels[n];
    for (int n = 7; n <= 26; ++n)
        targets.Label[n - 1] = ScrollBox->Label(n);
    for (int n = 1; n <= 16; ++n)
        targets.EditBox[n - 1] = ScrollBox->EditBox(n);

    const TToolbarPictures toolbar =
        m_vars.ShowAllFormats ? TToolbarPictures::Own : TToolbarPictures::Edition;
    const std::optional<TSkinLayout> skin =
        ReadSkinLayout(ProgramFolder() + BuildConstants::SkinFile, toolbar);
    m_defaultSkin = !skin || skin->DefaultSkin;
    if (skin) {
        ApplySkinLayout(*skin, targets);
        const QRect background = ImageMain->geometry();
        setFixedSize(background.x() + background.width(), background.y() + background.height());
    } else {
        ApplySkinLook(this, true);
    }
    ScrollBox->FitBoxes();
    // Every profile list lies where the skin puts the first one, the format
    // list one row above it.
    const QRect profile = m_profileLists[ofAVI]->geometry();
    ComboBoxProfile->setGeometry(profile);
    for (QComboBox* list : m_profileLists)
        list->setGeometry(profile);
    ComboBoxFormat->setGeometry(profile.translated(0, -FormatRowAbove));
    Label27->move(m_topLabels[4]->x(), m_topLabels[4]->y() - FormatRowAbove);
    fitToScreen();
}

void TfrmMain::fitToScreen()
{
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    // Enough of the panel stays for a few facts beside its scroll bar.
    constexpr int LeastFactsHeight = 80;
    const int excess = height() - screen->availableGeometry().height();
    const int shrink = qMin(excess, ScrollBox->height() - LeastFactsHeight);
    if (shrink <= 0) return;
    ScrollBox->resize(ScrollBox->width(), ScrollBox->height() - shrink);
    ImageMain->resize(ImageMain->width(), ImageMain->height() - shrink);
    setFixedSize(width(), height() - shrink);
}

void TfrmMain::layOut()
{
    placeDesignLayout();
    applySkin();
    closeToolbarGaps();
    if (!m_vars.ShowAllFormats) ApplyEditionLayout();
    showToolbar(m_vars.ShowAllFormats);
}

void TfrmMain::closeToolbarGaps()
{
    // The toolbar closes up over a hidden command's button; Exit, and the
    // line before it, keep their place at the end.
    for (int n = 10; n >= 1; --n) {
        TSkinButton* hidden = ToolbarButton[n];
        if (!hidden->BoundAction() || hidden->BoundAction()->isVisible()) continue;
        const int from = hidden->x();
        const int step = ToolbarButton[n + 1]->x() - from;
        int last = from;
        for (int k = 1; k < 13; ++k)
            last = qMax(last, ToolbarButton[k]->x());
        for (int k = 1; k < 13; ++k)
            if (ToolbarButton[k]->x() > from)
                ToolbarButton[k]->move(ToolbarButton[k]->x() - step, ToolbarButton[k]->y());
        for (TSkinImage* line : ToolbarImageLine)
            if (line->x() > from && line->x() < last) line->move(line->x() - step, line->y());
    }
}

void TfrmMain::ApplyEditionLayout()
{
    auto up = [](QWidget* widget, int pixels) { widget->move(widget->x(), widget->y() - pixels); };
    up(m_list, 80);
    up(m_topLabels[2], 80);
    for (int n = 0; n < 5; ++n)
        up(MainButton[n], 80);
    up(MainButton[6], 78);
    up(MainButton[7], 78);
    up(MainButton[8], 35);
    m_list->resize(m_list->width(), m_list->height() + 50);
    up(m_topLabels[3], 30);
    up(editOutputFileName, 30);
    up(MainButton[5], 30);
}

void TfrmMain::showToolbar(bool shown)
{
    // A button whose command is hidden stays hidden.
    for (TSkinButton* button : ToolbarButton)
        button->setVisible(shown && (!button->BoundAction() || button->BoundAction()->isVisible()));
    for (TSkinImage* line : ToolbarImageLine)
        line->setVisible(shown);
    MainButton[6]->setVisible(shown);
    MainButton[7]->setVisible(shown);
    // The format list stands in for the toolbar in this edition.
    ComboBoxFormat->setVisible(!shown);
    Label27->setVisible(!shown);
}

void TfrmMain::restoreState()
{
    bool firstStart = false;
    const QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    try {
        firstStart =
            LoadStartupSettings(m_vars, ProgramFolder(), ShellFolderPath(u"Personal"_s), videos);
    } catch (const IniWriteError& error) {
        ShowErrorBox(error.text());
    }
    if (firstStart) {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    // The language first: it decides which profiles load, and a language
    // file that is gone gives way to English with English profiles.
    QString notice;
    const QString languageError = ApplyLanguage(m_vars, ProgramFolder(), &notice);
    if (!InitProfileFolders(m_vars, ProgramFolder())) {
        m_startupError = Msg(MSG_CREATE_DIR_ERROR);
        return;
    }
    m_catalogue.Load(m_vars);
    refreshProfileLists();
    SelectFormat(m_vars.OutputFormat);
    m_catalogue.RestoreDeviceChoice(m_vars);
    PrepareDefaultOutputFolder(m_vars.LastOutputOpenDir, videos);
    editOutputFileName->setText(m_vars.LastOutputOpenDir);
    RestoreWindowPlacement(SettingsFilePath(), u"Form"_s, this);

    m_startupError = languageError;
    if (!m_startupError.isEmpty()) return;
    if (!notice.isEmpty())
        QTimer::singleShot(0, this, [this, notice] {
            m_front->ShowMessage(notice, Msg(MSG_HINT), TMessageIcon::Warning);
        });
    // Laid out again now the settings say whether every format shows.
    layOut();
    ApplyTexts();
    buildLanguageMenu();
    refreshSummary();
    TimerShowControls->start();

    m_updatingLists = true;
    ComboBoxFormat->clear();
    ComboBoxFormat->addItems({u"PSP"_s, u"PSP (Direct, renamed)"_s});
    m_updatingLists = false;
    if (m_vars.OutputFormat == ofMP4 || !m_vars.ShowAllFormats)
        SelectFormatListEntry(m_vars.MP4MenuIndex);
    refreshDeviceChoice();
}

void TfrmMain::ApplyTexts()
{
    setWindowTitle(Msg(MSG_APPLICATION_TITLE) + u' ' + Msg(MSG_APPLICATION_VERSION) + u' ' +
                   BuildConstants::Version);
    m_topLabels[0]->setText(Msg(MSG_APPLICATION_TITLE));
    m_topLabels[1]->setText(Msg(MSG_APPLICATION_VERSION) + u' ' + BuildConstants::Version);
    m_topLabels[2]->setText(Msg(MSG_INPUTFILENAME));
    m_topLabels[3]->setText(Msg(MSG_OUTPUTDIR));
    m_topLabels[4]->setText(Msg(MSG_PRPFILE));
    Label27->setText(Msg(MSG_FORMAT));
    for (QLabel* label : m_topLabels)
        label->adjustSize();
    Label27->adjustSize();
    // The captions left of the boxes wrap rather than run into them.
    for (QLabel* label : {m_topLabels[2], m_topLabels[3], m_topLabels[4], Label27}) {
        label->setWordWrap(true);
        const int width = qMin(label->sizeHint().width(), qMax(40, m_list->x() - label->x() - 4));
        label->resize(width, label->heightForWidth(width));
    }
    m_topLabels[1]->move(m_topLabels[0]->x() + m_topLabels[0]->width() + 4, m_topLabels[1]->y());
    ScrollBox->ApplyTexts(SkinLinkColor(m_defaultSkin));
    refreshFacts();
    m_list->SetEmptyHint(Msg(MSG_DROP_HINT));

    for (const ActionEntry& entry : Actions) {
        QAction* action = Action(QString::fromLatin1(entry.name));
        const QString caption = entry.caption ? Msg(*entry.caption) : QString();
        action->setText(entry.prefix + caption);
        action->setIconText(caption);
        action->setToolTip(entry.tip ? Msg(*entry.tip) : caption);
    }
    LanguagesMI->setTitle(Msg(MSG_LANG));
    m_trayMenu->actions().first()->setText(Msg(MSG_SHOW_WINDOW));
    trayMenuAboutToShow();
    if (Adding()) MainButton[8]->setText(Msg(MSG_STOP));
    refreshSummary();
}

void TfrmMain::buildLanguageMenu()
{
    LanguagesMI->clear();
    auto* group = new QActionGroup(LanguagesMI);
    const QList<LanguageEntry> entries =
        LanguageMenuEntries(LanguageFolder(ProgramFolder()), m_vars.LanguageFile);
    for (const LanguageEntry& entry : entries) {
        QAction* choice = LanguagesMI->addAction(entry.caption);
        choice->setCheckable(true);
        choice->setChecked(entry.checked);
        group->addAction(choice);
        connect(choice, &QAction::triggered, this,
                [this, caption = entry.caption] { chooseLanguage(caption); });
    }
}

void TfrmMain::chooseLanguage(const QString& caption)
{
    m_vars.LanguageFile = LanguageFileForCaption(caption);
    QString notice;
    const QString error = ApplyLanguage(m_vars, ProgramFolder(), &notice);
    if (!error.isEmpty()) {
        ShowMessageBox(error, Msg(MSG_NO_DAT_FILE_TITLE), mbIconInformation);
        QApplication::exit(1);
        return;
    }
    if (!notice.isEmpty()) m_front->ShowMessage(notice, Msg(MSG_HINT), TMessageIcon::Warning);
    ApplyTexts();
    // The entry of the language in use is checked; an unreadable file gave
    // way to English. The entries stay: the chosen one is still running.
    for (QAction* entry : LanguagesMI->actions())
        entry->setChecked(LanguageFileForCaption(entry->text())
                              .compare(m_vars.LanguageFile, Qt::CaseInsensitive) == 0);
}

void TfrmMain::openSettings()
{
    const bool showAll = m_vars.ShowAllFormats;
    TfrmSettings settings(m_vars, this);
    ExecModal(settings);
    if (m_vars.ShowAllFormats == showAll) return;
    layOut();
    if (!m_vars.ShowAllFormats) SelectFormatListEntry(ComboBoxFormat->currentIndex());
    ApplyTexts();
}

void TfrmMain::openAbout()
{
    TfrmAbout about(this);
    ExecModal(about);
}

void TfrmMain::startTransferManager()
{
    // Started on its own, without arguments; a missing program says nothing.
    QProcess::startDetached(ExecutableFolder() + u"Ferrybox"_s, {}, ProgramFolder());
}

void TfrmMain::popupAtCursor(QMenu* menu) { menu->popup(QCursor::pos()); }

void TfrmMain::closeEvent(QCloseEvent* event)
{
    StopAdding();
    const QString settings = SettingsFilePath();
    try {
        SaveSettings(m_vars, settings);
    } catch (const IniWriteError& error) {
        ShowErrorBox(error.text());
    }
    try {
        SaveWindowPlacement(settings, u"Form"_s, this);
    } catch (const IniWriteError& error) {
        ShowErrorBox(error.text());
    }
    m_tray->Hide();
    event->accept();
    Q_EMIT Closed();
}

void TfrmMain::mousePressEvent(QMouseEvent* event)
{
    // Presses on the labels come here; those on the background come as its signal.
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    backgroundPressed(event->globalPosition().toPoint());
}

void TfrmMain::backgroundPressed(QPoint globalPos)
{
    const QPoint pos = mapFromGlobal(globalPos);
    // A press on the current format's own button opens its menu again.
    for (auto [button, menu] :
         {std::pair{ToolbarButton[2], PopupMenuMP4}, std::pair{ToolbarButton[3], PopupMenu3GP},
          std::pair{ToolbarButton[9], PopupMenuOtherFormats}}) {
        if (button->isVisible() && !button->isEnabled() && button->geometry().contains(pos)) {
            popupAtCursor(menu);
            return;
        }
    }
    if (QWindow* handle = windowHandle()) handle->startSystemMove();
}

void TfrmMain::mouseDoubleClickEvent(QMouseEvent* event)
{
    backgroundDoubleClicked(event->globalPosition().toPoint());
}

void TfrmMain::backgroundDoubleClicked(QPoint globalPos)
{
    const QPoint pos = mapFromGlobal(globalPos);
    if (pos.x() >= 0 && pos.x() < width() && pos.y() < SystemButton[0]->geometry().bottom() + 5)
        showMinimized();
}

void TfrmMain::changeEvent(QEvent* event)
{
    // Minimising the window minimises the whole program, its dialogs too.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && Progress())
        Progress()->showMinimized();
    QWidget::changeEvent(event);
}
