// Saves a picture of the Ferrybox window for the documentation: a console and
// a computer folder holding videos made by ffmpeg, two rows selected; with
// --copying, a transfer of a large video in progress instead.
//   ferrybox_screenshot FILE.png [--copying]
#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

#include <cstdio>

#include "FerryboxDlg.h"
#include "FerryboxFixture.h"
#include "SlowWrites.h"
#include "TransferJob.h"

namespace {

int fail(const QString& why)
{
    std::fprintf(stderr, "ferrybox_screenshot: %s\n", qPrintable(why));
    return 1;
}

// BASE.MP4 from an ffmpeg test source, and its thumbnail BASE.THM; with a
// title, written as the console's own videos are, in a PSP header.
bool makeVideo(const QString& ffmpeg, const QString& base, const QString& source, int seconds,
               const QString& title = {})
{
    QStringList encode{"-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i"};
    encode += source + "=size=320x240:rate=30";
    if (!title.isEmpty()) encode += QStringList{"-f", "lavfi", "-i", "sine"};
    encode += QStringList{"-t", QString::number(seconds), "-c:v", "mpeg4", "-q:v", "4"};
    if (title.isEmpty())
        encode += QStringList{"-f", "mp4"};
    else
        encode += QStringList{"-c:a", "aac", "-metadata", "title=" + title, "-f", "psp"};
    const QList<QStringList> steps{
        encode + QStringList{base + ".MP4"},
        {"-nostdin", "-v", "error", "-y", "-i", base + ".MP4", "-frames:v", "1", "-s", "160x120",
         "-f", "image2", "-c:v", "mjpeg", base + ".THM"}};
    for (const QStringList& arguments : steps) {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(ffmpeg, arguments);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0) {
            fail("ffmpeg could not make " + base);
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const bool copying = argc == 3 && QByteArray(argv[2]) == "--copying";
    if (argc != 2 && !copying) return fail("usage: ferrybox_screenshot FILE.png [--copying]");
    const QString target = QString::fromLocal8Bit(argv[1]);
    const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
    if (ffmpeg.isEmpty()) return fail("ffmpeg is not installed");

    Fixture fx;
    const bool made =
        makeVideo(ffmpeg, fx.pcFolder() + "/Harbour at dusk", "testsrc", 3) &&
        makeVideo(ffmpeg, fx.pcFolder() + "/Birthday", "mandelbrot", 2) &&
        makeVideo(ffmpeg, fx.pcFolder() + "/Trailer", "smptebars", 4) &&
        makeVideo(ffmpeg, fx.pcFolder() + "/Ferry crossing", "rgbtestsrc", 2) &&
        makeVideo(ffmpeg, fx.consoleFolder() + "/M4V50001", "life", 2, "Game of life") &&
        makeVideo(ffmpeg, fx.consoleFolder() + "/M4V50002", "testsrc2", 3, "Sunday at the harbour");
    if (!made) return 1;
    // Subfolders to open, shown above the videos.
    if (!QDir().mkpath(fx.pcFolder() + "/Summer 2026") || !QDir().mkpath(fx.pcFolder() + "/Trips"))
        return fail("cannot make the subfolders");
    fx.setConsoleMounted(true);

    if (copying) {
        // A long holiday video: 60 MB of media behind a real sample description.
        QFile video(fx.pcFolder() + "/Ferry crossing.MP4");
        if (!video.open(QIODevice::Append) || video.write(QByteArray(60'000'000, 'm')) < 0)
            return fail("cannot make the large video");
        video.close();
    }

    SysfsDeviceDetector detector(fx.usbDevices(), fx.mountInfo());
    CFerryboxDlg dlg(detector, fx.pcFolder());
    dlg.leftList()->setRowSelected(rowOf(dlg.leftList(), "Birthday.MP4"), true);
    dlg.leftList()->setRowSelected(rowOf(dlg.leftList(), "Trailer.MP4"), true);
    dlg.show();
    if (!QTest::qWaitForWindowExposed(&dlg)) return fail("the window was never shown");
    QTest::qWait(200);
    if (copying) {
        // A USB 2.0 stick's pace, caught a third of the way in.
        slowWriteBytesPerSecond = 18'000'000;
        for (int row = 0; row < dlg.leftList()->count(); ++row)
            dlg.leftList()->setRowSelected(row, false);
        dlg.leftList()->setRowSelected(rowOf(dlg.leftList(), "Ferry crossing.MP4"), true);
        dlg.leftList()->setRowSelected(rowOf(dlg.leftList(), "Birthday.MP4"), true);
        dlg.findChild<QPushButton*>("ButtonTransfer")->click();
        QTest::qWait(1500);
        if (!dlg.transferJob()) return fail("the transfer did not start");
    }
    if (!dlg.grab().save(target, "PNG")) return fail("cannot write " + target);
    return 0;
}
