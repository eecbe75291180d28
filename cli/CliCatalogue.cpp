#include "CliCatalogue.h"

#include "base/OutputFormats.h"
#include "profiles/DeviceProfiles.h"

using namespace Qt::StringLiterals;

namespace {

bool isPlainNumber(const QString& text)
{
    if (text.isEmpty() || text.size() > 9) return false;
    for (const QChar c : text)
        if (c < u'0' || c > u'9') return false;
    return true;
}

QString numbered(const QStringList& names, const QString& indent)
{
    QString text;
    for (qsizetype i = 0; i < names.size(); ++i)
        text += indent + QString::number(i).rightJustified(3) + u"  "_s + names.at(i) + u'\n';
    if (names.isEmpty()) text += indent + u"  (none)\n"_s;
    return text;
}

QStringList captionsOf(const QList<TDeviceMenuEntry>& menu)
{
    QStringList captions;
    for (const TDeviceMenuEntry& entry : menu)
        captions += entry.Caption;
    return captions;
}

QStringList titlesOf(const QList<TProfileDetailItem>& items)
{
    QStringList titles;
    for (const TProfileDetailItem& item : items)
        titles += item.Title;
    return titles;
}

// Ends the message of an unknown name: the entries to choose from.
QString choices(const QStringList& names)
{
    return u" Choose a name or number of these:\n"_s + numbered(names, {}).chopped(1);
}

QString deviceListing(const QList<TDeviceMenuEntry>& menu)
{
    QString text;
    for (qsizetype i = 0; i < menu.size(); ++i) {
        text += QString::number(i).rightJustified(3) + u"  "_s + menu.at(i).Caption + u'\n';
        text += numbered(titlesOf(LoadDeviceProfileItems(menu.at(i).FilePath)), u"     "_s);
    }
    if (menu.isEmpty()) text += u"  (none)\n"_s;
    return text;
}

}  // namespace

std::optional<int> FindChoice(const QStringList& names, const QString& wanted)
{
    if (const qsizetype exact = names.indexOf(wanted); exact >= 0) return int(exact);
    for (qsizetype i = 0; i < names.size(); ++i)
        if (names.at(i).compare(wanted, Qt::CaseInsensitive) == 0) return int(i);
    if (!isPlainNumber(wanted)) return std::nullopt;
    const int index = wanted.toInt();
    if (index >= names.size()) return std::nullopt;
    return index;
}

QString ChooseProfile(TProfileCatalogue& catalogue, TGlobalVars& vars, const CliOptions& options)
{
    const int format = options.format;
    const QString formatName = OutputFormatOf(format)->CliName.toString();
    if (OutputFormatOf(format)->DeviceScript) {
        const int kind = format == ofMP4 ? dmMP4 : dm3GP;
        const QList<TDeviceMenuEntry>& menu = kind == dmMP4 ? catalogue.Mp4Menu : catalogue.TgpMenu;
        const QStringList captions = captionsOf(menu);
        const QString device = options.device.isEmpty() ? u"0"_s : options.device;
        const std::optional<int> at = FindChoice(captions, device);
        if (!at || !catalogue.SelectDeviceProfile(vars, kind, *at)) {
            if (isPlainNumber(device))
                return u"There is no device profile "_s + device + u" for "_s + formatName +
                       u" (there are "_s + QString::number(captions.size()) + u")."_s;
            return u"There is no "_s + formatName + u" device profile \""_s + device + u"\"."_s +
                   choices(captions);
        }

        const QString owner = u"The device profile \""_s + menu.at(*at).Caption + u'"';
        const QString item = options.item.isEmpty() ? u"0"_s : options.item;
        const QStringList titles = titlesOf(catalogue.Items);
        const std::optional<int> chosen = FindChoice(titles, item);
        if (!chosen) {
            if (isPlainNumber(item))
                return owner + u" has no item "_s + item + u" (it has "_s +
                       QString::number(titles.size()) + u")."_s;
            return owner + u" has no item \""_s + item + u"\"."_s + choices(titles);
        }
        catalogue.SelectedItem = *chosen;
        return {};
    }
    vars.OutputFormat = quint8(format);
    TProfileList& list = catalogue.Lists[format];
    if (options.profile.isEmpty()) {
        if (list.Names.isEmpty())
            return u"There is no "_s + formatName + u" profile in "_s + vars.ProfileDir[format];
        list.Selected = 0;
        return {};
    }
    list.Selected = FindChoice(list.Names, options.profile).value_or(-1);
    if (list.Selected < 0)
        return u"There is no "_s + formatName + u" profile \""_s + options.profile +
               u"\". The profiles are: "_s + list.Names.join(u", "_s);
    return {};
}

QString CatalogueListing(const TProfileCatalogue& catalogue, int format)
{
    QString text = u"Formats and their profiles (--format FMT --profile NAME|NUMBER):\n"_s;
    for (const TOutputFormat& f : OutputFormats()) {
        if (format >= 0 && f.Index != format) continue;
        if (f.DeviceScript)
            text += f.CliName.toString() + u": converted by the device profiles below\n"_s;
        else
            text += f.CliName.toString() + u'\n' + numbered(catalogue.Lists[f.Index].Names, {});
    }
    const QString choose =
        u" device profiles and their items (--device NAME|NUMBER --item NAME|NUMBER):\n"_s;
    if (format < 0 || format == ofMP4)
        text += u"\nMP4"_s + choose + deviceListing(catalogue.Mp4Menu);
    if (format < 0 || format == of3GP)
        text += u"\n3GP"_s + choose + deviceListing(catalogue.TgpMenu);
    return text;
}
