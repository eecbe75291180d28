#pragma once

#include <QString>

// Reads a profile file into the record of an output format. Only the keys the
// file holds change their fields; a missing or unreadable file, or a value
// that is no integer where one is due, leaves the fields as they were.
void LoadProfileSettings(int format, const QString& path);

// As above, into the given record instead of the format's own; it must be of
// the format's record type (a copy from ProfileRecordOf(format)->copy, say).
void LoadProfileSettings(int format, const QString& path, void* record);

// Writes every field of a format's record into section "General" of the file,
// in the file form's key order: keys already there keep their place, new ones
// go to the end of the section, other keys and sections stay. The file is
// written once, whole; a refused write throws IniWriteError ("Unable to
// write to <path>") and leaves the old file as it was.
void SaveProfileSettings(int format, const QString& path);
