#include "TestFiles.h"
#include "base/IniFile.h"
#include "base/globals.h"
#include "localisation/MessageTable.h"
#include "profiles/DeviceProfiles.h"
#include "profiles/ProfileCatalogue.h"
#include "profiles/ProfileRecords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString Cancel = "<cancel>";

// Stands in for the editor, the name dialog and the message boxes; the
// editor works on the WAV record, whose few keys keep the saves quick.
struct ScriptedUi : TProfileUi {
    bool saveEditor = true;
    QString name = Cancel;
    bool answer = true;
    QStringList log;
    QString seenDescription;

    bool EditSettings(int) override
    {
        log << "edit";
        seenDescription = WavSettings.Description;
        if (saveEditor) WavSettings.Description = "edited";
        return saveEditor;
    }
    std::optional<QString> AskProfileName(const QString& initial) override
    {
        log << "ask:" + initial;
        return name == Cancel ? std::nullopt : std::optional<QString>(name);
    }
    bool Confirm(const QString& text, const QString& caption) override
    {
        log << "confirm:" + text + "|" + caption;
        return answer;
    }
    void Inform(const QString& text, const QString& caption) override
    {
        log << "inform:" + text + "|" + caption;
    }
};

// Small profile files told apart by their description.
QByteArray profileBytes(const QString& description)
{
    return "[General]\r\nDescription=" + description.toUtf8() + "\r\nVideoCodec=3\r\n";
}

QStringList entriesOf(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                               QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

QStringList titlesOf(const QList<TProfileItem>& items)
{
    QStringList titles;
    for (const TProfileItem& item : items)
        titles << item.Title;
    return titles;
}

QStringList titlesOf(const QList<TProfileDetailItem>& items)
{
    QStringList titles;
    for (const TProfileDetailItem& item : items)
        titles << item.Title;
    return titles;
}

}  // namespace

class TestProfileCatalogue : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    TGlobalVars m_vars;

    QString programFolder() const { return m_dir->path() + '/'; }
    QString wavDir() const { return m_vars.ProfileDir[ofWAV]; }

    void initFolders(const QString& languageFile = "english.ini")
    {
        m_vars.LanguageFile = languageFile;
        QVERIFY(InitProfileFolders(m_vars, programFolder()));
    }

    // Each expected entry is "file=description": the file holds the fixture
    // bytes of that description, or for "edited" the editor's save.
    void verifyWavFolder(const QStringList& expected)
    {
        QStringList files;
        for (const QString& entry : expected)
            files << entry.section('=', 0, 0);
        QCOMPARE(entriesOf(wavDir()), files);
        for (const QString& entry : expected) {
            const QString path = wavDir() + entry.section('=', 0, 0);
            const QString description = entry.section('=', 1);
            if (description == "edited")
                QCOMPARE(IniFile(path).value("General", "Description"), "edited");
            else
                QCOMPARE(readFile(path), profileBytes(description));
        }
    }

    void writeDevice(const QString& file, const QString& title, const QStringList& itemTitles)
    {
        QByteArray text =
            "[Info]\nTitleE=" + title.toUtf8() + "\nDescriptionE=about " + title.toUtf8() + "\n";
        for (int i = 0; i < itemTitles.size(); ++i)
            text += "[Item" + QByteArray::number(i + 1) + "]\nTitleE=" + itemTitles[i].toUtf8() +
                    "\nCommand1=run\n";
        writeFile(m_vars.DeviceProfileDir + file, text);
    }

    // Two PSP profiles whose byte order differs from their order without
    // case, and one 3GP profile.
    void makeDevices(TProfileCatalogue& catalogue)
    {
        QVERIFY(QDir().mkpath(m_vars.DeviceProfileDir));
        writeDevice("B-psp.ini", "PSP two", {"Two-a", "Two-b"});
        writeDevice("a-psp.ini", "PSP one", {"One-a"});
        writeDevice("tgp.ini", "Phone 3GPP", {"Tgp-a"});
        catalogue.Load(m_vars);
    }

