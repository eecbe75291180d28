#include "base/InputTypes.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QSet>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <cstdlib>

// The menu entries, metainfo and icons of packaging/, checked with the
// freedesktop validators and against the file types the converter reads.

namespace {

const QString DesktopDir = CLIPFORGE_SOURCE_DIR "/packaging";

struct Program {
    QString id;
    QString svg;  // the picture its icons are drawn from, under the source root
};
const QList<Program> Programs = {
    {"org.clipforge.Clipforge", "converter/windows/pictures/clipforge.svg"},
    {"org.clipforge.Ferrybox", "transfer/window/pictures/ferrybox.svg"},
};
const QList<int> IconSizes = {16, 24, 32, 48, 64, 128, 256};

// The system's shared MIME database, by which file managers type a file from
// its name.
const QString MimeGlobs = "/usr/share/mime/globs2";

// Accepted extensions the database knows no type for, so no file manager
// offers such files to a program by their name.
const QStringList UntypedExtensions = {"dat", "m1v", "m2v", "nut", "y4m"};

// Types that share an accepted extension but are no media: a .ts file may
// also be a Qt translation source.
const QSet<std::pair<QString, QString>> ForeignTypes = {{"ts", "text/vnd.trolltech.linguist"}};

// Its exit code and everything it printed; -1 when it did not run to its end.
int runTool(const QString& program, const QStringList& args, QString& output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    if (!process.waitForFinished(60000)) {
        output = program + ": " + process.errorString() + " (scripts/setup installs it)";
        process.kill();
        process.waitForFinished();
        return -1;
    }
    output = QString::fromUtf8(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// AppStream's validators also pass a file with infos; an error or a warning
// is a line of its own starting "E:" or "W:".
bool appstreamComplains(int exitCode, const QString& output)
{
    if (exitCode != 0) return true;
    const QStringList lines = output.split('\n');
    for (const QString& line : lines) {
        const QString text = line.trimmed();
        if (text.startsWith("E:") || text.startsWith("W:")) return true;
    }
    return false;
}

// A list value of the [Desktop Entry] group.
QStringList desktopEntryList(const QString& path, const QString& key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    bool inEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith('[')) {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (inEntry && equals > 0 && line.left(equals).trimmed() == key)
            return line.mid(equals + 1).trimmed().split(';', Qt::SkipEmptyParts);
    }
    return {};
}

QStringList metainfoMediaTypes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList types;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"mediatype")
            types.append(xml.readElementText().trimmed());
    }
    return types;
}

QStringList declaredTypes()
{
    return desktopEntryList(DesktopDir + "/org.clipforge.Clipforge.desktop", "MimeType");
}

// Extension (lower case, without the dot) -> the types its "*.ext" globs name.
QHash<QString, QSet<QString>> globTypes()
{
    QHash<QString, QSet<QString>> types;
    QFile file(MimeGlobs);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return types;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith('#')) continue;
        // weight:type:glob[:flags]
        const QStringList fields = line.split(':');
        if (fields.size() < 3 || !fields[2].startsWith("*.")) continue;
        const QString extension = fields[2].mid(2);
        if (extension.contains('*') || extension.contains('?') || extension.contains('[')) continue;
        types[extension.toLower()].insert(fields[1]);
    }
    return types;
}

// What the converter accepts when adding files, in any of its languages.
QStringList acceptedExtensions()
{
    QSet<QString> extensions;
    const QDir languages(CLIPFORGE_SOURCE_DIR "/data/skin/kelp/lang");
    const QStringList typeFiles = languages.entryList({"type_*.dat"}, QDir::Files);
    for (const QString& typeFile : typeFiles) {
        TGlobalVars vars;
        LoadInputTypes(vars, languages.filePath(typeFile));
        for (const auto& entry : std::as_const(vars.InputFileTypes)) {
            const QStringList patterns = entry.second.split(';', Qt::SkipEmptyParts);
            for (const QString& pattern : patterns)
                extensions.insert(pattern.trimmed().remove(0, 2).toLower());
        }
    }
    QStringList sorted(extensions.cbegin(), extensions.cend());
    sorted.sort();
    return sorted;
}

