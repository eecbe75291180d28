#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What one run of clipforge-cli is asked to do.
struct CliOptions {
    int format = -1;  // -1: none given (only --info and --list go without)
    // Each a name or a number counted from 0; empty: the first one listed.
    QString profile;
    QString device;
    QString item;
    QString outputFolder;       // empty: the current folder
    bool printCommand = false;  // shell-quoted, to paste
    bool printDisplay = false;  // as the progress window shows it
    bool info = false;
    bool list = false;  // print the formats, profiles and device profiles
    QStringList files;
};

// Parses the command line; nothing when it is wrong or asks for help, after
// printing why (or the help) to the right stream. exitCode is what main
// should return then.
std::optional<CliOptions> ParseCliOptions(const QStringList& arguments, int& exitCode);
