#pragma once

#include <QString>
#include <cstdint>

namespace Reelsmith::detail {

// One SDL audio device playing 44100 Hz float stereo through a callback. The SDL audio subsystem
// is set up once per process: the first device that opens decides the driver, and when the
// platform's driver opens no device, the process switches to SDL's "dummy" driver, which pulls
// the callback in real time without sound. Open and close from any thread but not from the
// callback itself.
class SdlAudioOutput
{
public:
    using Callback = void (*)(void *userdata, uint8_t *stream, int length);

    SdlAudioOutput() = default;
    ~SdlAudioOutput();
    SdlAudioOutput(const SdlAudioOutput &) = delete;
    SdlAudioOutput &operator=(const SdlAudioOutput &) = delete;

    // periodFrames is the callback's period (at most 2048). False with *error set on failure.
    bool open(Callback callback, void *userdata, int periodFrames, QString *error);
    // Waits for a running callback to return; no callback runs afterwards.
    void close();
    bool isOpen() const { return m_device != 0; }

    void setPlaying(bool playing);
    bool isPlaying() const;

    // The SDL driver the process uses; empty before the first open.
    static QString driverName();

private:
    uint32_t m_device = 0;
};

} // namespace Reelsmith::detail
