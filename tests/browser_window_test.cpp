#include "platform/BrowserWindow.h"
#include "support/QtApplicationEnvironment.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QSet>
#include <QTreeView>
#include <QUrl>
#include <cerrno>
#include <gtest/gtest.h>
#include <memory>

namespace {

using tw::platform::Browser;
using tw::platform::BrowserWindow;
using tw::platform::ShellItems;
using namespace tw::test;

const auto url = [](const QString& path) { return QUrl::fromLocalFile(path).toString(); };

class platform_BrowserWindow : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    QString mkdir(const QString& relative)
    {
        QDir().mkpath(dir.filePath(relative));
        return dir.filePath(relative);
    }

    void show(const QString& address)
    {
        ASSERT_TRUE(browser->navigate(address));
        ASSERT_TRUE(waitUntil([&] { return browser->isListed(); }));
    }

    QAbstractItemModel* model() const { return browser->view()->model(); }

    QStringList rowNames() const
    {
        QStringList names;
        for (int row = 0; row < model()->rowCount(); ++row)
            names.append(model()->index(row, 0).data().toString());
        return names;
    }

    void mark(const QList<int>& rows)
    {
        for (int row : rows)
            browser->view()->selectionModel()->select(model()->index(row, 0), QItemSelectionModel::Select |
                                                                                  QItemSelectionModel::Rows);
    }

    void key(int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, code, modifiers);
        QCoreApplication::sendEvent(browser->view(), &press);
    }

    TempDir dir;
    QString home = mkdir(u8("home"));
    std::unique_ptr<BrowserWindow> browser = std::make_unique<BrowserWindow>(home);
};

TEST_F(platform_BrowserWindow, NavigatesToFoldersAndRefusesTheRestKeepingTheView)
{
    EXPECT_TRUE(browser->locationurl().value().isEmpty() && !browser->SelectedItems())
        << "no folder shown yet";
    show(u8("file://C:\\"));
    EXPECT_EQ(browser->locationurl().value(), url(home));
    show(u8("/"));
    EXPECT_EQ(browser->locationname().value(), u8("/"));

    // A remembered address comes back as it was given out.
    const QString bilder = mkdir(u8("Urlaub 100% #1"));
    show(url(bilder));
    EXPECT_EQ(browser->locationurl().value(), url(bilder));
    EXPECT_EQ(browser->locationname().value(), u8("Urlaub 100% #1"));

    const QStringList before = rowNames();
    EXPECT_EQ(browser->navigate(dir.filePath(u8("fehlt"))).code(), ENOENT);
    EXPECT_EQ(browser->navigate(url(dir.write(u8("a.txt")))).code(), ENOTDIR);
    EXPECT_FALSE(browser->navigate(u8("d:\\")));
    EXPECT_EQ(std::pair(browser->locationurl().value(), rowNames()), std::pair(url(bilder), before));
    ASSERT_TRUE(browser->GoBack());
    EXPECT_EQ(browser->locationurl().value(), url(u8("/"))) << "a refused address is no step in the history";
}

TEST_F(platform_BrowserWindow, StepsThroughTheHistoryAndFailsAtBothEnds)
{
    const QString a = mkdir(u8("a")), b = mkdir(u8("b")), c = mkdir(u8("c"));
    for (const QString& ordner : {a, b, c})
        show(ordner);
    // back or forward, whether the step succeeds, the folder shown after it
    const std::tuple<bool, bool, QString> schritte[] = {{true, true, b},  {true, true, a},
                                                        {true, false, a}, {false, true, b},
                                                        {false, true, c}, {false, false, c}};
    for (const auto& [zurueck, geht, ordner] : schritte) {
        EXPECT_EQ((zurueck ? browser->GoBack() : browser->GoForward()).ok(), geht);
        EXPECT_EQ(browser->locationurl().value(), url(ordner));
    }
    // A new address after stepping back drops the steps ahead.
    ASSERT_TRUE(browser->GoBack());
    show(a);
    EXPECT_FALSE(browser->GoForward());
    ASSERT_TRUE(browser->GoBack());
    EXPECT_EQ(browser->locationurl().value(), url(b));
}

