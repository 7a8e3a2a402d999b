#include "app/Controller/Panels/PackageOpenDialog.h"

#include "platform/StringTable.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QStyle>

PackageProxyModel::PackageProxyModel(QString extension, QObject *parent)
    : QSortFilterProxyModel(parent)
    , m_extension(std::move(extension))
{}

bool PackageProxyModel::isPackage(const QModelIndex &proxyIndex) const
{
    const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
    if (!files || !proxyIndex.isValid())
        return false;
    const QModelIndex source = mapToSource(proxyIndex.siblingAtColumn(0));
    return files->isDir(source)
           && PackageOpenDialog::isPackagePath(files->filePath(source), m_extension);
}

bool PackageProxyModel::hasChildren(const QModelIndex &parent) const
{
    return !isPackage(parent) && QSortFilterProxyModel::hasChildren(parent);
}

bool PackageProxyModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    // What lies inside a package is never listed.
    const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
    if (files && sourceParent.isValid() && files->isDir(sourceParent)
        && PackageOpenDialog::isPackagePath(files->filePath(sourceParent), m_extension))
        return false;
    return QSortFilterProxyModel::filterAcceptsRow(sourceRow, sourceParent);
}

QVariant PackageProxyModel::data(const QModelIndex &index, int role) const
{
    if (!isPackage(index))
        return QSortFilterProxyModel::data(index, role);
    if (role == Qt::DecorationRole && index.column() == 0)
        return QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    // The kind column of the detail view.
    if (role == Qt::DisplayRole && index.column() == 2)
        return platform::localizedString(QStringLiteral("Discwright Project"));
    return QSortFilterProxyModel::data(index, role);
}

PackageOpenDialog::PackageOpenDialog(QWidget *parent,
                                     const QString &caption,
                                     const QString &extension)
    : QFileDialog(parent, caption)
    , m_extension(extension)
{
    setObjectName(QStringLiteral("packageOpenDialog"));
    // The platform's own dialog takes no proxy model and would walk into packages.
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFile);
    setNameFilter(QStringLiteral("*.%1").arg(extension));
    setProxyModel(new PackageProxyModel(extension, this));
    setWindowModality(Qt::WindowModal);
    connect(this, &QFileDialog::directoryEntered, this, &PackageOpenDialog::packageEntered);
}

void PackageOpenDialog::packageEntered(const QString &directory)
{
    if (!isPackagePath(directory, m_extension))
        return;
    // Opening a package, not looking inside it: the dialog goes back to the folder that holds
    // it, and ends with the package as its choice.
    m_package = QDir::cleanPath(directory);
    setDirectory(QFileInfo(m_package).absolutePath());
    done(QDialog::Accepted);
}

QString PackageOpenDialog::chosenPath() const
{
    if (!m_package.isEmpty())
        return m_package;
    const QStringList chosen = selectedFiles();
    return chosen.isEmpty() ? QString() : packagePathForChoice(chosen.first(), m_extension);
}

bool PackageOpenDialog::isPackagePath(const QString &path, const QString &extension)
{
    const QString clean = QDir::cleanPath(path);
    return clean.endsWith(QLatin1Char('.') + extension) && QFileInfo(clean).isDir();
}

QString PackageOpenDialog::packagePathForChoice(const QString &path, const QString &extension)
{
    const QString clean = QDir::cleanPath(path);
    if (isPackagePath(clean, extension))
        return clean;
    const QString folder = QFileInfo(clean).absolutePath();
    if (isPackagePath(folder, extension))
        return folder;
    return clean;
}
