// Writes the installed profiles into the folder given as the only argument.
#include "ShippedProfiles.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QTextStream err(stderr);
    if (args.size() != 2) {
        err << "usage: write_shipped_profiles PROFILE_ROOT\n";
        return 2;
    }
    const QString problem = WriteShippedProfiles(args.at(1));
    if (!problem.isEmpty()) {
        err << problem << '\n';
        return 1;
    }
    return 0;
}
