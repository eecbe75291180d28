#pragma once

#include <QList>
#include <QString>

#include <utility>

// A profile installed with the program: its format, name, description and the
// values that differ from the format's defaults, as the profile file spells them.
struct ShippedProfile {
    int format;
    QString name;
    QString description;
    QList<std::pair<QString, QString>> values;
};

// The installed profiles of every format; within a format the default one
// comes first and also sorts first by name.
const QList<ShippedProfile>& ShippedProfiles();

// The profile file name of a shipped profile, relative to the profile root.
QString ShippedProfilePath(const ShippedProfile& profile);

// Writes every shipped profile below root; returns the first problem, or
// empty text.
QString WriteShippedProfiles(const QString& root);
