#include "app/AppExtention/Document/DiscwrightDocumentController.h"

#include "app/AppExtention/Document/DocumentLog.h"
#include "platform/MainThread.h"

#include <QPointer>

DiscwrightDocumentController::DiscwrightDocumentController(DocumentWindowInterface &window,
                                                           DocumentPanelsInterface &panels,
                                                           QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_panels(panels)
{}

DiscwrightDocumentController::~DiscwrightDocumentController() = default;

QString DiscwrightDocumentController::documentTypeExtension()
{
    return DiscwrightDocument::fileType();
}

void DiscwrightDocumentController::clearDocumentSaveChain(DocumentControllerChain *chain)
{
    if (m_documentSaveChain.get() == chain)
        m_documentSaveChain.reset();
}

void DiscwrightDocumentController::canCloseDocument(DiscwrightDocument *document,
                                                    DocumentControllerChain::Callback action)
{
    DW_ASSERT_MAIN_THREAD(return );
    DW_ASSERT(document, return );
    m_documentSaveChain = std::make_unique<DocumentControllerChain>(this, std::move(action));
    document->canCloseDocumentWithDelegate(m_documentSaveChain.get());
}

DiscwrightDocument *DiscwrightDocumentController::makeDocument()
{
    m_document = std::make_unique<DiscwrightDocument>(m_window, m_panels);
    return m_document.get();
}

DiscwrightDocument *DiscwrightDocumentController::openUntitledDocumentAndDisplay()
{
    if (!validateUserInterfaceItem(Command::New))
        return nullptr;
    if (!m_document) {
        makeDocument()->emptyForNewProject();
        return m_document.get();
    }
    canCloseDocument(m_document.get(), [](DiscwrightDocument *document) {
        document->setFileURL(QString());
        document->emptyForNewProject();
    });
    return m_document.get();
}

void DiscwrightDocumentController::openDocument()
{
    if (!validateUserInterfaceItem(Command::Open))
        return;
    if (!m_document) {
        openDocumentSheetWithDocument(nullptr);
        return;
    }
    QPointer<DiscwrightDocumentController> self(this);
    canCloseDocument(m_document.get(), [self](DiscwrightDocument *document) {
        // After the question's own sheet has gone.
        platform::postToMainThread(self.data(),
                                   [self, document = QPointer<DiscwrightDocument>(document)] {
                                       if (self && document)
                                           self->openDocumentSheetWithDocument(document);
                                   });
    });
}

void DiscwrightDocumentController::openDocumentSheetWithDocument(DiscwrightDocument *document)
{
    const QString path = m_panels.chooseOpenPath(documentTypeExtension());
    if (path.isEmpty())
        return;
    if (document) {
        document->revertToContentsOfURL(path);
        return;
    }
    makeDocument()->revertToContentsOfURL(path);
}

DiscwrightDocument *DiscwrightDocumentController::openDocumentWithContentsOfURL(const QString &path)
{
    if (path.isEmpty() || !validateUserInterfaceItem(Command::Open)) {
        qCWarning(Discwright::lcDocument) << "not opening" << path << "now: the window is busy";
        return nullptr;
    }
    if (!m_document) {
        makeDocument()->revertToContentsOfURL(path);
        return m_document.get();
    }
    canCloseDocument(m_document.get(), [path](DiscwrightDocument *document) {
        document->revertToContentsOfURL(path);
    });
    return m_document.get();
}

void DiscwrightDocumentController::revertDocumentToSaved()
{
    if (!validateUserInterfaceItem(Command::Revert))
        return;
    canCloseDocument(m_document.get(), [](DiscwrightDocument *document) {
        document->revertToContentsOfURL(document->fileURL());
    });
}

void DiscwrightDocumentController::saveDocument()
{
    if (validateUserInterfaceItem(Command::Save))
        m_document->saveDocument();
}

void DiscwrightDocumentController::saveDocumentAs()
{
    if (validateUserInterfaceItem(Command::SaveAs))
        m_document->saveDocumentAs();
}

void DiscwrightDocumentController::closeDocumentThen(std::function<void()> terminate)
{
    if (!m_document) {
        terminate();
        return;
    }
    if (!validateUserInterfaceItem(Command::Close))
        return;
    canCloseDocument(m_document.get(),
                     [terminate = std::move(terminate)](DiscwrightDocument *) { terminate(); });
}

bool DiscwrightDocumentController::isWindowBusy() const
{
    return m_window.isWindowBusy();
}

bool DiscwrightDocumentController::validateUserInterfaceItem(Command command) const
{
    if (m_document && (isWindowBusy() || m_document->isBusy() || m_documentSaveChain))
        return false;
    switch (command) {
    case Command::Save:
    case Command::SaveAs:
    case Command::Close:
        return m_document != nullptr || command == Command::Close;
    case Command::Revert:
        return m_document && !m_document->fileURL().isEmpty();
    case Command::New:
    case Command::Open:
        return true;
    }
    return true;
}
