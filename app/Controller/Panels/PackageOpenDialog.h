#pragma once

#include <QFileDialog>
#include <QSortFilterProxyModel>
#include <QString>

/**
 * Shows project packages (folders ending in the package extension) as single files in a file
 * dialog: no children, the look of a document, and the kind "Discwright Project". The dialog's
 * own model still knows them as folders; the proxy only changes what the views show. Main thread.
 */
class PackageProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit PackageProxyModel(QString extension, QObject *parent = nullptr);

    // Whether the source item is a package folder.
    bool isPackage(const QModelIndex &proxyIndex) const;

    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    QString m_extension;
};

/**
 * The open panel for project packages. A package is a folder, so a plain file dialog walks into it
 * and shows its "project" file and "resource" folder. This one is Qt's own dialog (so that its
 * model can be given a proxy) in which a package shows as one file, entering a package (a double
 * click, or Open on it) chooses it instead, and choosing a file inside a package chooses the
 * package. Window-modal on its parent; main thread only.
 */
class PackageOpenDialog : public QFileDialog
{
    Q_OBJECT
public:
    PackageOpenDialog(QWidget *parent, const QString &caption, const QString &extension);

    // The package chosen, once the dialog was accepted; otherwise the plain choice (which the
    // caller refuses when it is not a package).
    QString chosenPath() const;

    // The package a chosen path stands for: the path itself when it names a package, its folder
    // when that is a package (the "project" file inside one), else the path unchanged.
    static QString packagePathForChoice(const QString &path, const QString &extension);
    static bool isPackagePath(const QString &path, const QString &extension);

private:
    void packageEntered(const QString &directory);

    QString m_extension;
    QString m_package;
};
