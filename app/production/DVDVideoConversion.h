#pragma once

#include "Platterkit/tools/DVDMakeTask.h"

#include <QString>
#include <memory>

class DVDLibrary;

/**
 * The first sub-step of the folder step: it writes "title%ld.dvd" for every title and "menu%ld.dvd"
 * for every menu page of the disc model into the work folder, for dvdauthor to read. The workflow
 * makes one per folder step (BurnDVDWorkflow::setConversionFactory) and holds it as its running
 * task.
 *
 * makeDVDVideo() runs once on the production thread and blocks; progress() and cancel() come from
 * the main thread meanwhile. A cancel that comes first keeps the work from starting.
 */
class DVDVideoConversion : public DVDMakeTask
{
public:
    virtual void makeDVDVideo(const std::shared_ptr<DVDLibrary> &dvd, const QString &workPath) = 0;
    // Whether every stream was written whole; lastError() says why not. A cancelled run has not
    // succeeded.
    virtual bool succeeded() const = 0;
    virtual QString lastError() const = 0;
};
