#pragma once
// The conversion the speed comparisons measure: default settings with sharpening on at 25 and the
// stretch/crop ratio at 50, so the crop, the stretch and the sharpening all do work.

#include "conversion/ConversionSettings.h"

inline ConversionSettings BenchSettings()
{
    ConversionSettings settings;
    settings.sharpenOn = 1;
    settings.sharpenAmount = 25;
    settings.stretchCropRatio = 50;
    return settings;
}
