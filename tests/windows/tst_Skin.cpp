#include "base/FileFunctions.h"
#include "base/IniFile.h"
#include "windows/SkinLook.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// A stand-in for the main window: every control the skin places, each at a
// "design" place of its own so that a control the skin left alone shows.
struct MockWindow {
    QWidget form;
    TSkinTargets targets;
    std::vector<QWidget*> all;

    MockWindow()
    {
        form.resize(754, 571);
        targets.Form = &form;
        targets.ImageMain = add(new TSkinImage(&form), "ImageMain");
        targets.ListViewFiles = add(new QWidget(&form), "ListViewFiles");
        targets.editOutputFileName = add(new QLineEdit(&form), "editOutputFileName");
        targets.ComboBoxAviProfile = add(new QWidget(&form), "ComboBoxAviProfile");
        targets.ScrollBox = add(new QWidget(&form), "ScrollBox");
        for (int i = 0; i < 13; ++i)
            targets.ToolbarButton[i] =
                add(new TSkinButton(&form), QString("ToolbarButton%1").arg(i + 1));
        for (int i = 0; i < 3; ++i)
            targets.ToolbarImageLine[i] =
                add(new TSkinImage(&form), QString("ToolbarImageLine%1").arg(i + 1));
        for (int i = 0; i < 11; ++i)
            targets.MainButton[i] = add(new TSkinButton(&form), QString("MainButton%1").arg(i + 1));
        for (int i = 0; i < 3; ++i)
            targets.SystemButton[i] =
                add(new TSkinButton(&form), QString("SystemButton%1").arg(i + 1));
        for (int i = 0; i < 26; ++i)
            targets.Label[i] = add(new QLabel("Label", i < 6 ? &form : targets.ScrollBox),
                                   QString("Label%1").arg(i + 1));
        for (int i = 0; i < 16; ++i)
            targets.EditBox[i] =
                add(new QLineEdit(targets.ScrollBox), QString("EditBox%1").arg(i + 1));
    }

    template <class W>
    W* add(W* widget, const QString& name)
    {
        widget->setObjectName(name);
        widget->setGeometry(DesignPlace(int(all.size())));
        all.push_back(widget);
        return widget;
    }

    static QRect DesignPlace(int index) { return QRect(3 + index, 5 + index, 7, 9); }

    QRect designPlaceOf(const QWidget* widget) const
    {
        return DesignPlace(int(std::find(all.begin(), all.end(), widget) - all.begin()));
    }

    QWidget* named(const QString& name) { return form.findChild<QWidget*>(name); }
};

