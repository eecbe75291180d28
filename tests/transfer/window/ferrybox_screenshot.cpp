// Saves a picture of the Ferrybox window for the documentation: a console and
// a computer folder holding videos made by ffmpeg, two rows selected.
//   ferrybox_screenshot FILE.png
#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <cstdio>

#include "FerryboxDlg.h"
#include "FerryboxFixture.h"

namespace {

int fail(const QString& why)
{
    std::fprintf(stderr, "ferrybox_screenshot: %s\n", qPrintable(why));
    return 1;
}

// BASE.MP4 from an ffmpeg test source, and its thumbnail BASE.THM.
bool makeVideo(const QString& ffmpeg, const QString& base, const QString& source, int seconds)
{
    const QList<QStringList> steps{
        {"-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i", source + "=size=480x272:rate=30",
         "-t", QString::number(seconds), "-c:v", "mpeg4", "-q:v", "4", "-f", "mp4", base + ".MP4"},
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
    if (argc != 2) return fail("usage: ferrybox_screenshot FILE.png");
    const QString target = QString::fromLocal8Bit(argv[1]);
    const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
    if (ffmpeg.isEmpty()) return fail("ffmpeg is not installed");

    Fixture fx;
    const bool made = makeVideo(ffmpeg, fx.pcFolder() + "/Harbour at dusk", "testsrc", 3) &&
                      makeVideo(ffmpeg, fx.pcFolder() + "/Birthday", "mandelbrot", 2) &&
                      makeVideo(ffmpeg, fx.pcFolder() + "/Trailer", "smptebars", 4) &&
                      makeVideo(ffmpeg, fx.pcFolder() + "/Ferry crossing", "rgbtestsrc", 2) &&
                      makeVideo(ffmpeg, fx.consoleFolder() + "/M4V50001", "life", 2) &&
                      makeVideo(ffmpeg, fx.consoleFolder() + "/M4V50002", "testsrc2", 3);
    if (!made) return 1;
    fx.setConsoleMounted(true);

    SysfsDeviceDetector detector(fx.usbDevices(), fx.mountInfo());
    CFerryboxDlg dlg(detector, fx.pcFolder());
    dlg.leftList()->setRowSelected(rowOf(dlg.leftList(), "Birthday.MP4"), true);
    dlg.leftList()->setRowSelected(rowOf(dlg.leftList(), "Trailer.MP4"), true);
    dlg.show();
    if (!QTest::qWaitForWindowExposed(&dlg)) return fail("the window was never shown");
    QTest::qWait(200);
    if (!dlg.grab().save(target, "PNG")) return fail("cannot write " + target);
    return 0;
}
