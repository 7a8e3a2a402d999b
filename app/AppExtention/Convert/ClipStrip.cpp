#include "app/AppExtention/Convert/ClipStrip.h"

#include <atomic>

namespace {

std::atomic<ClipStrip::Maker> installedMaker{nullptr};

} // namespace

void ClipStrip::setMaker(Maker maker)
{
    installedMaker.store(maker);
}

std::shared_ptr<ClipStrip> ClipStrip::make(const VCMovieList &movies)
{
    const Maker maker = installedMaker.load();
    return maker ? maker(movies) : nullptr;
}
