#include "CliOptions.h"

#include "base/OutputFormats.h"

#include <QCommandLineParser>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

QStringList cliFormatNames()
{
    QStringList names;
    for (const TOutputFormat& f : OutputFormats())
        names += f.CliName.toString();
    return names;
}

void print(FILE* stream, const QString& text) { std::fputs(text.toUtf8().constData(), stream); }

}  // namespace

std::optional<CliOptions> ParseCliOptions(const QStringList& arguments, int& exitCode)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Converts media files with the converter's profiles, device profiles and encoder,\n"
        "one after another, into the output folder. Existing files are never overwritten:\n"
        "a taken name gets a counter, as in name(1).mp3. The exit status is 0 when every\n"
        "file converted, 1 when any failed or the batch was stopped (Ctrl+C), 2 for a\n"
        "wrong command line. Sources are never deleted and the computer is never shut\n"
        "down, whatever the converter's settings say.\n"
        "\n"
        "Profiles, device profiles and items are picked by name (the first equal one,\n"
        "else the first equal without regard to case) or by their number, counted from\n"
        "0 in the order --list shows them."_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Shows this help."_s);
    const QCommandLineOption format(
        u"format"_s, u"Output format: "_s + cliFormatNames().join(u", "_s) + u'.', u"FMT"_s);
    const QCommandLineOption profile(
        u"profile"_s,
        u"The format's profile of that name (file name without extension) or number; default "
        "the first one listed. Not for mp4 and 3gp."_s,
        u"NAME|N"_s);
    const QCommandLineOption device(
        u"device"_s,
        u"mp4 and 3gp: the device profile of the format's menu, by title or number "
        "(default 0)."_s,
        u"NAME|N"_s);
    const QCommandLineOption item(
        u"item"_s,
        u"mp4 and 3gp: the item of that device profile, by title or number (default 0)."_s,
        u"NAME|M"_s);
    const QCommandLineOption list(
        u"list"_s,
        u"Prints the formats with their profiles, and the MP4 and 3GP device profiles with "
        "their items, each with its number; only one format's with --format. Converts "
        "nothing."_s);
    const QCommandLineOption output(
        u"output"_s, u"Output folder, created when missing; default the current folder."_s,
        u"DIR"_s);
    const QCommandLineOption printCommand(
        u"print-command"_s,
        u"Prints the encoder command of each file as a line a shell runs as it is (the script "
        "for mp4 and 3gp) and runs nothing."_s);
    const QCommandLineOption printDisplay(
        u"print-display"_s,
        u"Prints the encoder command of each file as the progress window shows it (the script "
        "for mp4 and 3gp) and runs nothing. Not for pasting into a shell."_s);
    const QCommandLineOption info(u"info"_s,
                                  u"Prints what the media library reports about each file."_s);
    parser.addOptions(
        {help, format, profile, device, item, output, printCommand, printDisplay, info, list});
    parser.addPositionalArgument(u"FILE"_s, u"Media files to convert."_s, u"FILE..."_s);

    exitCode = 2;
    if (!parser.parse(arguments)) {
        print(stderr, parser.errorText() + u"\nTry --help.\n"_s);
        return std::nullopt;
    }
    if (parser.isSet(help)) {
        print(stdout, parser.helpText());
        exitCode = 0;
        return std::nullopt;
    }

    CliOptions options;
    options.info = parser.isSet(info);
    options.printCommand = parser.isSet(printCommand);
    options.printDisplay = parser.isSet(printDisplay);
    options.files = parser.positionalArguments();
    options.outputFolder = parser.value(output);
    options.profile = parser.value(profile);
    options.device = parser.value(device);
    options.item = parser.value(item);
    options.list = parser.isSet(list);
    const auto fail = [](const QString& why) {
        print(stderr, why + u"\nTry --help.\n"_s);
        return std::nullopt;
    };
    if (options.list) {
        const bool others = !options.files.isEmpty() || options.info || options.printCommand ||
                            options.printDisplay || parser.isSet(output) || parser.isSet(profile) ||
                            parser.isSet(device) || parser.isSet(item);
        if (others) return fail(u"--list takes no files and no option but --format."_s);
        if (parser.isSet(format)) {
            const TOutputFormat* named = OutputFormatByCliName(parser.value(format));
            if (!named) return fail(u"Unknown format: "_s + parser.value(format));
            options.format = named->Index;
        }
        exitCode = 0;
        return options;
    }
    if (options.files.isEmpty()) return fail(u"No files given."_s);
    if (!options.info) {
        if (!parser.isSet(format)) return fail(u"--format is missing."_s);
        const TOutputFormat* named = OutputFormatByCliName(parser.value(format));
        if (!named) return fail(u"Unknown format: "_s + parser.value(format));
        options.format = named->Index;
    }
    if (options.printCommand && options.printDisplay)
        return fail(u"--print-command and --print-display exclude each other."_s);
    const TOutputFormat* chosen = OutputFormatOf(options.format);
    const bool deviceFormat = chosen && chosen->DeviceScript;
    if (!options.info && !deviceFormat && (parser.isSet(device) || parser.isSet(item)))
        return fail(u"--device and --item apply to mp4 and 3gp only."_s);
    if (deviceFormat && parser.isSet(profile))
        return fail(u"--profile does not apply to "_s + parser.value(format).toLower() +
                    u": use --device and --item."_s);
    exitCode = 0;
    return options;
}
