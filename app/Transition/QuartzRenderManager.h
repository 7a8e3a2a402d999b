#pragma once

#include "app/Transition/QuartzRenderManagerSortDelegate.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class TransitionComposition;

// One entry of a composition catalogue: the loaded composition ("obj"; null when its file could
// not be loaded) and the full path of its file ("path").
struct QuartzRenderEntry
{
    std::shared_ptr<const TransitionComposition> obj;
    QString path;
};

// A catalogue of compositions read from a resource folder: every description file below it, at
// any depth, named by its file name without the extension. The base class names no folder and so
// is empty; TransitionManager is the catalogue of menu slideshow transitions.
//
// A catalogue is built once by init() and not changed afterwards; the shared ones of manager() are
// built on first use, from any thread, and then read from any thread at the same time.
class QuartzRenderManager : public QuartzRenderManagerSortDelegate
{
public:
    // The extension of the description files.
    static const QString descriptionExtension;

    QuartzRenderManager();
    ~QuartzRenderManager() override;
    QuartzRenderManager(const QuartzRenderManager &) = delete;
    QuartzRenderManager &operator=(const QuartzRenderManager &) = delete;

    // The shared catalogue of this class, built on first use and kept for the life of the process.
    static QuartzRenderManager &manager();

    // Builds the catalogue from quartzRenderResourceBundlePath(), replacing what it held. Files are
    // taken in the listing order: each folder's entries by name, a subfolder's files where the
    // subfolder stands. Hidden files and folders are skipped. A later file of a name already seen
    // replaces that entry, and the name is listed again in templateNames().
    void init();

    // The name of the resource folder; empty here (no catalogue).
    virtual QString bundleResourceName() const;
    // Whether the folder is looked up in the application's resources: false.
    virtual bool quartzRenderResourceBundleInMainBundle() const;
    // The resources folder that holds the catalogue's folder: the application's, which is also
    // where the code of this class lives ("resources" beside the executable).
    virtual QString quartzRenderBundleForResource() const;
    // The catalogue's folder; empty when bundleResourceName() is empty or no such folder exists.
    QString quartzRenderResourceBundlePath() const;

    // The last path component without its extension.
    static QString quartzRenderNameForPath(const QString &path);
    // A new entry for the description file at path; its obj is null (and the reason logged) when
    // the file cannot be loaded.
    static QuartzRenderEntry getQuartzRenderAttrsForPath(const QString &path);

    // The entry of name; null when the catalogue has none.
    const QuartzRenderEntry *renderDictForName(const QString &name) const;
    // The composition of name; null when the catalogue has none or it did not load.
    std::shared_ptr<const TransitionComposition> compositionForName(const QString &name) const;
    // Every loaded composition, in the order of the names.
    QList<std::shared_ptr<const TransitionComposition>> allComposition() const;
    // templateNames(): the names in the order their files were found.
    QStringList allCompositionNames() const { return m_templateNames; }
    // The first name; empty for an empty catalogue.
    QString defaultCompositionName() const;
    std::shared_ptr<const TransitionComposition> defaultComposition() const;
    // The names as the user sees them: the fixed transitions that the catalogue holds, in their
    // fixed order, then every further name in the order it was found.
    QStringList allCompositionNamesResort() const override;

    const QHash<QString, QuartzRenderEntry> &templates() const { return m_templates; }
    const QStringList &templateNames() const { return m_templateNames; }

private:
    void addFolder(const QString &folder, QStringList &visited);

    QHash<QString, QuartzRenderEntry> m_templates;
    QStringList m_templateNames;
};
