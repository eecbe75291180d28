#include "profiles/ProfileRecords.h"

#include "profiles/ProfileFields.h"

TAVISettings AVISettings;
TMP4Settings MP4Settings;
TTGPSettings TGPSettings;
TMPEGSettings MPEGSettings;
TMovSettings MovSettings;
TWmvSettings WmvSettings;
TRmSettings RmSettings;
TSwfSettings SwfSettings;
TVobSettings VobSettings;
TAsfSettings AsfSettings;
TAacSettings AacSettings;
TAc3Settings Ac3Settings;
TMp2Settings Mp2Settings;
TMp3Settings Mp3Settings;
TAmrSettings AmrSettings;
TWavSettings WavSettings;

void ResetProfileSettings(int format)
{
    const ProfileRecord* table = ProfileRecordOf(format);
    if (!table) return;
    for (const ProfileField& field : table->fields)
        ResetField(field, table->record);
}