// The real double click is the end-to-end workflow's.
TEST_F(platform_BrowserWindow, ReturnEntersAFolderButNotAFileBackspaceGoesBackAndTheGeometryIsInPixels)
{
    mkdir(u8("Ordner"));
    dir.write(u8("x.txt"));
    ASSERT_TRUE(browser->setFullscreen(true));
    EXPECT_TRUE(browser->window()->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(browser->setTop(256) && browser->setHeight(0)) << "a height of zero is taken";
    EXPECT_TRUE(browser->setVisible(true));
    show(dir.path());
    EXPECT_EQ(std::pair(browser->Top().value(), browser->Height().value()), std::pair(256, 0));
    ASSERT_EQ(rowNames(), u8s({"home", "Ordner", "x.txt"}));
    browser->view()->setCurrentIndex(model()->index(2, 0));
    key(Qt::Key_Return);
    EXPECT_EQ(browser->locationurl().value(), url(dir.path()));
    browser->view()->setCurrentIndex(model()->index(1, 0));
    key(Qt::Key_Return);
    EXPECT_EQ(browser->locationurl().value(), url(dir.filePath(u8("Ordner"))));
    key(Qt::Key_Backspace);
    EXPECT_EQ(browser->locationurl().value(), url(dir.path()));
}

TEST_F(platform_BrowserWindow, SelectionComesInViewOrderWithTheShellFieldsAndIsBuiltAgainOnlyWhenItChanges)
{
    const QDateTime changed(QDate(2026, 12, 5), QTime(14, 3, 11));
    QFile file(dir.write(u8("b.txt"), "neun!"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(changed, QFileDevice::FileModificationTime));
    dir.write(u8("a.jpg"));
    mkdir(u8("zOrdner"));
    show(dir.path());
    ASSERT_EQ(rowNames(), u8s({"home", "zOrdner", "a.jpg", "b.txt"}));

    mark({3, 1, 2});
    const auto items = browser->SelectedItems();
    ASSERT_TRUE(items);
    EXPECT_EQ(items->paths(), (QStringList{dir.filePath(u8("zOrdner")), dir.filePath(u8("a.jpg")),
                                           dir.filePath(u8("b.txt"))}));
    // The kinds themselves are the folder listing's.
    EXPECT_EQ(std::pair(items->Item(0).Type, items->Item(1).Type),
              std::pair(u8("Dateiordner"), u8("JPEG-Bild")));
    const auto text = items->Item(2);
    EXPECT_EQ(std::tuple(text.Name, text.Size, text.ModifyDate), std::tuple(u8("b.txt"), qint64{5}, changed));

    // Polls take the same shared selection until it changes.
    const int builds = browser->selectionBuilds();
    EXPECT_TRUE(browser->SelectedItems()->sameAs(*items) && browser->selectionBuilds() == builds);
    mark({0});
    EXPECT_TRUE(browser->SelectedItems()->Count() == 4 && browser->selectionBuilds() == builds + 1);
    // A file gone since the selection has no time of last change, by which the take-over names it.
    ASSERT_TRUE(QFile::remove(dir.filePath(u8("b.txt"))));
    EXPECT_EQ(std::tuple(items->Item(2).Name, items->Item(2).ModifyDate.isValid()),
              std::tuple(u8("b.txt"), false));
}

TEST_F(platform_BrowserWindow, ChangesOnDiskKeepTheMarksOfTheFilesStillThereAndWaitWhileHidden)
{
    for (const char* name : {"b.txt", "c.txt", "d.txt"})
        dir.write(QString::fromUtf8(name));
    show(dir.path());
    mark({1, 2, 3});

    dir.write(u8("a.txt"));
    QFile::remove(dir.filePath(u8("c.txt")));
    ASSERT_TRUE(waitUntil([&] { return rowNames().contains(u8("a.txt")) && model()->rowCount() == 4; }));
    EXPECT_EQ(browser->SelectedItems()->paths(),
              (QStringList{dir.filePath(u8("b.txt")), dir.filePath(u8("d.txt"))}));

    // Hidden, as during a rename run, it lists nothing anew; shown again, it lists what changed meanwhile.
    ASSERT_TRUE(browser->setVisible(false));
    dir.write(u8("e.txt"));
    EXPECT_FALSE(waitUntil([&] { return model()->rowCount() == 5; }, 600));
    ASSERT_TRUE(browser->setVisible(true));
    ASSERT_TRUE(waitUntil([&] { return rowNames().contains(u8("e.txt")); }));
    EXPECT_EQ(browser->SelectedItems()->Count(), 2);

    // A stream of changes, as an undo in the folder shown makes them, is listed once it stops: a listing
    // amid it would show a state gone at once. One pause of a busy machine may let one through.
    QSet<int> rowCounts;
    const auto noteRows = [&] {
        rowCounts.insert(model()->rowCount());
        return false;
    };
    for (int i = 0; i < 12; ++i) {
        dir.write(QStringLiteral("f%1.txt").arg(i));
        waitUntil(noteRows, 100);
    }
    EXPECT_LE(rowCounts.size(), 2);
    ASSERT_TRUE(waitUntil([&] { return rowNames().contains(u8("f11.txt")); }));

    // Marks never travel to another folder that holds the same names.
    const QString other = mkdir(u8("anders"));
    QFile::copy(dir.filePath(u8("b.txt")), other + u8("/b.txt"));
    show(other);
    EXPECT_EQ(browser->SelectedItems()->Count(), 0);
}

// Whether each member succeeds, in the order of the interface.
std::vector<bool> answers(Browser& b)
{
    const auto succeeded = [](const auto&... results) { return std::vector<bool>{results.ok()...}; };
    return succeeded(b.navigate(u8("/")), b.setFullscreen(true), b.Top(), b.Left(), b.Width(), b.Height(),
                     b.setTop(1), b.setLeft(1), b.setWidth(1), b.setHeight(1), b.Visible(),
                     b.setVisible(true), b.locationurl(), b.locationname(), b.GoBack(), b.GoForward(),
                     b.Quit(), b.hwnd(), b.SelectedItems());
}

// The user may close the window, or the program quits it; the object itself lives on.
TEST_F(platform_BrowserWindow, EveryMemberFailsAfterQuitOrCloseAndTheLastSelectionStillResolves)
{
    dir.write(u8("a.txt"), "abc");
    show(dir.path());
    EXPECT_TRUE(browser->selectAll());
    const ShellItems kept = browser->SelectedItems().value();
    BrowserWindow geschlossen(home);
    EXPECT_TRUE(geschlossen.setVisible(true));
    ASSERT_TRUE(geschlossen.window()->close());

    ASSERT_TRUE(browser->Quit());
    EXPECT_EQ(browser->window(), nullptr);
    EXPECT_EQ(browser->Top().error().message(), u8("Das Browserfenster ist geschlossen."));
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(answers(*browser), std::vector<bool>(19, false));
        EXPECT_EQ(answers(geschlossen), std::vector<bool>(19, false));
        QCoreApplication::processEvents(); // the windows themselves go now
    }
    EXPECT_TRUE(kept.Item(1).Size == 3 && !browser->selectAll());
}

} // namespace
