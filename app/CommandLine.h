// The program's arguments. None opens the window; otherwise they ask for one
// run without a window, Windows style: switches begin with "/" (or "-"),
// a value follows a colon, and case does not matter.
//
//   Vorlane.exe /clean | /preview [/boxes:<names>|all] [/report:<file>]
//   Vorlane.exe /?
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace CommandLine {

enum class Mode {
    Window,
    Help,
    Clean,
    Preview
};

struct Request {
    Mode mode = Mode::Window;
    // The boxes chosen with /boxes, by the boxes' index; none: the ticks the
    // window remembers.
    std::optional<std::vector<bool>> boxes;
    std::string report;  // the report's path as given; "" for none
};

struct Parsed {
    Request request;
    std::string error;  // why the arguments are refused; "" when they are not
};

// Reads the arguments (without the program's name). A help switch anywhere
// asks for the usage; otherwise every argument must be known and given once,
// and exactly one of /clean and /preview.
Parsed Parse(const std::vector<std::string>& arguments);

// This process's arguments, without the program's name, in UTF-8.
std::vector<std::string> ProcessArguments();

// The usage text: the switches, the boxes' names and the exit codes.
std::string Usage();

}  // namespace CommandLine
