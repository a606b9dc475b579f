// Text for a person from a program that has no console of its own (a window
// program): it goes to the standard output or error the program was given (a
// file, a pipe, a console), else to the console of the program that started
// it, else nowhere. A scheduled task has neither, and nothing waits for it.
#pragma once

#include <string>

namespace ConsoleOutput {

enum class Stream {
    Output,
    Error
};

// Writes `text` (UTF-8) and a line break: UTF-16 to a console, so every
// character shows; the bytes as they are to a file or pipe.
void WriteLine(Stream stream, const std::string& text);

}  // namespace ConsoleOutput
