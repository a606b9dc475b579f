#include "system/StepRunner.h"

#include "system/ErrorReport.h"

void StepRunner::Handle(const Failure& failure) {
    ++failures_;
    lastDescription_ = failure.Description();
    if (mode_ == Mode::Report) ErrorReport::ReportError(lastDescription_, location_, step_);
}
