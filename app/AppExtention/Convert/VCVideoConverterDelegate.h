#pragma once

class VCVideoConverter;

/**
 * What a clip conversion tells its owner; every message is optional. converterDidFinished arrives
 * on the receiver's thread (the main thread for a window) once a run has ended, whether it
 * finished, was cancelled or failed; the pause and resume messages arrive on the receiver's
 * thread too.
 */
class VCVideoConverterDelegate
{
public:
    virtual ~VCVideoConverterDelegate() = default;
    virtual void converterDidFinished(VCVideoConverter * /*converter*/) {}
    virtual void converterDidPaused(VCVideoConverter * /*converter*/) {}
    virtual void converterDidResume(VCVideoConverter * /*converter*/) {}
};
