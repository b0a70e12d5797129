#include "platform/ProgramPlaces.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace tw::platform {
namespace {

// An installed program never writes under the install folders, which root may write; one run from a
// build folder keeps its files beside it.
TEST(ProgramPlacesTest, InstalledKeepsFilesInTheDataFolderAndABuildFolderBesideTheProgram)
{
    test::TempDir t;
    t.write(QStringLiteral("usr/bin/tauschwerk"));
    t.write(QStringLiteral("build/bin/tauschwerk"));
    ASSERT_TRUE(QFile::link(t.filePath(QStringLiteral("usr/bin")), t.filePath(QStringLiteral("bin"))));
    const QString bin = t.filePath(QStringLiteral("usr/bin")),
                  guides = t.filePath(QStringLiteral("usr/share/tw"));
    const QString data = t.filePath(QStringLiteral("home/.local/share/Tauschwerk"));
    const QString build = t.filePath(QStringLiteral("build/bin")), gone = t.filePath(QStringLiteral("gone"));

    const struct
    {
        const char* name;
        QString exeDir, folder, documentation;
    } cases[] = {
        {"installed", bin, data, guides + QStringLiteral("/Tauschwerk.html")},
        {"installed, started through a link", t.filePath(QStringLiteral("bin")), data,
         guides + QStringLiteral("/Tauschwerk.html")},
        {"build folder", build, build, build + QStringLiteral("/Tauschwerk.html")},
        {"folder not writable", gone, data, gone + QStringLiteral("/Tauschwerk.html")},
    };
    for (const auto& c : cases) {
        const ProgramPlaces places = programPlaces(c.exeDir, bin, guides, data);
        EXPECT_EQ(places.folder, c.folder) << c.name;
        EXPECT_EQ(places.documentation, c.documentation) << c.name;
    }
}

} // namespace
} // namespace tw::platform
