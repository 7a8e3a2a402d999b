#pragma once

#include "app/AppExtention/Document/DiscwrightDocument.h"
#include "app/AppExtention/Document/DocumentControllerChain.h"

#include <QObject>
#include <memory>

/**
 * The application's document controller, with one document for the life of the process: New,
 * Open, Revert and a package handed to the program reuse the open document once it may close
 * (the save-changes question with "Save", "Don't Save" and "Cancel"); a declined question leaves
 * everything as it was. While a close question is pending the controller keeps its chain as
 * documentSaveChain.
 *
 * Commands are refused while the main window is busy (a sheet, a modal window, the preview) and
 * while the document reads or writes.
 *
 * Made by the application at start-up and kept for the life of the process. Main thread only.
 */
class DiscwrightDocumentController : public QObject
{
    Q_OBJECT
public:
    // The commands that validateUserInterfaceItem answers for.
    enum class Command { New, Open, Save, SaveAs, Revert, Close };

    DiscwrightDocumentController(DocumentWindowInterface &window,
                                 DocumentPanelsInterface &panels,
                                 QObject *parent = nullptr);
    ~DiscwrightDocumentController() override;

    // The one document; null until the first New or Open.
    DiscwrightDocument *document() const { return m_document.get(); }
    // The package extension, without the dot.
    static QString documentTypeExtension();

    DocumentControllerChain *documentSaveChain() const { return m_documentSaveChain.get(); }
    // Forgets the pending chain when it is that one.
    void clearDocumentSaveChain(DocumentControllerChain *chain);

    // Asks document whether it may close; action runs with it once it may.
    void canCloseDocument(DiscwrightDocument *document, DocumentControllerChain::Callback action);

    // New: the open document is emptied into a new untitled project once it may close; without a
    // document one is made with a new project. Returns the document.
    DiscwrightDocument *openUntitledDocumentAndDisplay();
    // Open: once the open document may close, the open panel; its choice is read into it.
    void openDocument();
    // The open panel for document (or for none) and the read of its choice.
    void openDocumentSheetWithDocument(DiscwrightDocument *document);
    // Opens the package at path by the reuse rule; also what a package handed to the program
    // does. Null, opening nothing, while busy.
    DiscwrightDocument *openDocumentWithContentsOfURL(const QString &path);
    // Revert: once the document may close, it is read again from its package.
    void revertDocumentToSaved();
    void saveDocument();
    void saveDocumentAs();
    // Closing the main window: once the document may close (for "Save", once the package is
    // written), terminate runs; otherwise nothing happens.
    void closeDocumentThen(std::function<void()> terminate);

    bool isWindowBusy() const;
    // Whether command may run now.
    bool validateUserInterfaceItem(Command command) const;

private:
    DiscwrightDocument *makeDocument();

    DocumentWindowInterface &m_window;
    DocumentPanelsInterface &m_panels;
    std::unique_ptr<DiscwrightDocument> m_document;
    std::unique_ptr<DocumentControllerChain> m_documentSaveChain;
};
