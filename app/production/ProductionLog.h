#pragma once

// The logging category of the production pipeline.

#include <QLoggingCategory>

namespace Discwright {
// discwright.app.production: production runs and their steps: conversion, tools and burns.
Q_DECLARE_LOGGING_CATEGORY(lcProduction)
} // namespace Discwright
