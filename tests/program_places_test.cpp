#include "platform/ProgramPlaces.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>
#include <tuple>

namespace tw::platform {
namespace {

// An installed program never writes under the install folders, which root may write; one run from a
// build folder keeps its files beside it.
TEST(ProgramPlacesTest, InstalledKeepsFilesInTheDataFolderAndABuildFolderBesideTheProgram)
{
    test::TempDir t;
    t.write(u8("usr/bin/tauschwerk"));
    t.write(u8("build/bin/tauschwerk"));
    const auto at = [&t](const char* relative) { return t.filePath(u8(relative)); };
    ASSERT_TRUE(QFile::link(at("usr/bin"), at("bin")));
    const QString bin = at("usr/bin"), guides = at("usr/share/tw"), data = at("home/.local/share/Tauschwerk");
    // name, the program's folder, then the folder it keeps its files in and its guide's folder
    for (const auto& [name, exeDir, folder, documentation] : {
             std::tuple{"installed", bin, data, guides},
             std::tuple{"installed, started through a link", at("bin"), data, guides},
             std::tuple{"build folder", at("build/bin"), at("build/bin"), at("build/bin")},
             std::tuple{"folder not writable", at("gone"), data, at("gone")},
         }) {
        const ProgramPlaces places = programPlaces(exeDir, bin, guides, data);
        EXPECT_EQ(std::pair(places.folder, places.documentation),
                  std::pair(folder, QString(documentation + u8("/Tauschwerk.html"))))
            << name;
    }
}

} // namespace
} // namespace tw::platform
