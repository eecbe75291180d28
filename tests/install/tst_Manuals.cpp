// The manual pages say what --help says and man reads them without a
// warning; the shell completes what the program accepts.

#include "ProgramCopy.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

using Options = QMap<QString, QString>;  // "--format FMT" -> its description

QString simplified(const QStringList& lines) { return lines.join(' ').simplified(); }

QString runProgram(
    const QString& program, const QStringList& arguments,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) return "<timed out>";
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The option lines of a --help text: "  --name <VALUE>   Text" and the lines
// that continue the text, up to the blank line that ends the list.
Options helpOptions(const QString& help)
{
    Options options;
    static const QRegularExpression entry(R"(^  (-\S.*?)\s{2,}(\S.*)$)");
    QString current;
    QStringList text;
    auto flush = [&] {
        if (!current.isEmpty()) options.insert(current, simplified(text));
        current.clear();
        text.clear();
    };
    for (const QString& line : help.split('\n')) {
        const QRegularExpressionMatch match = entry.match(line);
        if (match.hasMatch()) {
            flush();
            current = match.captured(1).remove('<').remove('>');
            text << match.captured(2);
        } else if (!current.isEmpty() && line.startsWith("    ") && !line.trimmed().isEmpty()) {
            text << line;
        } else {
            flush();
        }
    }
    flush();
    return options;
}

// The words of a roff macro's arguments: blanks separate them, quotes hold
// blanks in.
QStringList macroArguments(const QString& text)
{
    QStringList words;
    QString word;
    bool quoted = false, inWord = false;
    for (const QChar c : text) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (c == ' ' && !quoted) {
            if (inWord) words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words << word;
    return words;
}

// A line of a page as text: font macros lose their fonts, escapes become the
// characters they stand for.
QString roffText(const QString& line)
{
    QString text = line;
    static const QRegularExpression fontMacro(R"(^\.(B|I|BR|BI|RB|IR|RI|IB)(\s+|$))");
    const QRegularExpressionMatch match = fontMacro.match(line);
    if (match.hasMatch()) {
        const QStringList words = macroArguments(line.mid(match.capturedLength()));
        // One font: the words as written; alternating fonts: run together.
        text = words.join(match.captured(1).size() == 1 ? " " : "");
    }
    return text.replace("\\-", "-").replace("\\e", "\\").replace("\\(aq", "'");
}

// The OPTIONS section of a page: each .TP's tag line and the text after it.
Options manOptions(const QString& page)
{
    QFile file(page);
    if (!file.open(QIODevice::ReadOnly)) return {};
    Options options;
    bool inSection = false, tagNext = false;
    QString current;
    QStringList lines;
    auto flush = [&] {
        if (!current.isEmpty()) options.insert(current, simplified(lines));
        current.clear();
        lines.clear();
    };
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
        if (line.startsWith(".SH")) {
            flush();
            inSection = line.simplified() == ".SH OPTIONS";
        } else if (!inSection || line.startsWith(".\\\"")) {
            continue;
        } else if (line.startsWith(".TP")) {
            flush();
            tagNext = true;
        } else if (tagNext) {
            current = roffText(line);
            tagNext = false;
        } else if (line.startsWith(".PP")) {
            flush();
        } else if (!current.isEmpty()) {
            lines << roffText(line);
        }
    }
    flush();
    return options;
}

// What man says about a page, as lintian asks it.
QString manWarnings(const QString& page)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "C.UTF-8");
    environment.insert("MANROFFSEQ", "");
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start("man", {"--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z", page});
    if (!process.waitForFinished(60000)) return "<timed out>";
    if (process.exitCode() != 0)
        return "man failed: " + QString::fromUtf8(process.readAllStandardError());
    return QString::fromUtf8(process.readAllStandardError());
}

}  // namespace