private Q_SLOTS:
    void initTestCase() { ResetMessageTable(); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_vars = TGlobalVars();
    }

    void rootName_data()
    {
        QTest::addColumn<QString>("languageFile");
        QTest::addColumn<QString>("root");
        QTest::newRow("english") << "english.ini"
                                 << "profile_en";
        QTest::newRow("upper case") << "FRENCH.ini"
                                    << "profile_fr";
        QTest::newRow("mixed case") << "Deutsch.INI"
                                    << "profile_de";
        QTest::newRow("italian") << "italian.ini"
                                 << "profile_it";
        QTest::newRow("other language") << "spanish.ini"
                                        << "profile";
        QTest::newRow("none") << ""
                              << "profile";
    }

    void rootName()
    {
        QFETCH(QString, languageFile);
        QFETCH(QString, root);
        QCOMPARE(ProfileRootName(languageFile), root);
    }

    void profilePaths_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("mask");
        QTest::newRow("avi") << int(ofAVI) << "avi/my.best.avo"
                             << "avi/*.avo";
        QTest::newRow("3gp") << int(of3GP) << "3gp/my.best.3go"
                             << "3gp/*.3go";
        QTest::newRow("mpeg") << int(ofMPEG) << "mpg/my.best.mpo"
                              << "mpg/*.mpo";
        QTest::newRow("rm") << int(ofRM) << "rm/my.best.rmo"
                            << "rm/*.rmo";
        QTest::newRow("asf") << int(ofASF) << "asf/my.best.aso"
                             << "asf/*.aso";
        QTest::newRow("mp3") << int(ofMP3) << "mp3/my.best.mpo"
                             << "mp3/*.mpo";
        QTest::newRow("wav") << int(ofWAV) << "wav/my.best.wao"
                             << "wav/*.wao";
    }

    void profilePaths()
    {
        QFETCH(int, format);
        QFETCH(QString, path);
        QFETCH(QString, mask);
        initFolders();
        const QString root = programFolder() + "profile_en/";
        QCOMPARE(ProfileFilePath(m_vars, format, "my.best"), root + path);
        QCOMPARE(ProfileMask(m_vars, format), root + mask);
    }

    void freshInstall()
    {
        initFolders("FRENCH.ini");
        const QString root = programFolder() + "profile_fr/";
        QCOMPARE(m_vars.ProfileRootDir, root);
        QCOMPARE(m_vars.DeviceProfileDir, root + "default_setting/");
        QCOMPARE(entriesOf(root),
                 QStringList({"3gp", "aac", "ac3", "amr", "asf", "avi", "mov", "mp2", "mp3", "mp4",
                              "mpg", "rm", "swf", "vob", "wav", "wmv"}));

        TProfileCatalogue catalogue;
        catalogue.Load(m_vars);
        for (int format = 0; format < OutputFormatCount; ++format) {
            QCOMPARE(m_vars.ProfileDir[format], root + FormatFolderWord(format) + '/');
            QVERIFY(catalogue.Lists[format].Names.isEmpty());
            QCOMPARE(catalogue.Lists[format].Selected, -1);
        }
        QVERIFY(catalogue.Mp4Menu.isEmpty());
        QVERIFY(catalogue.TgpMenu.isEmpty());

        // The next start finds them in place.
        QVERIFY(InitProfileFolders(m_vars, programFolder()));
    }

    void folderThatCannotBeMade()
    {
        // A file where the rm folder belongs: the folders made before it in
        // creation order exist, none after it is attempted.
        QVERIFY(QDir().mkpath(programFolder() + "profile_en"));
        writeFile(programFolder() + "profile_en/rm", "in the way");
        m_vars.LanguageFile = "english.ini";
        QVERIFY(!InitProfileFolders(m_vars, programFolder()));
        QCOMPARE(entriesOf(m_vars.ProfileRootDir),
                 QStringList({"3gp", "avi", "mov", "mp4", "mpg", "rm", "wmv"}));
    }

    void fillProfileList_data()
    {
        QTest::addColumn<QStringList>("files");  // a trailing '/' makes a folder
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("select");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("selected");
        QTest::newRow("last extension only") << QStringList{"my.best.avo"} << "*.avo"
                                             << "" << QStringList{"my.best"} << 0;
        QTest::newRow("other extension") << QStringList{"a.mpo", "b.mp3"} << "*.mpo"
                                         << "" << QStringList{"a"} << 0;
        QTest::newRow("extension without case")
            << QStringList{"Loud.MPO", "quiet.mpo", "x.mpox"} << "*.mpo"
            << "" << QStringList{"Loud", "quiet"} << 0;
        QTest::newRow("sorted without case")
            << QStringList{"b.avo", "a.avo", "C.avo", "A.avo"} << "*.avo"
            << "" << QStringList{"A", "a", "b", "C"} << 0;
        QTest::newRow("hidden file, folder skipped")
            << QStringList{".hidden.avo", "sub.avo/"} << "*.avo"
            << "" << QStringList{".hidden"} << 0;
        QTest::newRow("select by name")
            << QStringList{"Fast.avo", "fast.avo", "slow.avo"} << "*.avo"
            << "fast" << QStringList{"Fast", "fast", "slow"} << 1;
        QTest::newRow("name compared with case") << QStringList{"fast.avo", "slow.avo"} << "*.avo"
                                                 << "FAST" << QStringList{"fast", "slow"} << -1;
        QTest::newRow("empty folder") << QStringList{"a.txt"} << "*.avo"
                                      << "" << QStringList{} << -1;
    }

    void fillProfileList()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, pattern);
        QFETCH(QString, select);
        QFETCH(QStringList, names);
        QFETCH(int, selected);
        const QString dir = programFolder();
        for (const QString& file : files) {
            if (file.endsWith('/'))
                QVERIFY(QDir().mkpath(dir + file));
            else
                writeFile(dir + file, "");
        }
        TProfileList list{{"stale"}, 0};
        FillProfileList(list, dir + pattern, select);
        QCOMPARE(list.Names, names);
        QCOMPARE(list.Selected, selected);
    }

    void deviceGroup_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("group");
        QTest::newRow("PSP and 3GPP") << "PSP 3GPP" << int(TDeviceGroup::Tgp);
        QTest::newRow("3GP2") << "Phone 3GP2" << int(TDeviceGroup::Tgp);
        QTest::newRow("iPod before PSP") << "PSP for iPod" << int(TDeviceGroup::IPod);
        QTest::newRow("PSP") << "PSP (Direct)" << int(TDeviceGroup::Psp);
        QTest::newRow("psp lower case") << "psp" << int(TDeviceGroup::Other);
        QTest::newRow("3gpp lower case") << "3gpp phone" << int(TDeviceGroup::Other);
        QTest::newRow("no title") << "" << int(TDeviceGroup::Other);
    }

    void deviceGroup()
    {
        QFETCH(QString, title);
        QFETCH(int, group);
        QCOMPARE(int(DeviceGroupOf(title)), group);
    }

    void loadDeviceProfiles()
    {
        const QString dir = programFolder() + "devices";
        TDeviceGroups groups;
        QVERIFY(!LoadDeviceProfiles(dir, groups));

        QVERIFY(QDir().mkpath(dir));
        writeFile(dir + "/b.ini", "[Info]\nTitleE=PSP b\n");
        writeFile(dir + "/A.INI", "[Info]\nTitleE=PSP A\nDescriptionE=first one\n");
        writeFile(dir + "/c.txt", "[Info]\nTitleE=PSP c\n");
        writeFile(dir + "/phone.ini", "[Info]\nTitleE=Phone 3GPP\n");
        writeFile(dir + "/untitled.ini", "[Other]\nTitleE=PSP\n");
        QVERIFY(LoadDeviceProfiles(dir, groups));
        QCOMPARE(titlesOf(groups.Psp), QStringList({"PSP A", "PSP b"}));
        QCOMPARE(groups.Psp[0].FilePath, dir + "/A.INI");
        QCOMPARE(groups.Psp[0].Description, "first one");
        QCOMPARE(titlesOf(groups.Tgp), QStringList({"Phone 3GPP"}));
        QCOMPARE(titlesOf(groups.Other), QStringList({""}));
        QVERIFY(groups.IPod.isEmpty());
    }

    void deviceItems()
    {
        const QString path = programFolder() + "device.ini";
        writeFile(path,
                  "[Info]\nTitleE=PSP\n"
                  "[Item1]\nTitleE=First\n"
                  "[item3]\nTitleE=Lower case\n"
                  "[Item2]\nCommand1=run\n"
                  " [ Items ] \nTitleE=Plural\n"
                  "[MyItem]\nTitleE=Not an item\n");
        const QList<TProfileDetailItem> items = LoadDeviceProfileItems(path);
        QCOMPARE(titlesOf(items), QStringList({"First", "", "Plural"}));
        QCOMPARE(items[1].SectionName, "Item2");
        QCOMPARE(items[2].SectionName, "Items");
        QCOMPARE(items[2].FilePath, path);

        QVERIFY(LoadDeviceProfileItems(programFolder() + "missing.ini").isEmpty());
    }

    void itemCommands()
    {
        const QString path = programFolder() + "device.ini";
        writeFile(path,
                  "[Item1]\nTitleE=x\nCommand2=second\nEXT=mp4\nCommand1=first\n"
                  "command3=lower case\nCommandLine = \"quoted\"\n"
                  "[Item2]\nCommand1=other\n");
        const TProfileDetailItem item{path, "Item1", "x"};
        QCOMPARE(DeviceItemCommands(item), QStringList({"second", "first", "quoted"}));
        QCOMPARE(DeviceItemExt(item), "mp4");
        QCOMPARE(DeviceItemExt({path, "Item2", ""}), "");
    }

    void selectDeviceProfile_data()
    {
        QTest::addColumn<bool>("menuClick");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("formatListIndex");
        QTest::addColumn<bool>("chosen");
        QTest::addColumn<int>("outputFormat");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("mp4MenuIndex");
        QTest::addColumn<int>("tgpMenuIndex");
        QTest::addColumn<int>("checkedMp4");
        QTest::addColumn<int>("checkedTgp");
        QTest::addColumn<int>("formatListAfter");
        QTest::addColumn<QStringList>("items");
        const QStringList two{"Two-a", "Two-b"};
        const QStringList before{"One-a"};
        QTest::newRow("format list, second entry") << false << 0 << 0 << 1 << true << int(ofMP4)
                                                   << "B-psp.ini" << 1 << 5 << 1 << -1 << 1 << two;
        QTest::newRow("MP4 menu click") << true << int(dmMP4) << 1 << 0 << true << int(ofMP4)
                                        << "B-psp.ini" << 1 << 5 << 1 << -1 << 1 << two;
        QTest::newRow("3GP menu click")
            << true << int(dm3GP) << 0 << 1 << true << int(of3GP) << "tgp.ini" << 5 << 0 << -1 << 0
            << 1 << QStringList{"Tgp-a"};
        QTest::newRow("format list past the menu") << false << 0 << 0 << 2 << false << int(ofAVI)
                                                   << "" << 5 << 5 << -1 << -1 << 2 << before;
        QTest::newRow("3GP position past the menu")
            << true << int(dm3GP) << 1 << 0 << false << int(ofAVI) << "" << 5 << 5 << -1 << -1 << 0
            << before;
        QTest::newRow("negative position") << true << int(dmMP4) << -1 << 0 << false << int(ofAVI)
                                           << "" << 5 << 5 << -1 << -1 << 0 << before;
    }

    void selectDeviceProfile()
    {
        QFETCH(bool, menuClick);
        QFETCH(int, kind);
        QFETCH(int, position);
        QFETCH(int, formatListIndex);
        QFETCH(bool, chosen);
        QFETCH(int, outputFormat);
        QFETCH(QString, file);
        QFETCH(int, mp4MenuIndex);
        QFETCH(int, tgpMenuIndex);
        QFETCH(int, checkedMp4);
        QFETCH(int, checkedTgp);
        QFETCH(int, formatListAfter);
        QFETCH(QStringList, items);

        initFolders();
        TProfileCatalogue catalogue;
        makeDevices(catalogue);
        QCOMPARE(titlesOf(catalogue.Groups.Psp), QStringList({"PSP one", "PSP two"}));
        m_vars.OutputFormat = ofAVI;
        m_vars.MP4MenuIndex = 5;
        m_vars.TgpMenuIndex = 5;
        m_vars.TgpiPodPSPProfileFileName = "before";
        catalogue.LoadDeviceProfileItems(m_vars.DeviceProfileDir + "a-psp.ini");
        catalogue.FormatListIndex = formatListIndex;

        const bool result = menuClick ? catalogue.SelectDeviceProfile(m_vars, kind, position)
                                      : catalogue.SelectDeviceProfile(m_vars);
        QCOMPARE(result, chosen);
        QCOMPARE(int(m_vars.OutputFormat), outputFormat);
        QCOMPARE(m_vars.TgpiPodPSPProfileFileName,
                 chosen ? QString(m_vars.DeviceProfileDir + file) : "before");
        QCOMPARE(m_vars.MP4MenuIndex, mp4MenuIndex);
        QCOMPARE(m_vars.TgpMenuIndex, tgpMenuIndex);
        QCOMPARE(catalogue.CheckedMp4, checkedMp4);
        QCOMPARE(catalogue.CheckedTgp, checkedTgp);
        QCOMPARE(catalogue.FormatListIndex, formatListAfter);
        QCOMPARE(titlesOf(catalogue.Items), items);
        QVERIFY(catalogue.ChosenItem());
        QCOMPARE(catalogue.ChosenItem()->Title, items.first());
    }

    void restoreDeviceChoice_data()
    {
        QTest::addColumn<int>("outputFormat");
        QTest::addColumn<QString>("file");  // in the device folder; "" for no path
        QTest::addColumn<int>("mp4MenuIndex");
        QTest::addColumn<int>("tgpMenuIndex");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<int>("checkedMp4");
        QTest::addColumn<int>("checkedTgp");
        QTest::newRow("MP4") << int(ofMP4) << "B-psp.ini" << 1 << 0 << QStringList{"Two-a", "Two-b"}
                             << 1 << -1;
        QTest::newRow("3GP") << int(of3GP) << "tgp.ini" << 1 << 0 << QStringList{"Tgp-a"} << -1
                             << 0;
        QTest::newRow("vanished file")
            << int(ofMP4) << "gone.ini" << 0 << 0 << QStringList{} << 0 << -1;
        QTest::newRow("no path") << int(ofMP4) << "" << 1 << 0 << QStringList{} << -1 << -1;
        QTest::newRow("other format")
            << int(ofAVI) << "B-psp.ini" << 1 << 0 << QStringList{} << -1 << -1;
        QTest::newRow("position past the menu")
            << int(ofMP4) << "B-psp.ini" << 7 << 0 << QStringList{"Two-a", "Two-b"} << -1 << -1;
    }

    void restoreDeviceChoice()
    {
        QFETCH(int, outputFormat);
        QFETCH(QString, file);
        QFETCH(int, mp4MenuIndex);
        QFETCH(int, tgpMenuIndex);
        QFETCH(QStringList, items);
        QFETCH(int, checkedMp4);
        QFETCH(int, checkedTgp);

        initFolders();
        TProfileCatalogue catalogue;
        makeDevices(catalogue);
        m_vars.OutputFormat = quint8(outputFormat);
        m_vars.TgpiPodPSPProfileFileName =
            file.isEmpty() ? QString() : QString(m_vars.DeviceProfileDir + file);
        m_vars.MP4MenuIndex = mp4MenuIndex;
        m_vars.TgpMenuIndex = tgpMenuIndex;

        catalogue.RestoreDeviceChoice(m_vars);
        QCOMPARE(titlesOf(catalogue.Items), items);
        QCOMPARE(catalogue.SelectedItem, items.isEmpty() ? -1 : 0);
        QCOMPARE(catalogue.CheckedMp4, checkedMp4);
        QCOMPARE(catalogue.CheckedTgp, checkedTgp);
        QCOMPARE(catalogue.FormatListIndex, mp4MenuIndex);
    }

    void addProfile_data()
    {
        QTest::addColumn<bool>("saveEditor");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("overwrite");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QStringList>("log");  // $DIR stands for the WAV folder
        const QStringList asked{"edit", "ask:"};
        const QStringList untouched{"a.wao=old"};
        const QString askOverwrite =
            "confirm:" + MsgFormat(MSG_FILE_EXISTS, "$DIR/a.wao") + "|" + Msg(MSG_OVERWRITE);
        QTest::newRow("new name") << true << "b" << true << QStringList{"a.wao=old", "b.wao=edited"}
                                  << QStringList{"a", "b"} << "b" << asked;
        QTest::newRow("blanks around a letter")
            << true << " x " << true << QStringList{" x .wao=edited", "a.wao=old"}
            << QStringList{" x ", "a"} << " x " << asked;
        QTest::newRow("dotted name")
            << true << "my.best" << true << QStringList{"a.wao=old", "my.best.wao=edited"}
            << QStringList{"a", "my.best"} << "my.best" << asked;
        QTest::newRow("editor cancelled")
            << false << "b" << true << untouched << QStringList{"a"} << "a" << QStringList{"edit"};
        QTest::newRow("name cancelled")
            << true << Cancel << true << untouched << QStringList{"a"} << "a" << asked;
        QTest::newRow("three blanks")
            << true << "   " << true << untouched << QStringList{"a"} << "a" << asked;
        QTest::newRow("slash") << true << "x/y" << true << untouched << QStringList{"a"} << "a"
                               << asked;
        QTest::newRow("existing, No") << true << "a" << false << untouched << QStringList{"a"}
                                      << "a" << asked + QStringList{askOverwrite};
        QTest::newRow("existing, Yes")
            << true << "a" << true << QStringList{"a.wao=edited"} << QStringList{"a"} << "a"
            << asked + QStringList{askOverwrite};
        QTest::newRow("existing in other case, Yes")
            << true << "A" << true << QStringList{"a.wao=edited"} << QStringList{"a"} << "a"
            << asked + QStringList{askOverwrite};
    }

    void addProfile()
    {
        QFETCH(bool, saveEditor);
        QFETCH(QString, name);
        QFETCH(bool, overwrite);
        QFETCH(QStringList, files);
        QFETCH(QStringList, list);
        QFETCH(QString, selected);
        QFETCH(QStringList, log);

        initFolders();
        writeFile(wavDir() + "a.wao", profileBytes("old"));
        TProfileCatalogue catalogue;
        catalogue.Load(m_vars);
        WavSettings.Description = "left over";
        ScriptedUi ui;
        ui.saveEditor = saveEditor;
        ui.name = name;
        ui.answer = overwrite;

        catalogue.AddProfile(ofWAV, m_vars, ui);
        QCOMPARE(ui.log.join('\n'), log.join('\n').replace("$DIR/", wavDir()));
        QCOMPARE(ui.seenDescription, Msg(MSG_NO_DESCRIPTION));
        verifyWavFolder(files);
        QCOMPARE(catalogue.Lists[ofWAV].Names, list);
        QCOMPARE(catalogue.Lists[ofWAV].Text(), selected);
    }

    void addSaveRefused()
    {
        initFolders();
        writeFile(wavDir() + "a.wao", profileBytes("old"));
        TProfileCatalogue catalogue;
        catalogue.Load(m_vars);
        // Even the superuser cannot write into a folder that became a file.
        QVERIFY(QDir(wavDir()).removeRecursively());
        writeFile(m_vars.ProfileRootDir + "wav", "not a folder");
        ScriptedUi ui;
        ui.name = "b";
        catalogue.AddProfile(ofWAV, m_vars, ui);
        // Said, not thrown past the window.
        QCOMPARE(ui.log.last(), "inform:Unable to write to " + wavDir() + "b.wao|" + Msg(MSG_HINT));
        QCOMPARE(catalogue.Lists[ofWAV].Names, QStringList{"a"});
        QCOMPARE(catalogue.Lists[ofWAV].Selected, 0);
    }

    void editProfile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("saveEditor");
        QTest::newRow("saved") << "a.wao" << true;
        QTest::newRow("cancelled") << "a.wao" << false;
        QTest::newRow("extension in upper case, saved") << "a.WAO" << true;
    }

    void editProfile()
    {
        QFETCH(QString, file);
        QFETCH(bool, saveEditor);
        initFolders();
        writeFile(wavDir() + file, profileBytes("A"));
        TProfileCatalogue catalogue;
        catalogue.Load(m_vars);
        writeFile(wavDir() + "z.wao", profileBytes("Z"));
        ScriptedUi ui;
        ui.saveEditor = saveEditor;

        catalogue.EditProfile(ofWAV, m_vars, ui);
        QCOMPARE(ui.seenDescription, "A");
        verifyWavFolder({file + (saveEditor ? "=edited" : "=A"), "z.wao=Z"});
        QCOMPARE(catalogue.Lists[ofWAV].Names, QStringList{"a"});
    }

    void renameProfile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<bool>("failed");
        const QStringList both{"a.wao=A", "b.wao=B"};
        QTest::newRow("free name")
            << "c" << QStringList{"b.wao=B", "c.wao=A"} << QStringList{"b", "c"} << "c" << false;
        QTest::newRow("blanks kept") << " c " << QStringList{" c .wao=A", "b.wao=B"}
                                     << QStringList{" c ", "b"} << " c " << false;
        QTest::newRow("onto an existing profile")
            << "b" << both << QStringList{"a", "b"} << "a" << true;
        QTest::newRow("onto an existing profile in other case")
            << "B" << both << QStringList{"a", "b"} << "a" << true;
        QTest::newRow("case only")
            << "A" << QStringList{"A.wao=A", "b.wao=B"} << QStringList{"A", "b"} << "A" << false;
        QTest::newRow("same name") << "a" << both << QStringList{"a", "b"} << "a" << false;
        QTest::newRow("cancelled") << Cancel << both << QStringList{"a", "b"} << "a" << false;
        QTest::newRow("out of the folder")
            << "../c" << both << QStringList{"a", "b"} << "a" << false;
    }

    void renameProfile()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, files);
        QFETCH(QStringList, list);
        QFETCH(QString, selected);
        QFETCH(bool, failed);
        initFolders();
        writeFile(wavDir() + "a.wao", profileBytes("A"));
        writeFile(wavDir() + "b.wao", profileBytes("B"));
        TProfileCatalogue catalogue;
        catalogue.Load(m_vars);
        ScriptedUi ui;
        ui.name = name;

        catalogue.RenameProfile(ofWAV, m_vars, ui);
        QStringList log{"ask:a"};
        if (failed) log << "inform:" + Msg(MSG_RENAMEFAILD) + "|" + Msg(MSG_RENAMEFAILD_TITLE);
        QCOMPARE(ui.log, log);
        verifyWavFolder(files);
        QCOMPARE(catalogue.Lists[ofWAV].Names, list);
        QCOMPARE(catalogue.Lists[ofWAV].Text(), selected);
        QVERIFY(!QFileInfo::exists(m_vars.ProfileRootDir + "c.wao"));
    }

    void deleteProfile_data()
    {
        QTest::addColumn<QStringList>("profiles");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QStringList>("log");
        const QString ask = "confirm:" + MsgFormat(MSG_SURE_DELETE_PROFILE, "b") + "|" +
                            Msg(MSG_SURE_DELETE_PROFILE_TITLE);
        QTest::newRow("confirmed") << QStringList{"a", "b", "c"} << true
                                   << QStringList{"a.wao=a", "c.wao=c"} << "a" << QStringList{ask};
        QTest::newRow("declined") << QStringList{"a", "b"} << false
                                  << QStringList{"a.wao=a", "b.wao=b"} << "b" << QStringList{ask};
        QTest::newRow("last profile")
            << QStringList{"b"} << true << QStringList{"b.wao=b"} << "b"
            << QStringList{"inform:" + Msg(MSG_LAST_PROFILE) + "|" + Msg(MSG_LAST_PROFILE_TITLE)};
    }

    void deleteProfile()
    {
        QFETCH(QStringList, profiles);
        QFETCH(bool, answer);
        QFETCH(QStringList, files);
        QFETCH(QString, selected);
        QFETCH(QStringList, log);
        initFolders();
        for (const QString& profile : profiles)
            writeFile(wavDir() + profile + ".wao", profileBytes(profile));
        TProfileCatalogue catalogue;
        catalogue.Load(m_vars);
        catalogue.Lists[ofWAV].Selected = int(profiles.indexOf("b"));
        ScriptedUi ui;
        ui.answer = answer;

        catalogue.DeleteProfile(ofWAV, m_vars, ui);
        QCOMPARE(ui.log, log);
        verifyWavFolder(files);
        QCOMPARE(catalogue.Lists[ofWAV].Text(), selected);
    }

    void emptyList()
    {
        // Without a selection there is no file to act on; adding still works.
        initFolders();
        TProfileCatalogue catalogue;
        catalogue.Load(m_vars);
        ScriptedUi ui;
        ui.name = "new";
        catalogue.EditProfile(ofWAV, m_vars, ui);
        catalogue.RenameProfile(ofWAV, m_vars, ui);
        catalogue.DeleteProfile(ofWAV, m_vars, ui);
        QCOMPARE(ui.log, QStringList{});
        QCOMPARE(entriesOf(wavDir()), QStringList{});

        catalogue.AddProfile(ofWAV, m_vars, ui);
        verifyWavFolder({"new.wao=edited"});
        QCOMPARE(catalogue.Lists[ofWAV].Text(), "new");
    }

    void profileNameCheck_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("blanks around a letter") << " x " << true;
        QTest::newRow("dotted") << "my.best" << true;
        QTest::newRow("three blanks") << "   " << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("slash") << "a/b" << false;
        QTest::newRow("backslash") << "a\\b" << false;
        QTest::newRow("colon") << "a:b" << false;
    }

    void profileNameCheck()
    {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QCOMPARE(IsAcceptableProfileName(typed), accepted);
    }
};

QTEST_GUILESS_MAIN(TestProfileCatalogue)
#include "tst_ProfileCatalogue.moc"
