#include "app/CleaningBoxes.h"

#include "app/Settings.h"
#include "system/Failure.h"

Cleaners RealCleaners() {
    Cleaners cleaners;
    for (std::size_t i = 0; i < CleaningBoxes::Count; ++i) cleaners[i] = CleaningBoxes::Rows[i].cleaner->clear;
    return cleaners;
}

namespace CleaningBoxes {
std::vector<DeletionPass::Step> PassSteps(const Cleaners& cleaners) {
    std::vector<DeletionPass::Step> steps;
    for (std::size_t i = 0; i < Count; ++i)
        steps.push_back({Rows[i].step, Rows[i].caption, Form1Layout::Find(Rows[i].frame).caption, Rows[i].statusText,
                         cleaners[i]});
    return steps;
}

std::vector<bool> RememberedTicks() {
    std::vector<bool> ticked(Count, false);
    for (std::size_t i = 0; i < Count; ++i) {
        try {
            ticked[i] = Settings::GetSetting(Rows[i].name) == "On";
        } catch (const Failure&) {
        }
    }
    return ticked;
}
}  // namespace CleaningBoxes
