#include "app/CleaningBoxes.h"

Cleaners RealCleaners() {
    Cleaners cleaners;
    for (std::size_t i = 0; i < CleaningBoxes::Count; ++i) cleaners[i] = CleaningBoxes::Rows[i].cleaner;
    return cleaners;
}
