#pragma once

/**
 * A production step as the production workflow holds it while it runs: the authoring steps
 * (DVDFSMake, DVDImageMake, DVDMenuMake), the disc burner and the pipeline's own conversion step.
 * The step runs on the production thread; progress() and cancel() come from the main thread
 * while it runs and must be safe there.
 */
class DVDMakeTask
{
public:
    virtual ~DVDMakeTask() = default;

    // Asks the running work to stop; a cancel before the work starts keeps it from starting.
    virtual void cancel() = 0;
    // The fraction of the work done so far, measured from the output written; 0 before anything
    // is written. Not clamped: it may pass 1 slightly.
    virtual double progress() const = 0;
};
