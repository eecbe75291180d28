#pragma once

#include "CliOptions.h"
#include "base/globals.h"
#include "profiles/ProfileCatalogue.h"

#include <QString>
#include <QStringList>

#include <optional>

// The entry of names that wanted picks: the one equal to it, else the first
// equal to it without regard to case, else, when wanted is a plain number,
// the entry at that position counted from 0. Nothing when none is.
std::optional<int> FindChoice(const QStringList& names, const QString& wanted);

// Makes the profile, or the device profile and item, that the options name
// the current choice of the catalogue and of vars. Returns why it cannot, or
// "" when it did.
QString ChooseProfile(TProfileCatalogue& catalogue, TGlobalVars& vars, const CliOptions& options);

// What --list prints: every format with its profiles, then the MP4 and the 3GP
// device profiles with their items, each entry with the number that picks it,
// in the order of the catalogue's lists. Only one format (and its device
// profiles) when format is a format index.
QString CatalogueListing(const TProfileCatalogue& catalogue, int format = -1);
