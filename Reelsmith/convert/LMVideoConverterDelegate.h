#pragma once

class LMVideoConverter;

/**
 * What a video conversion tells its owner. Every message arrives on the thread of the receiver
 * object given with the delegate (the main thread for a window), never on the converting thread.
 */
class LMVideoConverterDelegate
{
public:
    virtual ~LMVideoConverterDelegate() = default;
    virtual void converterDidFinished(LMVideoConverter * /*converter*/) {}
    virtual void converterDidPaused(LMVideoConverter * /*converter*/) {}
    virtual void converterDidResume(LMVideoConverter * /*converter*/) {}
};
