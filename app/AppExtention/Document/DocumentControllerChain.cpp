#include "app/AppExtention/Document/DocumentControllerChain.h"

#include "app/AppExtention/Document/DiscwrightDocumentController.h"

DocumentControllerChain::DocumentControllerChain(DiscwrightDocumentController *controller,
                                                 Callback callback)
    : m_controller(controller)
    , m_callback(std::move(callback))
{}

void DocumentControllerChain::documentShouldClose(DiscwrightDocument *document, bool shouldClose)
{
    // The controller drops its reference to this chain below: keep the callback alive until it
    // has run.
    const Callback callback = m_callback;
    const QPointer<DiscwrightDocumentController> controller = m_controller;
    if (controller)
        controller->clearDocumentSaveChain(this);
    if (shouldClose && callback)
        callback(document);
}