class TestSkin : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString skinFile() const { return m_dir.filePath("skin.ini"); }

    void writeSkin(const QString& text)
    {
        QFile file(skinFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
    }

    // A picture of one colour.
    QString writePicture(const QString& name, QColor colour, QSize size = QSize(8, 8))
    {
        QImage image(size, QImage::Format_ARGB32);
        image.fill(colour);
        const QString path = m_dir.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        image.save(path, "PNG");
        return path;
    }

    static QColor centre(const QImage& image)
    {
        return image.pixelColor(image.width() / 2, image.height() / 2);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        writePicture("back.png", Qt::darkCyan, QSize(754, 571));
    }

    void init()
    {
        QDir dir(m_dir.path());
        for (const QString& entry : dir.entryList(QDir::Files))
            if (entry != "back.png") dir.remove(entry);
    }

    void onlyBackground_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QRect>("place");
        QTest::newRow("background") << "ImageMain" << QRect(0, 0, 754, 571);
        QTest::newRow("list") << "ListViewFiles" << QRect(120, 120, 482, 84);
        QTest::newRow("output folder") << "editOutputFileName" << QRect(120, 214, 482, 21);
        QTest::newRow("avi profiles") << "ComboBoxAviProfile" << QRect(120, 242, 482, 21);
        QTest::newRow("facts panel") << "ScrollBox" << QRect(18, 313, 719, 239);
        QTest::newRow("toolbar 1") << "ToolbarButton1" << QRect(2, 28, 62, 76);
        QTest::newRow("toolbar 2") << "ToolbarButton2" << QRect(66, 28, 62, 76);
        QTest::newRow("toolbar 13") << "ToolbarButton13" << QRect(2, 28, 62, 76);
        QTest::newRow("separator 3") << "ToolbarImageLine3" << QRect(64, 40, 2, 52);
        QTest::newRow("main button 10") << "MainButton10" << QRect(620, 120, 115, 25);
        QTest::newRow("system button 2") << "SystemButton2" << QRect(678, 4, 24, 21);
        // Labels and fact boxes are only moved.
        QTest::newRow("label 2") << "Label2" << QRect(144, 8, 0, 0);
        QTest::newRow("label 6") << "Label6" << QRect(120, 280, 0, 0);
        QTest::newRow("label 14") << "Label14" << QRect(16, 80, 0, 0);
        QTest::newRow("label 26") << "Label26" << QRect(584, 216, 0, 0);
        QTest::newRow("fact box 1") << "EditBox1" << QRect(112, 24, 0, 0);
        QTest::newRow("fact box 8") << "EditBox8" << QRect(500, 96, 0, 0);
        QTest::newRow("fact box 15") << "EditBox15" << QRect(112, 184, 0, 0);
    }

    void onlyBackground()
    {
        QFETCH(QString, control);
        QFETCH(QRect, place);
        writeSkin("[MAINFORM]\nImageMainPic=back.png\n");
        MockWindow window;
        QVERIFY(ApplySkin(skinFile(), window.targets));

        QWidget* widget = window.named(control);
        QVERIFY(widget);
        QCOMPARE(widget->pos(), place.topLeft());
        if (!place.size().isEmpty()) QCOMPARE(widget->size(), place.size());
        QVERIFY(window.targets.ImageMain->HasPicture());
        QCOMPARE(centre(window.targets.ImageMain->grab().toImage()), QColor(Qt::darkCyan));
    }

    void pictureValues_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("picture");
        QTest::newRow("none") << "none" << false;
        QTest::newRow("None") << "None" << false;
        QTest::newRow("NONE") << "NONE" << false;
        QTest::newRow("blank") << "" << false;
        QTest::newRow("name as on disk") << "back.png" << true;
        QTest::newRow("name in other case") << "BACK.Png" << true;
        QTest::newRow("quoted") << "\"back.png\"" << true;
        QTest::newRow("in a folder") << "art\\Face.png" << true;
        QTest::newRow("folder only") << "art" << false;
        QTest::newRow("missing file") << "gone.png" << false;
    }

    void pictureValues()
    {
        QFETCH(QString, value);
        QFETCH(bool, picture);
        writePicture("art/face.png", Qt::red);
        // NONE means no picture even where a file of that name exists.
        writePicture("none", Qt::red);
        writeSkin(
            QString("[MAINFORM]\nImageMainPic=%1\n[SYSTEMBUTTON]\nButton2MouseOn=%1\n").arg(value));
        const std::optional<TSkinLayout> layout = ReadSkinLayout(skinFile());
        QVERIFY(layout);
        QCOMPARE(!layout->Background.Picture.isEmpty(), picture);
        QCOMPARE(!layout->SystemButtons[1].Pictures.MouseOn.isEmpty(), picture);
        if (picture) QVERIFY(QFileInfo(layout->Background.Picture).isFile());

        MockWindow window;
        ApplySkinLayout(*layout, window.targets);
        QCOMPARE(window.targets.ImageMain->HasPicture(), picture);
    }

    void factBoxPlaces_data()
    {
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QPoint>("place");
        QTest::newRow("defaults") << "" << QPoint(112, 40);
        QTest::newRow("top under EDITBOX") << "[EDITBOX]\nEditBox3Top=99\n" << QPoint(112, 40);
        QTest::newRow("top under LABEL") << "[LABEL]\nEditBox3Top=99\n" << QPoint(112, 99);
        QTest::newRow("left under EDITBOX") << "[EDITBOX]\nEditBox3Left=77\n" << QPoint(77, 40);
        QTest::newRow("left under LABEL") << "[LABEL]\nEditBox3Left=77\n" << QPoint(112, 40);
        QTest::newRow("not a number") << "[EDITBOX]\nEditBox3Left=far\n" << QPoint(112, 40);
    }

    void factBoxPlaces()
    {
        QFETCH(QString, lines);
        QFETCH(QPoint, place);
        writeSkin("[MAINFORM]\n" + lines);
        MockWindow window;
        QVERIFY(ApplySkin(skinFile(), window.targets));
        QCOMPARE(window.targets.EditBox[2]->pos(), place);
    }

    void missingSkinFileChangesNothing()
    {
        MockWindow window;
        const QString sheet = window.form.styleSheet();
        QVERIFY(!ApplySkin(m_dir.filePath("absent.ini"), window.targets));
        QVERIFY(!ReadSkinLayout(m_dir.filePath("absent.ini")));
        for (size_t i = 0; i < window.all.size(); ++i)
            QCOMPARE(window.all[i]->geometry(), MockWindow::DesignPlace(int(i)));
        QVERIFY(!window.targets.ImageMain->HasPicture());
        QCOMPARE(window.form.styleSheet(), sheet);
    }

    void skinFileNameWithoutCase()
    {
        writeSkin("[MAINFORM]\nListViewTop=7\n");
        const std::optional<TSkinLayout> layout = ReadSkinLayout(m_dir.filePath("SKIN.INI"));
        QVERIFY(layout);
        QCOMPARE(layout->ListView.top(), 7);
    }

    void missingPictureLeavesItsStateEmpty()
    {
        const QString hover = writePicture("hover.png", Qt::green);
        writeSkin(
            "[MAINBUTTON]\nButton1Normal=normal.png\nButton1MouseOn=hover.png\n"
            "Button1Left=10\nButton1Top=11\nButton1Width=30\nButton1Height=20\n"
            "[LABEL]\nLabel5Left=33\n");
        MockWindow window;
        QVERIFY(ApplySkin(skinFile(), window.targets));
        TSkinButton* button = window.targets.MainButton[0];
        QCOMPARE(button->Pictures(), (TSkinButtonPictures{"", hover, "", ""}));
        QCOMPARE(button->geometry(), QRect(10, 11, 30, 20));
        QCOMPARE(window.targets.Label[4]->x(), 33);
        QCOMPARE(window.targets.ListViewFiles->geometry(), QRect(120, 120, 482, 84));
    }

    void toolbarPictures_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("own");
        QTest::addColumn<bool>("allDisabled");
        QTest::newRow("exit, edition") << 1 << false << false;
        QTest::newRow("avi, edition") << 2 << false << true;
        QTest::newRow("others, edition") << 10 << false << true;
        QTest::newRow("burn, edition") << 11 << false << true;
        QTest::newRow("12, edition") << 12 << false << false;
        QTest::newRow("13, edition") << 13 << false << false;
        QTest::newRow("avi, own") << 2 << true << false;
        QTest::newRow("burn, own") << 11 << true << false;
    }

    void toolbarPictures()
    {
        QFETCH(int, button);
        QFETCH(bool, own);
        QFETCH(bool, allDisabled);
        QString text = "[TOOLBAR]\n";
        const QStringList states = {"Normal", "MouseOn", "MouseDown", "Disable"};
        QStringList files;
        for (const QString& state : states) {
            files << writePicture(state.toLower() + ".png", Qt::blue);
            text += QString("Button%1%2=%3.png\n").arg(button).arg(state, state.toLower());
        }
        writeSkin(text);
        const std::optional<TSkinLayout> layout =
            ReadSkinLayout(skinFile(), own ? TToolbarPictures::Own : TToolbarPictures::Edition);
        QVERIFY(layout);
        const TSkinButtonPictures expected =
            allDisabled ? TSkinButtonPictures{files[3], files[3], files[3], files[3]}
                        : TSkinButtonPictures{files[0], files[1], files[2], files[3]};
        QCOMPARE(layout->ToolbarButtons[button - 1].Pictures, expected);
    }

    void mainButton11TakesButton6Pictures()
    {
        const QString face = writePicture("six.png", Qt::yellow);
        writeSkin("[MAINBUTTON]\nButton6MouseDown=six.png\nButton6Left=50\n");
        MockWindow window;
        QVERIFY(ApplySkin(skinFile(), window.targets));
        QCOMPARE(window.targets.MainButton[10]->Pictures(),
                 (TSkinButtonPictures{"", "", face, ""}));
        // It keeps its own place.
        QCOMPARE(window.targets.MainButton[10]->geometry(),
                 window.designPlaceOf(window.targets.MainButton[10]));
        QCOMPARE(window.targets.MainButton[5]->x(), 50);
    }

    void buttonStates_data()
    {
        QTest::addColumn<bool>("withPictures");
        QTest::newRow("four pictures") << true;
        QTest::newRow("no pictures") << false;
    }

    // Each state draws its own picture; a state without one draws nothing,
    // so the background shows through.
    void buttonStates()
    {
        QFETCH(bool, withPictures);
        const QColor colours[4] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
        TSkinButtonPictures pictures;
        if (withPictures)
            pictures = {writePicture("n.png", colours[0]), writePicture("h.png", colours[1]),
                        writePicture("d.png", colours[2]), writePicture("x.png", colours[3])};
        QWidget parent;
        QPalette palette = parent.palette();
        palette.setColor(QPalette::Window, Qt::magenta);
        parent.setPalette(palette);
        TSkinButton button(&parent);
        button.SetPictures(pictures);
        button.setGeometry(0, 0, 20, 20);

        auto drawn = [&] { return centre(button.grab().toImage()); };
        auto expect = [&](int state) {
            return withPictures ? colours[state] : QColor(Qt::magenta);
        };
        QCOMPARE(button.CurrentState(), TSkinButton::State::Normal);
        QCOMPARE(drawn(), expect(0));
        button.setAttribute(Qt::WA_UnderMouse);
        QCOMPARE(button.CurrentState(), TSkinButton::State::MouseOn);
        QCOMPARE(drawn(), expect(1));
        button.setDown(true);
        QCOMPARE(button.CurrentState(), TSkinButton::State::MouseDown);
        QCOMPARE(drawn(), expect(2));
        button.setDown(false);
        button.setEnabled(false);
        QCOMPARE(button.CurrentState(), TSkinButton::State::Disable);
        QCOMPARE(drawn(), expect(3));
    }

    // Drawn at twice the pixels, an SVG edge between two device pixels stays
    // sharp; a picture rendered at 1x and enlarged would blur it.
    void svgSharpAtDoubleRatio()
    {
        QFile svg(m_dir.filePath("half.svg"));
        QVERIFY(svg.open(QIODevice::WriteOnly));
        svg.write(
            "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"21\" height=\"4\" "
            "viewBox=\"0 0 21 4\"><rect width=\"10.5\" height=\"4\" fill=\"#ff0000\"/>"
            "<rect x=\"10.5\" width=\"10.5\" height=\"4\" fill=\"#0000ff\"/></svg>");
        svg.close();
        const TSkinPicture picture(svg.fileName());
        QVERIFY(picture.IsValid());
        QCOMPARE(picture.NaturalSize(), QSize(21, 4));

        QImage canvas(42, 8, QImage::Format_ARGB32_Premultiplied);
        canvas.setDevicePixelRatio(2);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        picture.Paint(painter, QRect(0, 0, 21, 4));
        painter.end();
        QCOMPARE(canvas.pixelColor(20, 4), QColor(Qt::red));
        QCOMPARE(canvas.pixelColor(21, 4), QColor(Qt::blue));
    }

    void captionPlace_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("below");
        QTest::newRow("over the picture") << "Convert" << false;
        QTest::newRow("with blanks before") << "   Edit" << false;
        QTest::newRow("after carriage returns") << "\r\r\r\rMP4" << true;
        QTest::newRow("after line breaks") << "\r\n\r\n\r\n\r\nMP4" << true;
    }

    // Where the caption's ink lies in a 54x74 toolbar-sized button.
    void captionPlace()
    {
        QFETCH(QString, caption);
        QFETCH(bool, below);
        QWidget parent;
        QPalette palette = parent.palette();
        palette.setColor(QPalette::Window, Qt::black);
        parent.setPalette(palette);
        TSkinButton button(&parent);
        button.setProperty("captionColor", QColor(Qt::white));
        button.setGeometry(0, 0, 54, 74);
        button.setText(caption);
        const QImage image = button.grab().toImage();
        int top = image.height(), bottom = -1, left = image.width(), right = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y).lightness() > 100) {
                    top = qMin(top, y);
                    bottom = qMax(bottom, y);
                    left = qMin(left, x);
                    right = qMax(right, x);
                }
        QVERIFY2(bottom >= 0, "no caption drawn");
        if (below) {
            QVERIFY2(top >= 40, qPrintable(QString("caption starts at %1").arg(top)));
        } else {
            QVERIFY(top < 37 && bottom > 37);
            // Centred, the blanks before it not counted.
            QVERIFY(qAbs((left + right) / 2 - 27) <= 2);
        }

        // A picture-only button draws no caption at all.
        button.SetCaptionShown(false);
        const QImage hidden = button.grab().toImage();
        for (int y = 0; y < hidden.height(); ++y)
            for (int x = 0; x < hidden.width(); ++x)
                QVERIFY(hidden.pixelColor(x, y).lightness() <= 100);
    }

    void bindAction()
    {
        QWidget window;
        TSkinButton button(&window);
        QAction action("\r\r\r\rTo &AVI");
        QSignalSpy triggered(&action, &QAction::triggered);
        button.BindAction(&action);
        QCOMPARE(button.text(), action.text());
        QCOMPARE(button.toolTip(), "To AVI");
        window.show();
        QVERIFY(button.isVisible());

        action.setToolTip("Convert to AVI");
        QCOMPARE(button.toolTip(), "Convert to AVI");
        action.setEnabled(false);
        QVERIFY(!button.isEnabled());
        action.setEnabled(true);

        button.click();
        QCOMPARE(triggered.count(), 1);
        button.setFocus(Qt::TabFocusReason);
        QTest::keyClick(&button, Qt::Key_Return);
        QCOMPARE(triggered.count(), 2);

        // A button the window hid stays hidden while the action changes...
        button.hide();
        action.setText("To MP4");
        action.setEnabled(false);
        QVERIFY(button.isHidden());
        QCOMPARE(button.text(), "To MP4");
        // ...but follows the action's own visibility.
        action.setVisible(false);
        QVERIFY(button.isHidden());
        action.setVisible(true);
        QVERIFY(!button.isHidden());

        // Bound elsewhere, the old action no longer reaches the button.
        QAction other("Other");
        button.BindAction(&other);
        action.setText("Stale");
        QCOMPARE(button.text(), "Other");
        button.setEnabled(true);
        other.setEnabled(true);
        button.click();
        QCOMPARE(triggered.count(), 2);
    }

    void imageReportsPresses()
    {
        QWidget window;
        TSkinImage image(&window);
        image.setGeometry(0, 0, 50, 40);
        window.show();
        QSignalSpy pressed(&image, &TSkinImage::Pressed);
        QSignalSpy doubled(&image, &TSkinImage::DoubleClicked);
        QTest::mousePress(&image, Qt::LeftButton, {}, QPoint(5, 6));
        QTest::mouseRelease(&image, Qt::LeftButton, {}, QPoint(5, 6));
        QTest::mousePress(&image, Qt::RightButton, {}, QPoint(5, 6));
        QCOMPARE(pressed.count(), 1);
        QCOMPARE(pressed.first().first().toPoint(), image.mapToGlobal(QPoint(5, 6)));
        QTest::mouseDClick(&image, Qt::LeftButton, {}, QPoint(7, 8));
        QCOMPARE(doubled.count(), 1);
        QCOMPARE(doubled.first().first().toPoint(), image.mapToGlobal(QPoint(7, 8)));
    }

    void looks_data()
    {
        QTest::addColumn<bool>("defaultSkin");
        QTest::newRow("kelp") << true;
        QTest::newRow("moss") << false;
    }

    // The look dresses the window's own labels, not those of a dialog over it.
    void looks()
    {
        QFETCH(bool, defaultSkin);
        writeSkin(QString("[MAINFORM]\nDefaultSkin=%1\n").arg(defaultSkin ? 1 : 0));
        MockWindow window;
        QDialog dialog(&window.form);
        QLabel dialogLabel("In a dialog", &dialog);
        const QColor platformText = dialogLabel.palette().color(QPalette::WindowText);
        QVERIFY(ApplySkin(skinFile(), window.targets));
        QCOMPARE(window.form.styleSheet(), SkinStyleSheet(defaultSkin));
        QVERIFY(SkinStyleSheet(true) != SkinStyleSheet(false));
        window.form.show();
        dialog.show();

        const QColor windowText = window.targets.Label[2]->palette().color(QPalette::WindowText);
        const QColor background = window.form.palette().color(QPalette::Window);
        QVERIFY(windowText != platformText);
        // Light text on a dark window, far enough apart to read.
        QVERIFY(windowText.lightness() - background.lightness() > 120);
        QCOMPARE(dialogLabel.palette().color(QPalette::WindowText), platformText);
        QVERIFY(SkinLinkColor(defaultSkin).lightness() - background.lightness() > 100);
    }

    // The shipped skin names only pictures that exist and can be drawn, and
    // sets every key rather than leaning on the defaults.
    void shippedSkin()
    {
        const QString file = CLIPFORGE_SKIN_FILE;
        const IniFile ini(file);
        QVERIFY(ini.existed());
        QStringList missing;
        auto need = [&](const QString& section, const QString& key) {
            if (!ini.value(section, key)) missing << section + "/" + key;
        };
        const QStringList rect = {"Left", "Top", "Width", "Height"};
        const QStringList states = {"Normal", "MouseOn", "MouseDown", "Disable"};
        need("MAINFORM", "DefaultSkin");
        need("MAINFORM", "ImageMainPic");
        for (const char* key :
             {"ImageMainLet", "ImageMainTop", "ImageMainWidth", "ImageMainHeight"})
            need("MAINFORM", key);
        for (const char* control : {"ListView", "EditOutputFile", "ComboProfile", "ScrollBox"})
            for (const QString& part : rect)
                need("MAINFORM", QString(control) + part);
        for (const auto& [section, count] :
             {std::pair{"TOOLBAR", 13}, {"MAINBUTTON", 10}, {"SYSTEMBUTTON", 3}})
            for (int n = 1; n <= count; ++n)
                for (const QString& part : states + rect)
                    need(section, QString("Button%1%2").arg(n).arg(part));
        for (int k = 1; k <= 3; ++k)
            for (const QString& part : QStringList{""} + rect)
                need("TOOLBAR", QString("ImageLine%1%2").arg(k).arg(part));
        for (int n = 1; n <= 26; ++n) {
            need("LABEL", QString("Label%1Left").arg(n));
            need("LABEL", QString("Label%1Top").arg(n));
        }
        for (int n = 1; n <= 16; ++n) {
            need("LABEL", QString("EditBox%1Top").arg(n));
            need("EDITBOX", QString("EditBox%1Left").arg(n));
        }
        need("SPLASH", "LeftImage");
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(", ")));

        // Every picture value names a file that draws.
        const QString folder = QFileInfo(file).absolutePath();
        QStringList broken;
        for (const QString& section : ini.sectionNames())
            for (const auto& [key, value] : ini.sectionValues(section)) {
                const bool pictureKey =
                    key.endsWith("Pic") || key == "LeftImage" ||
                    (key.startsWith("ImageLine") && key.size() == 10) ||
                    std::any_of(states.begin(), states.end(),
                                [&](const QString& s) { return key.endsWith(s); });
                if (!pictureKey || value.compare("NONE", Qt::CaseInsensitive) == 0) continue;
                if (!TSkinPicture(folder + "/" + value).IsValid()) broken << key + "=" + value;
            }
        QVERIFY2(broken.isEmpty(), qPrintable(broken.join(", ")));

        // And the reader finds them all, for the edition and for all formats.
        for (TToolbarPictures toolbar : {TToolbarPictures::Edition, TToolbarPictures::Own}) {
            const std::optional<TSkinLayout> layout = ReadSkinLayout(file, toolbar);
            QVERIFY(layout);
            QVERIFY(!layout->Background.Picture.isEmpty());
            QVERIFY(!layout->SplashLeftImage.isEmpty());
            for (const TSkinButtonPlace& place : layout->ToolbarButtons)
                QVERIFY(!place.Pictures.Normal.isEmpty() && !place.Pictures.Disable.isEmpty());
            for (int i = 0; i < 9; ++i)
                QVERIFY(!layout->MainButtons[i].Pictures.MouseOn.isEmpty());
            QVERIFY(!layout->MainButton11.Normal.isEmpty());
        }
    }
};

QTEST_MAIN(TestSkin)
#include "tst_Skin.moc"
