#pragma once

#include <QString>

// Fixed in this build: the English handheld-player edition.
namespace BuildConstants {
inline const QString LanguageFolder = QStringLiteral("skin/kelp/lang");
inline const QString SkinFile = QStringLiteral("skin/kelp/skin/skin.ini");
inline const QString DefaultLanguageFile = QStringLiteral("english.ini");
inline const QString DefaultEncoder = QStringLiteral("avcore.dll");
inline const QString SettingsFileName = QStringLiteral("info.ini");
inline const QString Version = QStringLiteral("2.3");
inline const QString HelpFolder = QStringLiteral("skin/kelp/lang/help");
inline const QString HelpContentTopic = QStringLiteral("Introducing Corvane Clipforge Pro.html");
inline const QString QuickStartTopic = QStringLiteral("The user interface (Overview).html");
}  // namespace BuildConstants
