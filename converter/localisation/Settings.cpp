#include "localisation/Settings.h"

#include "base/IniFile.h"

#include <variant>

namespace {

const QString SystemSection = QStringLiteral("System");

// One System key and the state field it holds, in the order they are written.
struct SettingKey {
    const char* key;
    std::variant<QString TGlobalVars::*, quint8 TGlobalVars::*, bool TGlobalVars::*,
                 qint32 TGlobalVars::*>
        field;
};

const SettingKey SystemKeys[] = {
    {"LanguageFile", &TGlobalVars::LanguageFile},
    {"LastInputOpenDir", &TGlobalVars::LastInputOpenDir},
    {"LastOutputOpenDir", &TGlobalVars::LastOutputOpenDir},
    {"Priority", &TGlobalVars::Priority},
    {"ShutdownFlag", &TGlobalVars::ShutdownFlag},
    {"DeleteFileAfterProcessing", &TGlobalVars::DeleteFileAfterProcessing},
    {"ShutdownWindowsWhenDone", &TGlobalVars::ShutdownWindowsWhenDone},
    {"UseDirectShow", &TGlobalVars::UseDirectShow},
    {"TgpiPodPSPProfileFileName", &TGlobalVars::TgpiPodPSPProfileFileName},
    {"MP4MenuIndex", &TGlobalVars::MP4MenuIndex},
    {"ShowAllFormats", &TGlobalVars::ShowAllFormats},
};

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

}  // namespace

bool LoadSettings(TGlobalVars& vars, const QString& settingsPath)
{
    const IniFile file(settingsPath);
    if (!file.existed()) {
        SaveSettings(vars, settingsPath);
        return false;
    }
    vars.OutputFormat = ofMP4;
    for (const SettingKey& setting : SystemKeys) {
        const QString key = QString::fromLatin1(setting.key);
        std::visit(
            Overloaded{
                [&](QString TGlobalVars::*f) {
                    vars.*f = file.readString(SystemSection, key, vars.*f);
                },
                [&](quint8 TGlobalVars::*f) {
                    // Only the low byte is kept: 256 reads as 0.
                    vars.*f = quint8(file.readInteger(SystemSection, key, vars.*f));
                },
                [&](bool TGlobalVars::*f) { vars.*f = file.readBool(SystemSection, key, vars.*f); },
                [&](qint32 TGlobalVars::*f) {
                    vars.*f = file.readInteger(SystemSection, key, vars.*f);
                },
            },
            setting.field);
    }
    return true;
}

void SaveSettings(const TGlobalVars& vars, const QString& settingsPath)
{
    IniFile file(settingsPath);
    for (const SettingKey& setting : SystemKeys) {
        const QString key = QString::fromLatin1(setting.key);
        std::visit(
            Overloaded{
                [&](QString TGlobalVars::*f) { file.setString(SystemSection, key, vars.*f); },
                [&](quint8 TGlobalVars::*f) { file.setInteger(SystemSection, key, vars.*f); },
                [&](bool TGlobalVars::*f) { file.setBool(SystemSection, key, vars.*f); },
                [&](qint32 TGlobalVars::*f) { file.setInteger(SystemSection, key, vars.*f); },
            },
            setting.field);
    }
    file.commit();
}

bool WriteSettingValue(const QString& settingsPath, const QString& section, const QString& key,
                       const QString& value)
{
    try {
        IniFile(settingsPath).writeString(section, key, value);
        return true;
    } catch (const IniWriteError&) {
        return false;
    }
}

bool WriteSettingValue(const QString& settingsPath, const QString& section, const QString& key,
                       qint64 value)
{
    return WriteSettingValue(settingsPath, section, key, QString::number(value));
}
