// Finding the next free console name and listing a console folder holding
// 9999 videos, against anchors measured in the same run on the same folder.
// Usage: bench_transfer [--json FILE] [drive folder]; without a folder, a
// temporary one is used and removed afterwards. A given folder keeps the
// generated videos.

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonObject>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "BenchJson.h"
#include "VideoStore.h"

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Videos = 9999;

// Median wall time of runs calls, in milliseconds.
double medianMs(int runs, const std::function<void()>& work)
{
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.append(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// The console's own thumbnail size, as a JPEG.
QByteArray thumbnailData()
{
    QImage image(160, 120, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x, y, (x * y) & 255));
    }
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return data;
}

void line(const char* what, double ms, double anchorMs, const char* anchor)
{
    std::printf("%-44s %10.2f ms  %8.2fx %s\n", what, ms, ms / anchorMs, anchor);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    const QString jsonFile = benchjson::takeJsonOption(args);
    QTemporaryDir temporary;
    const QString drive = args.size() > 1 ? args.at(1) : temporary.path();
    const QString folder = ConsoleVideoFolder(drive);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder));
        return 1;
    }

    // Every name but the last is taken: the search has to go all the way.
    const QByteArray thumbnail = thumbnailData();
    const QByteArray video(1000, 'v');
    for (int n = 1; n < Videos; ++n) {
        const QString stem = folder + QString::asprintf("/M4V5%.4d", n);
        if (!writeFile(stem + u".MP4"_s, video) || !writeFile(stem + u".THM"_s, thumbnail)) {
            std::fprintf(stderr, "cannot write into %s\n", qPrintable(folder));
            return 1;
        }
    }
    std::printf("console folder: %s, %d videos\n\n", qPrintable(folder), Videos - 1);

    // Anchors: one plain listing of the folder; one existence check per candidate.
    const double listingMs = medianMs(9, [&] {
        const QStringList names = QDir(folder).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
        Q_ASSERT(names.size() == 2 * (Videos - 1));
    });
    const double statMs = medianMs(9, [&] {
        for (int n = 1; n <= Videos; ++n) {
            if (!QFileInfo::exists(folder + QString::asprintf("/M4V5%.4d.MP4", n))) break;
        }
    });
    // A listing per candidate, timed on the first candidates and scaled to all.
    constexpr int Sampled = 40;
    const double perCandidateMs =
        medianMs(3,
                 [&] {
                     for (int n = 1; n <= Sampled; ++n) {
                         const QStringList names =
                             QDir(folder).entryList({u"*.MP4"_s}, QDir::Files, QDir::Unsorted);
                         const QString candidate = QString::asprintf("M4V5%.4d.MP4", n);
                         bool taken = false;
                         for (const QString& name : names) {
                             taken = taken || name.compare(candidate, Qt::CaseInsensitive) == 0;
                         }
                         if (!taken) break;
                     }
                 }) *
        Videos / Sampled;

    std::optional<QString> found;
    const double findMs = medianMs(9, [&] { found = FindFreeVideoName(drive); });
    if (!found || !found->endsWith(u"M4V59999.MP4"_s)) {
        std::fprintf(stderr, "unexpected free name\n");
        return 1;
    }

    std::printf("FindFreeVideoName (free name: M4V59999.MP4)\n");
    line("  FindFreeVideoName", findMs, listingMs, "of one plain folder listing");
    line("  anchor: one plain folder listing", listingMs, listingMs, "");
    line("  one existence check per candidate", statMs, findMs, "of FindFreeVideoName");
    line("  one listing per candidate (estimated)", perCandidateMs, findMs, "of FindFreeVideoName");

    // Listing with thumbnails and sizes against a plain listing and against
    // decoding every thumbnail in full.
    MemoryVideoList list;
    const double listMs = medianMs(3, [&] { ListVideos(folder, list); });
    if (list.count() != Videos - 1) {
        std::fprintf(stderr, "unexpected row count %d\n", list.count());
        return 1;
    }
    const double decodeMs = medianMs(3, [&] {
        const QStringList names = QDir(folder).entryList({u"*.THM"_s}, QDir::Files, QDir::Unsorted);
        for (const QString& name : names) {
            const QImage image(folder + u'/' + name, "JPEG");
            Q_ASSERT(!image.isNull());
        }
    });
    std::printf("\nListVideos (%d rows)\n", list.count());
    line("  ListVideos", listMs, listingMs, "of one plain folder listing");
    std::printf("  %-42s %10.3f ms\n", "per row", listMs / list.count());
    line("  anchor: listing + full decode of each .THM", decodeMs, listMs, "of ListVideos");
    return benchjson::write(jsonFile, {{u"videos"_s, Videos - 1},
                                       {u"find_ms"_s, findMs},
                                       {u"listing_ms"_s, listingMs},
                                       {u"stat_per_candidate_ms"_s, statMs},
                                       {u"listing_per_candidate_ms"_s, perCandidateMs},
                                       {u"list_videos_ms"_s, listMs},
                                       {u"decode_all_ms"_s, decodeMs}})
               ? 0
               : 1;
}