// Mean difference per channel, 0 to 255, of two images of one size.
double meanDifference(const QImage& a, const QImage& b)
{
    const QImage left = a.convertToFormat(QImage::Format_ARGB32);
    const QImage right = b.convertToFormat(QImage::Format_ARGB32);
    double sum = 0;
    for (int y = 0; y < left.height(); ++y) {
        for (int x = 0; x < left.width(); ++x) {
            const QRgb p = left.pixel(x, y);
            const QRgb q = right.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q)) + std::abs(qAlpha(p) - qAlpha(q));
        }
    }
    return sum / (4.0 * left.width() * left.height());
}

}  // namespace

class TestDesktopFiles : public QObject {
    Q_OBJECT

    static void addProgramRows()
    {
        QTest::addColumn<QString>("id");
        for (const Program& program : Programs)
            QTest::addRow("%s", qPrintable(program.id)) << program.id;
    }

private Q_SLOTS:
    void desktopFileValidates_data() { addProgramRows(); }
    void desktopFileValidates()
    {
        QFETCH(QString, id);
        QString output;
        const int exitCode =
            runTool("desktop-file-validate", {DesktopDir + '/' + id + ".desktop"}, output);
        // Warnings and hints leave the exit code at 0; any line is a complaint.
        QVERIFY2(exitCode == 0 && output.trimmed().isEmpty(), qPrintable(output));
    }

    void metainfoValidates_data() { addProgramRows(); }
    void metainfoValidates()
    {
        QFETCH(QString, id);
        QString output;
        const int exitCode =
            runTool("appstreamcli",
                    {"validate", "--no-net", DesktopDir + '/' + id + ".metainfo.xml"}, output);
        QVERIFY2(!appstreamComplains(exitCode, output), qPrintable(output));
    }

    // Software centres read the types from the metainfo, file managers from
    // the desktop file; both must offer the program the same files.
    void metainfoTypesMatchDesktopFile_data() { addProgramRows(); }
    void metainfoTypesMatchDesktopFile()
    {
        QFETCH(QString, id);
        QStringList desktop = desktopEntryList(DesktopDir + '/' + id + ".desktop", "MimeType");
        QStringList metainfo = metainfoMediaTypes(DesktopDir + '/' + id + ".metainfo.xml");
        desktop.sort();
        metainfo.sort();
        QCOMPARE(metainfo, desktop);
    }

