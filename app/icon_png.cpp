// Writes the program's emblem as the PNG sizes of the icon theme, NxN/apps/tauschwerk.png under the
// given folder, from the code that draws the window icon, so that both look the same.
#include "platform/ProgramIcon.h"

#include <QDir>
#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        if (!QDir().mkpath(folder) ||
            !tw::platform::programIconImage(size).save(folder + QStringLiteral("/tauschwerk.png"))) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
