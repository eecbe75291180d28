#include <QApplication>
#include <QIcon>

#include "DeviceDetection.h"
#include "FerryboxDlg.h"
#include "StartFolder.h"

using namespace Qt::StringLiterals;

// The program takes no arguments. Two environment variables point detection at
// another system tree, for tests and screenshots with fixture devices:
//   FERRYBOX_SYSFS_ROOT  instead of /sys (USB devices under bus/usb/devices)
//   FERRYBOX_MOUNTINFO   instead of /proc/self/mountinfo
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // No display name: the window system would append it to every caption
    // ("Warning" must stay "Warning").
    QApplication::setApplicationName(u"Ferrybox"_s);
    // Lets the desktop match the window to its menu entry and icon.
    QApplication::setDesktopFileName(u"org.clipforge.Ferrybox"_s);
    QApplication::setWindowIcon(QIcon(u":/ferrybox/ferrybox.svg"_s));

    const QString sysfsRoot = qEnvironmentVariable("FERRYBOX_SYSFS_ROOT", u"/sys"_s);
    const QString mountInfo = qEnvironmentVariable("FERRYBOX_MOUNTINFO", u"/proc/self/mountinfo"_s);
    SysfsDeviceDetector detector(sysfsRoot + u"/bus/usb/devices"_s, mountInfo);

    const QString settings = ConverterSettingsPath(QApplication::applicationDirPath());
    CFerryboxDlg dialog(detector, ComputerStartFolder(settings));
    dialog.setSettingsPath(settings);
    dialog.exec();
    return 0;
}
