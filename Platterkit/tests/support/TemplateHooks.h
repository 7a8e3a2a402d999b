#pragma once

// The hooks the template tests install: a template folder of the test's choosing, and the choices
// the application makes for the library it ships.

#include "Platterkit/model/DVDLibraryHooks.h"

#include <QString>

namespace testing_support {

// The menu template library drawn at build time, as the application ships it.
inline const QString kShippedTemplateFolder
    = QStringLiteral(DW_BINARY_DIR "/resources/menu_template_old");

// Points the template library at folder, read in the newer layout when newLayout is set.
class FolderHooks : public DVDLibraryHooks
{
public:
    explicit FolderHooks(QString folder, bool newLayout = false)
        : m_folder(std::move(folder))
        , m_newLayout(newLayout)
    {}
    QString resourcePath() const override { return m_folder; }
    bool loadNewTemplate() const override { return m_newLayout; }

private:
    QString m_folder;
    bool m_newLayout;
};

// The application's choices: the shipped folder in the older layout, every element shown in
// thumbnails, backgrounds filling the page.
class ApplicationHooks : public FolderHooks
{
public:
    ApplicationHooks()
        : FolderHooks(kShippedTemplateFolder)
    {}
    bool forceShowItem(const DVDMenuItem &) const override { return true; }
    qint64 backgroundImageDrawMode(const DVDMenu &) const override { return 1; }
};

} // namespace testing_support
