#include "app/Transition/QuartzRenderManager.h"

#include "app/Transition/TransitionComposition.h"
#include "app/Transition/TransitionLog.h"

#include <QDir>
#include <QFileInfo>

using Discwright::lcTransition;

namespace {

// The application's resources: "resources" in the folder of the running program. /proc/self/exe
// names the real program even when no application object exists (tests, tools).
QString applicationResourcesFolder()
{
    const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    const QString folder
        = program.isEmpty() ? QDir::currentPath() : QFileInfo(program).absolutePath();
    return QDir(folder).filePath(QStringLiteral("resources"));
}

// The transitions the user knows by name, in the order the dialog has always shown them.
const QStringList &fixedPresentationOrder()
{
    static const QStringList names = {QStringLiteral("Dissolve"),
                                      QStringLiteral("Slide"),
                                      QStringLiteral("Swipe"),
                                      QStringLiteral("Swipe2"),
                                      QStringLiteral("Zoom Dissolve"),
                                      QStringLiteral("Circle Close"),
                                      QStringLiteral("Circle Open")};
    return names;
}

} // namespace

const QString QuartzRenderManager::descriptionExtension = QStringLiteral("transition");

QuartzRenderManager::QuartzRenderManager() = default;
QuartzRenderManager::~QuartzRenderManager() = default;

QuartzRenderManager &QuartzRenderManager::manager()
{
    static QuartzRenderManager *const shared = [] {
        auto *catalogue = new QuartzRenderManager;
        catalogue->init();
        return catalogue;
    }();
    return *shared;
}

void QuartzRenderManager::init()
{
    m_templates.clear();
    m_templateNames.clear();
    const QString folder = quartzRenderResourceBundlePath();
    if (folder.isEmpty()) {
        if (!bundleResourceName().isEmpty())
            qCWarning(lcTransition,
                      "no resource folder \"%s\" in %s: the catalogue is empty",
                      qPrintable(bundleResourceName()),
                      qPrintable(quartzRenderBundleForResource()));
        return;
    }
    QStringList visited;
    addFolder(folder, visited);
    qCDebug(lcTransition,
            "catalogue %s: %lld compositions",
            qPrintable(folder),
            qlonglong(m_templateNames.size()));
}

void QuartzRenderManager::addFolder(const QString &folder, QStringList &visited)
{
    // A folder linked into itself would otherwise be walked for ever.
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty() || visited.contains(canonical))
        return;
    visited.append(canonical);
    // Hidden entries (a file manager's leftovers) are left out by not asking for them.
    const QFileInfoList entries
        = QDir(folder).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &entry : entries) {
        if (entry.isDir()) {
            addFolder(entry.filePath(), visited);
            continue;
        }
        if (entry.suffix() != descriptionExtension)
            continue;
        const QString path = entry.absoluteFilePath();
        const QString name = quartzRenderNameForPath(path);
        m_templates.insert(name, getQuartzRenderAttrsForPath(path));
        m_templateNames.append(name);
    }
}

QString QuartzRenderManager::bundleResourceName() const
{
    return {};
}

bool QuartzRenderManager::quartzRenderResourceBundleInMainBundle() const
{
    return false;
}

QString QuartzRenderManager::quartzRenderBundleForResource() const
{
    // The classes are linked into the program itself, so their bundle and the main one coincide.
    return applicationResourcesFolder();
}

QString QuartzRenderManager::quartzRenderResourceBundlePath() const
{
    const QString name = bundleResourceName();
    if (name.isEmpty())
        return {};
    const QFileInfo folder(QDir(quartzRenderBundleForResource()).filePath(name));
    return folder.isDir() ? folder.absoluteFilePath() : QString();
}

QString QuartzRenderManager::quartzRenderNameForPath(const QString &path)
{
    return QFileInfo(path).completeBaseName();
}

QuartzRenderEntry QuartzRenderManager::getQuartzRenderAttrsForPath(const QString &path)
{
    QString error;
    QuartzRenderEntry entry{TransitionComposition::load(path, &error), path};
    if (!entry.obj)
        qCWarning(lcTransition, "cannot load the composition %s", qPrintable(error));
    return entry;
}

const QuartzRenderEntry *QuartzRenderManager::renderDictForName(const QString &name) const
{
    const auto found = m_templates.constFind(name);
    return found == m_templates.constEnd() ? nullptr : &found.value();
}

std::shared_ptr<const TransitionComposition>
QuartzRenderManager::compositionForName(const QString &name) const
{
    const QuartzRenderEntry *entry = renderDictForName(name);
    return entry ? entry->obj : nullptr;
}

QList<std::shared_ptr<const TransitionComposition>> QuartzRenderManager::allComposition() const
{
    QList<std::shared_ptr<const TransitionComposition>> compositions;
    QStringList seen;
    for (const QString &name : m_templateNames) {
        if (seen.contains(name))
            continue;
        seen.append(name);
        if (auto composition = compositionForName(name))
            compositions.append(std::move(composition));
    }
    return compositions;
}

QString QuartzRenderManager::defaultCompositionName() const
{
    return m_templateNames.isEmpty() ? QString() : m_templateNames.first();
}

std::shared_ptr<const TransitionComposition> QuartzRenderManager::defaultComposition() const
{
    return compositionForName(defaultCompositionName());
}

QStringList QuartzRenderManager::allCompositionNamesResort() const
{
    QStringList names;
    for (const QString &name : fixedPresentationOrder()) {
        if (m_templates.contains(name))
            names.append(name);
    }
    for (const QString &name : m_templateNames) {
        if (!names.contains(name))
            names.append(name);
    }
    return names;
}
