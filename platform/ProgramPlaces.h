#pragma once

#include <QString>

namespace tw::platform {

// Where the program keeps its files and finds its user guide.
struct ProgramPlaces
{
    QString folder;        // journals, recovery files, "versionen.html", "Lesen.xml"
    QString documentation; // full path of "Tauschwerk.html"
};

// An installed program (its executable in installBinDir) keeps its files in dataFolder, even when it
// may write its own folder (as root), and finds the guide in installGuideDir. Anywhere else, as in a
// build folder, the files stay beside the executable when that folder is writable, and so does the guide.
ProgramPlaces programPlaces(const QString& exeDir, const QString& installBinDir,
                            const QString& installGuideDir, const QString& dataFolder);

// The places of this process, from the install folders it was built for; creates the data folder when
// it is chosen.
ProgramPlaces programPlaces();

} // namespace tw::platform
