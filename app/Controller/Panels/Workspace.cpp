#include "app/Controller/Panels/Workspace.h"

#include "platform/MainThread.h"

#include <QDesktopServices>
#include <QFileInfo>

namespace {

class DesktopWorkspace : public Workspace
{
public:
    bool openURL(const QUrl &url) override { return QDesktopServices::openUrl(url); }

    bool openFile(const QString &path) override
    {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }

    // File viewers differ in how they select an item; the portable answer opens the folder that
    // holds it.
    bool selectFile(const QString &path) override
    {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
    }
};

std::shared_ptr<Workspace> &installedWorkspace()
{
    static std::shared_ptr<Workspace> workspace;
    return workspace;
}

} // namespace

Workspace &Workspace::shared()
{
    DW_ASSERT_MAIN_THREAD();
    if (!installedWorkspace())
        installedWorkspace() = std::make_shared<DesktopWorkspace>();
    return *installedWorkspace();
}

void Workspace::install(std::shared_ptr<Workspace> workspace)
{
    installedWorkspace() = std::move(workspace);
}
