#include "app/Controller/CommandEnabling.h"

#include <QStringList>

namespace CommandEnabling {

namespace {

const QStringList &documentCommands()
{
    static const QStringList names{QStringLiteral("newDocument:"),
                                   QStringLiteral("openDocument:"),
                                   QStringLiteral("saveDocument:"),
                                   QStringLiteral("saveDocumentAs:"),
                                   QStringLiteral("revertDocumentToSaved:")};
    return names;
}

} // namespace

QStringList commandNames()
{
    return documentCommands()
           + QStringList{QStringLiteral("addVideoAction:"),
                         QStringLiteral("delete:"),
                         QStringLiteral("addVideoButton"),
                         QStringLiteral("burnButton")};
}

QHash<QString, bool> enabledCommands(const State &state)
{
    QHash<QString, bool> enabled;
    const bool free = !state.windowBusy;
    for (const QString &action : documentCommands())
        enabled.insert(
            action, free && state.documentCommandAllowed && state.documentCommandAllowed(action));
    enabled.insert(QStringLiteral("addVideoAction:"), free);
    enabled.insert(QStringLiteral("addVideoButton"), free);
    enabled.insert(QStringLiteral("delete:"), free && state.titleSelected && state.sourceHasFocus);
    enabled.insert(QStringLiteral("burnButton"), free && state.hasTitlesWithClips);
    return enabled;
}

} // namespace CommandEnabling