class TestManuals : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pagesFollowHelp_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("page");
        QTest::newRow("clipforge-cli") << "clipforge-cli"
                                       << "clipforge-cli.1";
        QTest::newRow("clipforge") << "clipforge"
                                   << "clipforge.1";
    }

    void pagesFollowHelp()
    {
        QFETCH(QString, program);
        QFETCH(QString, page);
        const Options help =
            helpOptions(runProgram(QString(CLIPFORGE_APP_DIR) + '/' + program, {"--help"}));
        QVERIFY2(help.size() >= 2, qPrintable(program + " --help lists no options"));
        const QString path = QString(CLIPFORGE_SOURCE_DIR) + "/packaging/man/" + page;
        QCOMPARE(manWarnings(path), QString());
        const Options manual = manOptions(path);
        QCOMPARE(manual.keys(), help.keys());
        for (auto it = help.cbegin(); it != help.cend(); ++it)
            QCOMPARE(manual.value(it.key()), it.value());
    }

    void completion_data()
    {
        QTest::addColumn<QStringList>("words");  // the last is being completed
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("absent");
        QTest::newRow("options") << QStringList{"--pr"}
                                 << QStringList{"--print-command", "--print-display", "--profile"}
                                 << QStringList{"--format"};
        QTest::newRow("formats") << QStringList{"--format", ""}
                                 << QStringList{"avi", "mp4", "3gp", "mp3", "wav"}
                                 << QStringList{"FMT", "Output"};
        QTest::newRow("formats from a prefix")
            << QStringList{"--format", "m"} << QStringList{"mp4", "mpeg", "mov", "mp3"}
            << QStringList{"avi"};
        // Names with blanks stay one word.
        QTest::newRow("profiles") << QStringList{"--format", "mp3", "--profile", ""}
                                  << QStringList{"Balanced\\ 128\\ kbps",
                                                 "High\\ Quality\\ 320\\ kbps"}
                                  << QStringList{"mp3", "Balanced"};
        QTest::newRow("profiles from a quoted prefix")
            << QStringList{"--format", "mp3", "--profile", "\"High"}
            << QStringList{"High\\ Quality\\ 320\\ kbps"} << QStringList{"Balanced\\ 128\\ kbps"};
        QTest::newRow("device profiles") << QStringList{"--format", "mp4", "--device", ""}
                                         << QStringList{"PSP"} << QStringList{};
        QTest::newRow("items of the first device profile")
            << QStringList{"--format", "mp4", "--item", "320"}
            << QStringList{"320x240\\ MPEG-4\\ \\(768\\ kbit/s\\,\\ any\\ system\\ software\\)"}
            << QStringList{"PSP"};
        QTest::newRow("no profiles without a format")
            << QStringList{"--profile", ""} << QStringList{} << QStringList{"Balanced"};
    }

    void completion()
    {
        QFETCH(QStringList, words);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, absent);
        const ProgramCopy copy;
        QStringList quoted{"clipforge-cli"};
        for (const QString& word : words)
            quoted << "'" + QString(word).replace("'", "'\\''") + "'";
        const QString script = ". \"$1\"; COMP_WORDS=(" + quoted.join(' ') +
                               "); COMP_CWORD=" + QString::number(words.size()) +
                               "; _clipforge_cli; printf '%s\\n' \"${COMPREPLY[@]}\"";
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PATH", copy.path() + ':' + environment.value("PATH"));
        const QStringList replies =
            runProgram("bash",
                       {"-c", script, "bash",
                        QString(CLIPFORGE_SOURCE_DIR) + "/packaging/completion/clipforge-cli"},
                       environment)
                .split('\n', Qt::SkipEmptyParts);
        for (const QString& word : expected)
            QVERIFY2(replies.contains(word), qPrintable(word + " not in: " + replies.join(" | ")));
        for (const QString& word : absent)
            QVERIFY2(!replies.contains(word), qPrintable(word + " in: " + replies.join(" | ")));
        if (expected.isEmpty()) QCOMPARE(replies, QStringList());
    }
};

QTEST_GUILESS_MAIN(TestManuals)
#include "tst_Manuals.moc"
