// The open panel for project packages: a package shows as one file, entering it opens it, and the
// "project" file inside stands for its package. Qt's own dialog under the offscreen platform,
// driven by mouse events; its picture is saved for a person to look at.

#include "app/Controller/Panels/PackageOpenDialog.h"
#include "support/ShellTesting.h"

#include <QDir>
#include <QFile>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace shell_testing;

namespace {

const QString kExtension = QStringLiteral("dwproj");

void makeFile(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
}

// A folder as a person keeps it: a package, a plain folder and a stray file.
class PackageFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        makeFile(folder.filePath("Holiday Trip.dwproj/project"));
        QDir().mkpath(folder.filePath("Holiday Trip.dwproj/resource"));
        QDir().mkpath(folder.filePath("Clips"));
        makeFile(folder.filePath("notes.txt"));
        package = QDir(folder.path()).filePath("Holiday Trip.dwproj");
    }

    // The rows the dialog's list shows, by name; waits until the folder is read.
    QStringList shownNames(PackageOpenDialog &dialog)
    {
        auto *list = dialog.findChild<QListView *>(QStringLiteral("listView"));
        EXPECT_TRUE(list);
        if (!list)
            return {};
        QStringList names;
        runUntil([&] {
            names.clear();
            const QModelIndex root = list->rootIndex();
            for (int row = 0; row < list->model()->rowCount(root); ++row)
                names << list->model()->index(row, 0, root).data().toString();
            return names.size() >= 2;
        });
        names.sort();
        return names;
    }

    QListView *listOf(PackageOpenDialog &dialog)
    {
        return dialog.findChild<QListView *>(QStringLiteral("listView"));
    }

    QModelIndex rowNamed(QListView *list, const QString &name)
    {
        const QModelIndex root = list->rootIndex();
        for (int row = 0; row < list->model()->rowCount(root); ++row) {
            const QModelIndex index = list->model()->index(row, 0, root);
            if (index.data().toString() == name)
                return index;
        }
        return {};
    }

    QApplication &app = application();
    QTemporaryDir folder;
    QString package;
};

TEST(PackageOpenDialogChoice, TheChoiceStandsForItsPackage)
{
    QTemporaryDir folder;
    makeFile(folder.filePath("A.dwproj/project"));
    makeFile(folder.filePath("plain/project"));
    makeFile(folder.filePath("B.dwproj"));
    const QDir dir(folder.path());
    const std::pair<QString, QString> rows[] = {
        {dir.filePath("A.dwproj"), dir.filePath("A.dwproj")},
        {dir.filePath("A.dwproj/"), dir.filePath("A.dwproj")},
        {dir.filePath("A.dwproj/project"), dir.filePath("A.dwproj")},
        {dir.filePath("plain/project"), dir.filePath("plain/project")},
        // A file named like a package is not one.
        {dir.filePath("B.dwproj"), dir.filePath("B.dwproj")},
    };
    for (const auto &[chosen, opened] : rows) {
        SCOPED_TRACE(qPrintable(chosen));
        EXPECT_EQ(PackageOpenDialog::packagePathForChoice(chosen, kExtension), opened);
    }
    EXPECT_TRUE(PackageOpenDialog::isPackagePath(dir.filePath("A.dwproj"), kExtension));
    EXPECT_FALSE(PackageOpenDialog::isPackagePath(dir.filePath("B.dwproj"), kExtension));
    EXPECT_FALSE(PackageOpenDialog::isPackagePath(dir.filePath("plain"), kExtension));
}

TEST_F(PackageFolder, APackageIsOneRowThatLooksLikeAFile)
{
    PackageOpenDialog dialog(nullptr, "Open", kExtension);
    dialog.setDirectory(folder.path());
    dialog.resize(640, 420);
    dialog.show();
    // The stray file is filtered out; the package and the plain folder are listed, once each.
    EXPECT_EQ(shownNames(dialog), QStringList({"Clips", "Holiday Trip.dwproj"}));
    QListView *list = listOf(dialog);
    ASSERT_TRUE(list);
    const QModelIndex row = rowNamed(list, "Holiday Trip.dwproj");
    ASSERT_TRUE(row.isValid());
    auto *proxy = qobject_cast<const PackageProxyModel *>(row.model());
    ASSERT_TRUE(proxy);
    EXPECT_TRUE(proxy->isPackage(row));
    EXPECT_FALSE(proxy->hasChildren(row));
    EXPECT_EQ(proxy->rowCount(row), 0);
    EXPECT_EQ(row.siblingAtColumn(2).data().toString(), "Discwright Project");
    EXPECT_FALSE(proxy->isPackage(rowNamed(list, "Clips")));
    // The detail view shows the package's kind; select it there for the picture.
    auto *details = dialog.findChild<QTreeView *>(QStringLiteral("treeView"));
    ASSERT_TRUE(details);
    EXPECT_FALSE(details->model()->hasChildren(row));
    details->setCurrentIndex(row);
    const QString shot = saveGrab(dialog, "open_panel_with_package");
    EXPECT_TRUE(QFile::exists(shot)) << qPrintable(shot);
}

TEST_F(PackageFolder, DoubleClickingAPackageOpensItInsteadOfEnteringIt)
{
    PackageOpenDialog dialog(nullptr, "Open", kExtension);
    dialog.setDirectory(folder.path());
    dialog.setViewMode(QFileDialog::List);
    dialog.resize(640, 420);
    dialog.show();
    ASSERT_EQ(shownNames(dialog).size(), 2);
    QListView *list = listOf(dialog);
    const QModelIndex row = rowNamed(list, "Holiday Trip.dwproj");
    ASSERT_TRUE(row.isValid());
    const QPoint at = list->visualRect(row).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    ASSERT_TRUE(runUntil([&] { return !dialog.isVisible(); }));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.chosenPath(), package);
    // The dialog went back to the folder that holds the package.
    EXPECT_EQ(QDir(dialog.directory()).canonicalPath(), QDir(folder.path()).canonicalPath());
}

TEST_F(PackageFolder, DoubleClickingAPlainFolderStillWalksIntoIt)
{
    PackageOpenDialog dialog(nullptr, "Open", kExtension);
    dialog.setDirectory(folder.path());
    dialog.setViewMode(QFileDialog::List);
    dialog.resize(640, 420);
    dialog.show();
    ASSERT_EQ(shownNames(dialog).size(), 2);
    QListView *list = listOf(dialog);
    const QModelIndex row = rowNamed(list, "Clips");
    ASSERT_TRUE(row.isValid());
    const QPoint at = list->visualRect(row).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    ASSERT_TRUE(runUntil([&] {
        return QDir(dialog.directory()).canonicalPath()
               == QDir(folder.filePath("Clips")).canonicalPath();
    }));
    EXPECT_TRUE(dialog.isVisible());
    dialog.reject();
    EXPECT_TRUE(dialog.chosenPath().isEmpty()
                || !dialog.chosenPath().endsWith(QStringLiteral(".dwproj")));
}

} // namespace
