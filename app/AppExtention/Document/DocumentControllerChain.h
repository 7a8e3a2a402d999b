#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class DiscwrightDocument;
class DiscwrightDocumentController;

/**
 * Carries what to do once a document may close through the document's close question: the
 * callback runs only when the answer allows closing, and either way the controller forgets the
 * pending chain. The controller makes one per question and keeps it as its documentSaveChain.
 * Main thread only.
 */
class DocumentControllerChain
{
public:
    using Callback = std::function<void(DiscwrightDocument *)>;

    DocumentControllerChain(DiscwrightDocumentController *controller, Callback callback);

    Callback callback() const { return m_callback; }
    void documentShouldClose(DiscwrightDocument *document, bool shouldClose);

private:
    QPointer<DiscwrightDocumentController> m_controller;
    Callback m_callback;
};
