// Runs a procedure's numbered statements so that a failing statement is handled
// and the procedure resumes with the next one.
//
//   StepRunner steps(Location::DeleteAll);
//   if (steps.If(100, [&] { return ticked; })) {   // a failing condition counts as true
//       steps.Run(102, [&] { ... });
//   }
//
// In Report mode each failure shows the error report with the location and the
// number of the statement being run; in Silent mode it is passed over.
#pragma once

#include "system/Failure.h"

#include <string>
#include <utility>

class StepRunner {
public:
    enum class Mode {
        Report,
        Silent
    };

    explicit StepRunner(std::string location, Mode mode = Mode::Report)
        : location_(std::move(location)), mode_(mode) {}

    template <class Statement>
    void Run(int step, Statement&& statement) {
        step_ = step;
        try {
            statement();
        } catch (...) {
            Handle(CurrentFailure());
        }
    }

    template <class Condition>
    bool If(int step, Condition&& condition) {
        step_ = step;
        try {
            return static_cast<bool>(condition());
        } catch (...) {
            Handle(CurrentFailure());
            return true;
        }
    }

private:
    void Handle(const Failure& failure);

    std::string location_;
    Mode mode_;
    int step_ = 0;
};
