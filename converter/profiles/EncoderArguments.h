#pragma once

#include <QString>

// Loads the profile file into the record of the current output format
// (GlobalVars.OutputFormat) and composes that format's encoder options from
// it. The record stays loaded. Every fragment ends in one blank; a format
// outside 0..15 gives empty text.
QString BuildEncoderArguments(const QString& profilePath);

// The options of a format composed from its record as it stands.
QString EncoderArgumentsFromRecord(int format);
