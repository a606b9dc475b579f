#include "system/StepRunner.h"

#include "system/ErrorReport.h"

void StepRunner::Handle(const Failure& failure) {
    if (mode_ == Mode::Report) ErrorReport::ReportError(failure.Description(), location_, step_);
}
