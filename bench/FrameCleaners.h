// The real cleaners of one frame's boxes only: boxes of the other frames that
// earlier runs left ticked in the settings clean nothing in a benchmark.
#pragma once

#include "app/CleaningBoxes.h"
#include "app/Form1.h"

#include <algorithm>
#include <vector>

inline Cleaners FrameCleaners(ControlId frame) {
    const Cleaners real = RealCleaners();
    Cleaners only;
    for (std::size_t i = 0; i < CleaningBoxes::Count; ++i)
        if (CleaningBoxes::Rows[i].frame == frame) only[i] = real[i];
    return only;
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
