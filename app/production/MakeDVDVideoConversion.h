#pragma once

// The conversion step of a production folder as the workflow takes it: MakeDVDVideo writing the
// titles' and pages' streams into the step's work folder. One per folder step; the same threads
// as MakeDVDVideo (the run blocks the production thread, progress and cancel come from any).

#include "app/production/DVDVideoConversion.h"
#include "app/production/MakeDVDVideo.h"

class MakeDVDVideoConversion : public DVDVideoConversion
{
public:
    void makeDVDVideo(const std::shared_ptr<DVDLibrary> &dvd, const QString &workPath) override
    {
        m_succeeded = m_make.makeDVDVideoTo(dvd, workPath);
    }
    bool succeeded() const override { return m_succeeded.load(); }
    QString lastError() const override { return m_make.lastError(); }
    double progress() const override { return m_make.progress(); }
    void cancel() override { m_make.cancel(); }

private:
    MakeDVDVideo m_make;
    std::atomic<bool> m_succeeded{false};
};
