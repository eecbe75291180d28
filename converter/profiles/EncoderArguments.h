#pragma once

#include "profiles/ProfileRecords.h"

#include <QString>

// A format's encoder options composed from a profile file: the file is read
// into a copy of the format's record (fields it lacks keep the record's
// values), so the records and GlobalVars stay as they are. Every fragment
// ends in one blank; a format outside 0..15 gives empty text.
QString BuildEncoderArguments(int format, const QString& profilePath);

// The options of a format composed from its record as it stands.
QString EncoderArgumentsFromRecord(int format);

// The options composed from a given record.
QString EncoderArguments(const TAVISettings& r);
QString EncoderArguments(const TMP4Settings& r);
QString EncoderArguments(const TTGPSettings& r);
QString EncoderArguments(const TMPEGSettings& r);
QString EncoderArguments(const TMovSettings& r);
QString EncoderArguments(const TWmvSettings& r);
QString EncoderArguments(const TRmSettings& r);
QString EncoderArguments(const TSwfSettings& r);
QString EncoderArguments(const TVobSettings& r);
QString EncoderArguments(const TAsfSettings& r);
QString EncoderArguments(const TAacSettings& r);
QString EncoderArguments(const TAc3Settings& r);
QString EncoderArguments(const TMp2Settings& r);
QString EncoderArguments(const TMp3Settings& r);
QString EncoderArguments(const TAmrSettings& r);
QString EncoderArguments(const TWavSettings& r);
