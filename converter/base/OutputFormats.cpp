#include "base/OutputFormats.h"

#include <array>

namespace {

constexpr std::array<TOutputFormat, OutputFormatCount> Formats = {{
    {ofAVI, u"avi", u"avi", u"avo", u".avi", false, 0},
    {ofMP4, u"mp4", u"mp4", u"mpo", u"", true, 1},
    {of3GP, u"3gp", u"3gp", u"3go", u"", true, 2},
    {ofMPEG, u"mpeg", u"mpg", u"mpo", u".mpg", false, 3},
    {ofMOV, u"mov", u"mov", u"moo", u".mov", false, 4},
    {ofWMV, u"wmv", u"wmv", u"wmo", u".wmv", false, 5},
    {ofRM, u"rm", u"rm", u"rmo", u".rm", false, 6},
    {ofSWF, u"swf", u"swf", u"swo", u".swf", false, 7},
    {ofVOB, u"vob", u"vob", u"voo", u".vob", false, 9},
    {ofASF, u"asf", u"asf", u"aso", u".asf", false, 15},
    {ofAAC, u"aac", u"aac", u"aao", u".aac", false, 8},
    {ofAC3, u"ac3", u"ac3", u"aco", u".ac3", false, 10},
    {ofMP2, u"mp2", u"mp2", u"mpo", u".mp2", false, 11},
    {ofMP3, u"mp3", u"mp3", u"mpo", u".mp3", false, 12},
    {ofAMR, u"amr", u"amr", u"amo", u".amr", false, 13},
    {ofWAV, u"wav", u"wav", u"wao", u".wav", false, 14},
}};

constexpr bool indexOrder()
{
    for (int i = 0; i < OutputFormatCount; ++i)
        if (Formats[i].Index != i) return false;
    return true;
}
static_assert(indexOrder(), "the table is looked up by index");

}  // namespace

std::span<const TOutputFormat> OutputFormats() { return Formats; }

const TOutputFormat* OutputFormatOf(int format)
{
    return format >= 0 && format < OutputFormatCount ? &Formats[format] : nullptr;
}

const TOutputFormat* OutputFormatByCliName(QStringView name)
{
    for (const TOutputFormat& f : Formats)
        if (f.CliName.compare(name, Qt::CaseInsensitive) == 0) return &f;
    return nullptr;
}
