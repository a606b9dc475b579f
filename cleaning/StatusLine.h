// The status line of the main window, as the cleaners see it.
#pragma once

#include <string>

class StatusLine {
public:
    virtual ~StatusLine() = default;
    virtual std::string Status() const = 0;
    virtual void SetStatus(const std::string& text) = 0;
};