    void iconRendered_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("svg");
        QTest::addColumn<int>("size");
        for (const Program& program : Programs)
            for (int size : IconSizes)
                QTest::addRow("%s %d", qPrintable(program.id), size)
                    << program.id << program.svg << size;
    }
    void iconRendered()
    {
        QFETCH(QString, id);
        QFETCH(QString, svg);
        QFETCH(int, size);
        const QString path =
            QString(CLIPFORGE_ICON_THEME_DIR "/%1x%1/apps/%2.png").arg(QString::number(size), id);
        const QImage icon(path);
        QVERIFY2(!icon.isNull(), qPrintable("No PNG at " + path));
        QCOMPARE(icon.size(), QSize(size, size));

        // Not blank: something is drawn, and not in one flat colour.
        const QImage pixels = icon.convertToFormat(QImage::Format_ARGB32);
        QSet<QRgb> colours;
        bool drawn = false;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                colours.insert(pixels.pixel(x, y));
                drawn = drawn || qAlpha(pixels.pixel(x, y)) > 0;
            }
        }
        QVERIFY(drawn);
        QVERIFY(colours.size() > 1);

        // The program's own picture, not the other one's, drawn to fill the icon.
        QSvgRenderer renderer(CLIPFORGE_SOURCE_DIR "/" + svg);
        QVERIFY(renderer.isValid());
        QImage expected(size, size, QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::transparent);
        QPainter painter(&expected);
        renderer.render(&painter);
        painter.end();
        const double difference = meanDifference(icon, expected);
        QVERIFY2(
            difference < 2,
            qPrintable(QString("Differs by %1 from %2").arg(QString::number(difference), svg)));
    }

    // Every file type the converter accepts is offered to it by the desktop,
    // and the desktop offers it nothing it would refuse.
    void acceptedTypeDeclared_data()
    {
        QTest::addColumn<QString>("extension");
        const QStringList extensions = acceptedExtensions();
        QVERIFY2(!extensions.isEmpty(), "No type files read");
        for (const QString& extension : extensions)
            QTest::addRow("%s", qPrintable(extension)) << extension;
    }
    void acceptedTypeDeclared()
    {
        QFETCH(QString, extension);
        const QHash<QString, QSet<QString>> globs = globTypes();
        QVERIFY2(!globs.isEmpty(), qPrintable("Cannot read " + MimeGlobs));
        QSet<QString> types = globs.value(extension);
        for (const auto& [foreignExtension, type] : ForeignTypes)
            if (foreignExtension == extension) types.remove(type);

        if (UntypedExtensions.contains(extension)) {
            QVERIFY2(types.isEmpty(),
                     qPrintable("." + extension + " is now typed; declare " +
                                QStringList(types.cbegin(), types.cend()).join(", ")));
            return;
        }
        QVERIFY2(!types.isEmpty(), qPrintable("No type for ." + extension + " in " + MimeGlobs));
        const QStringList declared = declaredTypes();
        for (const QString& type : std::as_const(types))
            QVERIFY2(declared.contains(type), qPrintable(type + " is not declared"));
    }

    void declaredTypeAccepted_data()
    {
        QTest::addColumn<QString>("type");
        const QStringList declared = declaredTypes();
        QVERIFY2(!declared.isEmpty(), "No MimeType in the converter's desktop file");
        for (const QString& type : declared)
            QTest::addRow("%s", qPrintable(type)) << type;
    }
    void declaredTypeAccepted()
    {
        QFETCH(QString, type);
        const QStringList extensions = acceptedExtensions();
        const QHash<QString, QSet<QString>> globs = globTypes();
        QStringList reachedBy;
        for (const QString& extension : extensions)
            if (globs.value(extension).contains(type) && !ForeignTypes.contains({extension, type}))
                reachedBy.append(extension);
        QVERIFY2(!reachedBy.isEmpty(),
                 qPrintable(type + " is declared, but the converter accepts none of its files"));
    }

    // Installed, everything sits where desktops look for it.
    void installedTree()
    {
        QTemporaryDir prefix;
        QVERIFY(prefix.isValid());
        QString output;
        const int exitCode = runTool(
            CLIPFORGE_CMAKE,
            {"--install", CLIPFORGE_BUILD_DIR, "--component", "desktop", "--prefix", prefix.path()},
            output);
        QVERIFY2(exitCode == 0, qPrintable(output));

        const QString share = prefix.filePath(CLIPFORGE_INSTALL_DATADIR);
        QStringList missing;
        for (const Program& program : Programs) {
            QStringList files = {"applications/" + program.id + ".desktop",
                                 "metainfo/" + program.id + ".metainfo.xml",
                                 "icons/hicolor/scalable/apps/" + program.id + ".svg"};
            for (int size : IconSizes)
                files.append(QString("icons/hicolor/%1x%1/apps/%2.png")
                                 .arg(QString::number(size), program.id));
            for (const QString& file : std::as_const(files))
                if (!QFile::exists(share + '/' + file)) missing.append(file);
        }
        QVERIFY2(missing.isEmpty(), qPrintable("Not installed: " + missing.join(", ")));

        // Also finds a metainfo whose desktop file was not installed beside it.
        const int treeExitCode =
            runTool("appstreamcli", {"validate-tree", "--no-net", prefix.path()}, output);
        QVERIFY2(!appstreamComplains(treeExitCode, output), qPrintable(output));
    }
};

QTEST_GUILESS_MAIN(TestDesktopFiles)
#include "tst_DesktopFiles.moc"
