#include "app/AppExtention/Document/DiscwrightDocument.h"

#include "app/AppExtention/Document/DocumentControllerChain.h"
#include "app/AppExtention/Document/DocumentLog.h"
#include "platform/MainThread.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>

namespace {

// The path with the package extension, added when the user left it out.
QString withPackageExtension(const QString &path)
{
    const QString suffix = QLatin1Char('.') + DiscwrightDocument::fileType();
    QString clean = path;
    while (clean.size() > 1 && clean.endsWith(QLatin1Char('/')))
        clean.chop(1);
    return clean.endsWith(suffix) ? clean : clean + suffix;
}

bool samePath(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

} // namespace

DiscwrightDocument::DiscwrightDocument(DocumentWindowInterface &window,
                                       DocumentPanelsInterface &panels,
                                       QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_panels(panels)
{}

QString DiscwrightDocument::fileType()
{
    return ProjectPackage::packageExtension();
}

QString DiscwrightDocument::displayName() const
{
    return m_fileURL.isEmpty() ? QStringLiteral("Untitled")
                               : QFileInfo(m_fileURL).completeBaseName();
}

void DiscwrightDocument::updateChangeCount(ChangeType change)
{
    m_window.setDocumentEdited(change == ChangeDone);
}

void DiscwrightDocument::revertToContentsOfURL(const QString &path, Done done)
{
    DW_ASSERT_MAIN_THREAD(return );
    QPointer<DiscwrightDocument> self(this);
    m_busy = true;
    const bool started = m_window.openPath(path, [self, path, done](bool ok, const QString &why) {
        if (!self)
            return;
        self->m_busy = false;
        if (ok) {
            self->m_fileURL = path;
            self->updateChangeCount(ChangeCleared);
        } else {
            self->m_panels.showAlert(QStringLiteral("The project could not be opened."), why);
        }
        if (done)
            done(ok);
    });
    if (!started) {
        m_busy = false;
        qCWarning(Discwright::lcDocument) << "open refused while the project is busy:" << path;
        if (done)
            done(false);
    }
}

void DiscwrightDocument::emptyForNewProject(Done done)
{
    // There is no undo history to forget: the editors keep none.
    revertToContentsOfURL(QString(), std::move(done));
}

void DiscwrightDocument::writeTo(const QString &path, ProjectPackage::WriteMode mode, Done done)
{
    QPointer<DiscwrightDocument> self(this);
    m_busy = true;
    const bool started
        = m_window.savePath(path, mode, [self, path, done](bool ok, const QString &why) {
              if (!self)
                  return;
              self->m_busy = false;
              if (ok) {
                  self->m_fileURL = path;
                  self->updateChangeCount(ChangeCleared);
              } else {
                  // The edited mark and the package path stay: nothing was saved.
                  self->m_panels.showAlert(QStringLiteral("The project could not be saved."), why);
              }
              if (done)
                  done(ok);
          });
    if (!started) {
        m_busy = false;
        m_panels.showAlert(QStringLiteral("The project could not be saved."), QString());
        if (done)
            done(false);
    }
}

void DiscwrightDocument::saveDocument(Done done)
{
    DW_ASSERT_MAIN_THREAD(return );
    if (m_fileURL.isEmpty()) {
        saveDocumentAs(std::move(done));
        return;
    }
    writeTo(m_fileURL, ProjectPackage::WriteMode::Update, std::move(done));
}

void DiscwrightDocument::saveDocumentAs(Done done)
{
    DW_ASSERT_MAIN_THREAD(return );
    const QString suggested
        = m_fileURL.isEmpty() ? QDir::home().filePath(displayName() + QLatin1Char('.') + fileType())
                              : m_fileURL;
    const QString chosen = m_panels.chooseSavePath(suggested, fileType());
    if (chosen.isEmpty()) {
        if (done)
            done(false);
        return;
    }
    const QString path = withPackageExtension(chosen);
    if (samePath(path, m_fileURL)) {
        writeTo(m_fileURL, ProjectPackage::WriteMode::Update, std::move(done));
        return;
    }
    if (QFileInfo::exists(path) && !m_panels.confirmReplace(path)) {
        if (done)
            done(false);
        return;
    }
    writeTo(path, ProjectPackage::WriteMode::Replace, std::move(done));
}

void DiscwrightDocument::canCloseDocumentWithDelegate(DocumentControllerChain *chain)
{
    DW_ASSERT_MAIN_THREAD(return );
    DW_ASSERT(chain, return );
    if (!isDocumentEdited()) {
        chain->documentShouldClose(this, true);
        return;
    }
    switch (m_panels.askSaveChanges()) {
    case DocumentPanelsInterface::SaveChanges::Save: {
        QPointer<DiscwrightDocument> self(this);
        saveDocument([self, chain](bool saved) {
            if (self)
                chain->documentShouldClose(self, saved);
        });
        break;
    }
    case DocumentPanelsInterface::SaveChanges::DontSave:
        chain->documentShouldClose(this, true);
        break;
    case DocumentPanelsInterface::SaveChanges::Cancel:
        chain->documentShouldClose(this, false);
        break;
    }
}
