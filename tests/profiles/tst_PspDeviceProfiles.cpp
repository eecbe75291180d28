#include "profiles/DeviceProfiles.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

namespace {

const QString DeviceFolder =
    QStringLiteral(CLIPFORGE_SOURCE_DIR "/data/profile_en/default_setting/");

// The shipped PSP device profiles and how each names its outputs; the
// renamed one uses the console's own names, M4Vnnnnn for MPEG-4 and
// MAQnnnnn for AVC, so its files go into the matching console folder as they
// are.
struct PspProfile {
    const char* file;
    const char* mpeg4Output;
    const char* avcOutput;
};
const PspProfile Profiles[] = {
    {"PSP 1 Standard.ini", "<%OutputFile%>", "<%OutputFile%>"},
    {"PSP 2 Direct.ini", "<%OutputPath%>M4V<%RandomNumber5%>",
     "<%OutputPath%>MAQ<%RandomNumber5%>"},
};

}  // namespace

// The two PSP device profiles are kept by hand: every item must do what its
// title promises, within what the console plays, and both profiles must
// offer the same conversions. What the conversions make is checked by
// tst_CliConversions.
class TestPspDeviceProfiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sameConversionsInBoth()
    {
        const QList<TProfileDetailItem> standard =
            LoadDeviceProfileItems(DeviceFolder + Profiles[0].file);
        const QList<TProfileDetailItem> direct =
            LoadDeviceProfileItems(DeviceFolder + Profiles[1].file);
        QVERIFY(!standard.isEmpty());
        QStringList standardTitles, directTitles;
        for (const TProfileDetailItem& item : standard)
            standardTitles << item.Title;
        for (const TProfileDetailItem& item : direct)
            directTitles << item.Title;
        QCOMPARE(directTitles, standardTitles);
        // The default choice plays on every console.
        QVERIFY2(standardTitles.first().contains(" MPEG-4 "), qPrintable(standardTitles.first()));
    }

    void items_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("ext");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QString>("mpeg4Output");
        QTest::addColumn<QString>("avcOutput");
        for (const PspProfile& profile : Profiles) {
            const QString path = DeviceFolder + profile.file;
            QVERIFY2(QFileInfo::exists(path), qPrintable(path));
            for (const TProfileDetailItem& item : LoadDeviceProfileItems(path))
                QTest::addRow("%s / %s", profile.file, qPrintable(item.Title))
                    << item.Title << DeviceItemExt(item) << DeviceItemCommands(item)
                    << QString(profile.mpeg4Output) << QString(profile.avcOutput);
        }
    }

    // Title "WIDTHxHEIGHT MPEG-4|AVC ... (KBITS kbit/s, <system software>)":
    // one call of cores/psp.sh with exactly that, the source's name as the
    // title, and the output named as the profile names it.
    void items()
    {
        QFETCH(QString, title);
        QFETCH(QString, ext);
        QFETCH(QStringList, commands);
        QFETCH(QString, mpeg4Output);
        QFETCH(QString, avcOutput);
        static const QRegularExpression form(
            "^((\\d+)x(\\d+)) (MPEG-4|AVC) .*\\((\\d+) kbit/s, (.+)\\)$");
        const QRegularExpressionMatch match = form.match(title);
        QVERIFY2(match.hasMatch(), qPrintable(title));
        const bool mpeg4 = match.captured(4) == "MPEG-4";
        const int pixels = match.captured(2).toInt() * match.captured(3).toInt();
        const int kbits = match.captured(5).toInt();

        QString software = "system software 2.0 or later";
        if (mpeg4) {
            QCOMPARE(match.captured(1), QString("320x240"));
            QVERIFY(kbits <= 768);
            software = "any system software";
        } else if (pixels > 76800) {
            QVERIFY(pixels <= 480 * 272);
            software = "system software 3.30 or later";
        }
        QCOMPARE(match.captured(6), software);

        QCOMPARE(ext, QString("MP4"));
        const QString expected = QString(
                                     "<%AppPath%>/cores/psp.sh %1 %2 %3 <%InputFile%> %4 "
                                     "<%InputName%>")
                                     .arg(mpeg4 ? "mpeg4" : "avc", match.captured(1))
                                     .arg(kbits)
                                     .arg(mpeg4 ? mpeg4Output : avcOutput);
        QCOMPARE(commands, QStringList{expected});
    }
};

QTEST_GUILESS_MAIN(TestPspDeviceProfiles)
#include "tst_PspDeviceProfiles.moc"
