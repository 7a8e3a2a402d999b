#include "Reelsmith/audio/SdlAudioOutput.h"

#include "Reelsmith/audio/AudioLog.h"
#include "Reelsmith/audio/LMAudioGraph.h"

#include <SDL2/SDL.h>
#include <algorithm>
#include <mutex>

namespace Reelsmith::detail {
namespace {

// The SDL audio subsystem is process-wide: one driver for every device. The first device that
// opens decides whether the platform's driver works; until then nothing else is open, so it is
// the one moment at which switching to the silent driver cannot disturb another output.
struct AudioSystem
{
    std::mutex lock;
    bool initialised = false;
    bool dummy = false;
    int openDevices = 0;
    QString driver;
};

AudioSystem &audioSystem()
{
    static AudioSystem system;
    return system;
}

QString sdlError()
{
    return QString::fromUtf8(SDL_GetError());
}

bool initialiseLocked(AudioSystem &system, QString *error)
{
    if (system.initialised)
        return true;
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        qCInfo(lcAudio).noquote() << "no audio driver:" << sdlError()
                                  << "- using the silent output";
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            if (error)
                *error = QStringLiteral("cannot start audio: %1").arg(sdlError());
            return false;
        }
        system.dummy = true;
    }
    system.initialised = true;
    system.driver = QString::fromUtf8(SDL_GetCurrentAudioDriver());
    qCDebug(lcAudio).noquote() << "audio driver" << system.driver;
    return true;
}

SDL_AudioDeviceID openDevice(SDL_AudioSpec &want, QString *error)
{
    SDL_AudioSpec have{};
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0 && error)
        *error = sdlError();
    return device;
}

} // namespace

SdlAudioOutput::~SdlAudioOutput()
{
    close();
}

bool SdlAudioOutput::open(Callback callback, void *userdata, int periodFrames, QString *error)
{
    if (m_device != 0)
        return true;
    AudioSystem &system = audioSystem();
    std::lock_guard guard(system.lock);
    if (!initialiseLocked(system, error))
        return false;

    SDL_AudioSpec want{};
    want.freq = LMAudioGraph::kSampleRate;
    want.format = AUDIO_F32SYS;
    want.channels = Uint8(LMAudioGraph::kChannels);
    want.samples = Uint16(std::clamp(periodFrames, 64, 2048));
    want.callback = callback;
    want.userdata = userdata;

    QString openError;
    SDL_AudioDeviceID device = openDevice(want, &openError);
    if (device == 0 && !system.dummy && system.openDevices == 0) {
        qCInfo(lcAudio).noquote() << "no sound device opens on" << system.driver << ":" << openError
                                  << "- using the silent output";
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            system.initialised = false;
            if (error)
                *error = QStringLiteral("cannot start the silent output: %1").arg(sdlError());
            return false;
        }
        system.dummy = true;
        system.driver = QString::fromUtf8(SDL_GetCurrentAudioDriver());
        device = openDevice(want, &openError);
    }
    if (device == 0) {
        if (error)
            *error = QStringLiteral("cannot open the audio output: %1").arg(openError);
        return false;
    }
    m_device = device;
    ++system.openDevices;
    return true;
}

void SdlAudioOutput::close()
{
    if (m_device == 0)
        return;
    // Returns only after a running callback has finished.
    SDL_CloseAudioDevice(m_device);
    m_device = 0;
    AudioSystem &system = audioSystem();
    std::lock_guard guard(system.lock);
    --system.openDevices;
}

void SdlAudioOutput::setPlaying(bool playing)
{
    if (m_device != 0)
        SDL_PauseAudioDevice(m_device, playing ? 0 : 1);
}

bool SdlAudioOutput::isPlaying() const
{
    return m_device != 0 && SDL_GetAudioDeviceStatus(m_device) == SDL_AUDIO_PLAYING;
}

QString SdlAudioOutput::driverName()
{
    AudioSystem &system = audioSystem();
    std::lock_guard guard(system.lock);
    return system.driver;
}

} // namespace Reelsmith::detail
