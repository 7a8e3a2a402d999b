// The menu template loader on an arbitrary page description, in both layouts: the bytes become
// the one page file of a newer-layout folder and the layout list of an older-layout template.
// Every page that loads is copied and archived as the editor would when it is picked.

#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/templates/DVDLibraryResource.h"
#include "platform/KeyedArchiver.h"
#include "support/FuzzSupport.h"

#include <QDir>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzing::initialize(argc, argv);
    const QDir root(fuzzing::scratchFolder());
    root.mkpath(QStringLiteral("new/menus"));
    root.mkpath(QStringLiteral("old/Menu/Cartoon/10"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzzing::bytesOf(data, size);
    const QDir root(fuzzing::scratchFolder());
    if (!fuzzing::writeFile(root.filePath(QStringLiteral("new/menus/Blue-01.plist")), bytes)
        || !fuzzing::writeFile(root.filePath(QStringLiteral("old/Menu/Cartoon/10/Template.plist")),
                               bytes))
        qFatal("cannot write the scratch template files");

    DVDLibraryResource library;
    for (const bool newer : {true, false}) {
        const QString folder = root.filePath(newer ? QStringLiteral("new") : QStringLiteral("old"));
        if (!(newer ? library.loadMenuResourceTemplate(folder) : library.loadOldTemplate(folder)))
            qFatal("an existing template folder did not load");
        for (const auto &page : library.menus()) {
            if (!page)
                qFatal("the library holds a null page");
            const auto copy = page->copyMenu();
            platform::KeyedArchiver::archivedData(QVariant::fromValue(ObjectRef(copy)));
        }
    }
    return 0;
}
