#include "base/SkinFile.h"

#include "base/FileFunctions.h"
#include "base/IniFile.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

const QString NoPicture = u"NONE"_s;

// The file a picture value names inside the skin's folder. Values are
// upper-cased, so every part of the name is looked up without case; "" when
// there is no such file.
QString findPicture(const QString& folder, const QString& value)
{
    QString path = folder;
    const QStringList parts = QString(value).replace(u'\\', u'/').split(u'/', Qt::SkipEmptyParts);
    if (parts.isEmpty()) return {};
    for (const QString& part : parts) {
        const QString entry = FindFileNoCase(path, part);
        if (entry.isEmpty()) return {};
        path += u'/' + entry;
    }
    return QFileInfo(path).isFile() ? path : QString();
}

class SkinReader {
public:
    SkinReader(const QString& file) : m_ini(file), m_folder(QFileInfo(file).absolutePath()) {}

    int number(const QString& section, const QString& key, int defaultValue) const
    {
        return m_ini.readInteger(section, key, defaultValue);
    }

    QString picture(const QString& section, const QString& key) const
    {
        const QString value = m_ini.readString(section, key, NoPicture).toUpper();
        if (value == NoPicture) return {};
        return findPicture(m_folder, value);
    }

    // Left, Top, Width and Height after the prefix, as "Button3Left".
    QRect rect(const QString& section, const QString& prefix, const QRect& defaults) const
    {
        const int left = number(section, prefix + u"Left"_s, defaults.left());
        const int top = number(section, prefix + u"Top"_s, defaults.top());
        const int width = number(section, prefix + u"Width"_s, defaults.width());
        const int height = number(section, prefix + u"Height"_s, defaults.height());
        return QRect(left, top, width, height);
    }

    TSkinButtonPictures buttonPictures(const QString& section, int n) const
    {
        const QString prefix = u"Button%1"_s.arg(n);
        return {picture(section, prefix + u"Normal"_s), picture(section, prefix + u"MouseOn"_s),
                picture(section, prefix + u"MouseDown"_s), picture(section, prefix + u"Disable"_s)};
    }

    TSkinButtonPlace button(const QString& section, int n, const QRect& defaults) const
    {
        const QString prefix = u"Button%1"_s.arg(n);
        return {buttonPictures(section, n), rect(section, prefix, defaults),
                m_ini.readBool(section, prefix + u"Caption"_s, true)};
    }

    bool flag(const QString& section, const QString& key, bool defaultValue) const
    {
        return m_ini.readBool(section, key, defaultValue);
    }

private:
    IniFile m_ini;
    QString m_folder;
};

const QString MainForm = u"MAINFORM"_s;
const QString Toolbar = u"TOOLBAR"_s;
const QString MainButton = u"MAINBUTTON"_s;
const QString SystemButton = u"SYSTEMBUTTON"_s;
const QString LabelSection = u"LABEL"_s;
const QString EditBoxSection = u"EDITBOX"_s;
const QString Splash = u"SPLASH"_s;

constexpr QPoint LabelDefaults[26] = {
    {16, 8},   {144, 8},   {30, 122}, {24, 218},  {75, 246}, {120, 280}, {16, 8},
    {24, 24},  {368, 24},  {24, 40},  {368, 40},  {24, 56},  {368, 56},  {16, 80},
    {24, 96},  {368, 96},  {24, 112}, {368, 112}, {24, 128}, {368, 128}, {16, 152},
    {24, 168}, {368, 168}, {24, 184}, {368, 184}, {584, 216}};
constexpr int EditBoxTopDefaults[8] = {24, 40, 56, 96, 112, 128, 168, 184};

}  // namespace

std::optional<TSkinLayout> ReadSkinLayout(const QString& skinFile, TToolbarPictures toolbar)
{
    const QString file = ResolvePathNoCase(skinFile);
    if (!QFileInfo(file).isFile()) return std::nullopt;
    const SkinReader skin(file);
    TSkinLayout layout;

    layout.DefaultSkin = skin.flag(MainForm, u"DefaultSkin"_s, true);
    layout.Background.Picture = skin.picture(MainForm, u"ImageMainPic"_s);
    // The background's left edge really is keyed "ImageMainLet".
    layout.Background.Rect = QRect(skin.number(MainForm, u"ImageMainLet"_s, 0),
                                   skin.number(MainForm, u"ImageMainTop"_s, 0),
                                   skin.number(MainForm, u"ImageMainWidth"_s, 754),
                                   skin.number(MainForm, u"ImageMainHeight"_s, 571));
    layout.ListView = skin.rect(MainForm, u"ListView"_s, {120, 120, 482, 84});
    layout.EditOutputFile = skin.rect(MainForm, u"EditOutputFile"_s, {120, 214, 482, 21});
    layout.ComboProfile = skin.rect(MainForm, u"ComboProfile"_s, {120, 242, 482, 21});
    layout.ScrollBox = skin.rect(MainForm, u"ScrollBox"_s, {18, 313, 719, 239});

    for (int n = 1; n <= 13; ++n) {
        TSkinButtonPlace& place = layout.ToolbarButtons[n - 1];
        place = skin.button(Toolbar, n, {n == 2 ? 66 : 2, 28, 62, 76});
        if (toolbar == TToolbarPictures::Edition && n >= 2 && n <= 11) {
            const QString disabled = place.Pictures.Disable;
            place.Pictures = {disabled, disabled, disabled, disabled};
        }
    }
    for (int k = 1; k <= 3; ++k) {
        const QString prefix = u"ImageLine%1"_s.arg(k);
        layout.ToolbarLines[k - 1] = {skin.picture(Toolbar, prefix),
                                      skin.rect(Toolbar, prefix, {64, 40, 2, 52})};
    }
    for (int n = 1; n <= 10; ++n)
        layout.MainButtons[n - 1] = skin.button(MainButton, n, {620, 120, 115, 25});
    layout.MainButton11 = layout.MainButtons[5].Pictures;
    for (int n = 1; n <= 3; ++n)
        layout.SystemButtons[n - 1] = skin.button(SystemButton, n, {678, 4, 24, 21});

    for (int n = 1; n <= 26; ++n) {
        const QPoint defaults = LabelDefaults[n - 1];
        layout.Labels[n - 1] = {skin.number(LabelSection, u"Label%1Left"_s.arg(n), defaults.x()),
                                skin.number(LabelSection, u"Label%1Top"_s.arg(n), defaults.y())};
    }
    // A fact box's left edge is under [EDITBOX], its top under [LABEL].
    for (int n = 1; n <= 16; ++n) {
        const int left = skin.number(EditBoxSection, u"EditBox%1Left"_s.arg(n), n % 2 ? 112 : 500);
        const int top =
            skin.number(LabelSection, u"EditBox%1Top"_s.arg(n), EditBoxTopDefaults[(n - 1) / 2]);
        layout.EditBoxes[n - 1] = {left, top};
    }
    layout.SplashLeftImage = skin.picture(Splash, u"LeftImage"_s);
    return layout;
}
