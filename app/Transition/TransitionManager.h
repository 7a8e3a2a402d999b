#pragma once

#include "app/Transition/QuartzRenderManager.h"

// The catalogue of menu slideshow transitions, read from the resource folder "TransQuartzs". Its
// names are what the background picture dialog offers and what a slideshow stores. Threads as
// QuartzRenderManager.
class TransitionManager : public QuartzRenderManager
{
public:
    // The shared transition catalogue, apart from the base class's.
    static TransitionManager &manager();

    QString bundleResourceName() const override;
};
