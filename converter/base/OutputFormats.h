#pragma once

#include "base/globals.h"

#include <QStringView>

#include <span>

// The facts of one output format. Every list that runs over the formats
// (profile folders, file extensions, command-line names, the batch's way of
// converting) reads this one table.
struct TOutputFormat {
    OutputFormatIndex Index;
    QStringView CliName;     // clipforge-cli's --format word
    QStringView FolderWord;  // the profile folder below the profile root
    QStringView ProfileExt;  // a profile file's extension, without the dot
    QStringView OutputExt;   // the output's extension with its dot; "" for device formats
    // Converted by a device profile item's commands rather than by one
    // composed encoder call; the item names the output extension.
    bool DeviceScript;
    // Position in the order the profile folders are made at start-up.
    int CreationRank;
};

// The sixteen formats in index order.
std::span<const TOutputFormat> OutputFormats();

// The format of that index, or nullptr outside 0..15.
const TOutputFormat* OutputFormatOf(int format);

// The format whose CLI name is the given word (compared without case), or nullptr.
const TOutputFormat* OutputFormatByCliName(QStringView name);
