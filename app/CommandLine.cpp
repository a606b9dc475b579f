#include "app/CommandLine.h"

#include "app/CleaningBoxes.h"
#include "system/Path.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cctype>
#include <set>

namespace CommandLine {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Trimmed(const std::string& text) {
    const std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return "";
    return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

bool IsHelp(const std::string& argument) {
    const std::string lower = Lower(argument);
    return lower == "/?" || lower == "-?" || lower == "/help" || lower == "-help" || lower == "/h" || lower == "-h";
}

// "chkIEHist,chkCrCookies" or "all": the ticks by box index; an unknown or
// missing name is an error.
std::vector<bool> BoxesNamed(const std::string& list, std::string& error) {
    std::vector<bool> ticked(CleaningBoxes::Count, false);
    bool any = false;
    std::size_t begin = 0;
    while (begin <= list.size() && error.empty()) {
        const std::size_t comma = std::min(list.find(',', begin), list.size());
        const std::string given = Trimmed(list.substr(begin, comma - begin));
        const std::string name = Lower(given);
        begin = comma + 1;
        if (name.empty()) continue;
        any = true;
        if (name == "all") {
            ticked.assign(CleaningBoxes::Count, true);
            continue;
        }
        std::size_t box = 0;
        while (box < CleaningBoxes::Count && Lower(CleaningBoxes::Rows[box].name) != name) ++box;
        if (box == CleaningBoxes::Count)
            error = "Unknown box \"" + given + "\" in /boxes.";
        else
            ticked[box] = true;
    }
    if (!any && error.empty()) error = "/boxes needs the boxes' names, separated by commas, or \"all\".";
    return ticked;
}

}  // namespace

Parsed Parse(const std::vector<std::string>& arguments) {
    Parsed parsed;
    if (arguments.empty()) return parsed;
    if (std::any_of(arguments.begin(), arguments.end(), IsHelp)) {
        parsed.request.mode = Mode::Help;
        return parsed;
    }
    Request& request = parsed.request;
    std::string& error = parsed.error;
    std::set<std::string> seen;
    bool clean = false;
    bool preview = false;
    for (const std::string& argument : arguments) {
        if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) {
            error = "Unknown argument \"" + argument + "\": switches begin with \"/\".";
            break;
        }
        const std::size_t colon = argument.find(':');
        const std::string name = Lower(argument.substr(1, colon == std::string::npos ? std::string::npos : colon - 1));
        const bool hasValue = colon != std::string::npos;
        const std::string value = hasValue ? argument.substr(colon + 1) : "";
        if (name != "clean" && name != "preview" && name != "boxes" && name != "report") {
            error = "Unknown switch \"" + argument + "\".";
        } else if (!seen.insert(name).second) {
            error = "/" + name + " is given twice.";
        } else if ((name == "clean" || name == "preview") && hasValue) {
            error = "/" + name + " takes no value.";
        } else if (name == "clean") {
            clean = true;
        } else if (name == "preview") {
            preview = true;
        } else if (name == "boxes") {
            request.boxes = BoxesNamed(value, error);
        } else if (Trimmed(value).empty()) {
            error = "/report needs a file: /report:<file>.";
        } else {
            request.report = value;
        }
        if (!error.empty()) break;
    }
    if (error.empty() && clean && preview) error = "/clean and /preview cannot be given together.";
    if (error.empty() && !clean && !preview) error = "Nothing to do: give /clean or /preview.";
    if (error.empty()) request.mode = clean ? Mode::Clean : Mode::Preview;
    return parsed;
}

std::vector<std::string> ProcessArguments() {
    int count = 0;
    wchar_t** words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    if (words == nullptr) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(Path::FromSystem(words[i]));
    ::LocalFree(words);
    return arguments;
}

std::string Usage() {
    std::string text =
        "Usage: Vorlane.exe /clean | /preview [/boxes:<names>|all] [/report:<file>]\r\n"
        "\r\n"
        "  /clean          runs one pass, as \"Delete Now (Test)\" does, and writes the history log\r\n"
        "  /preview        counts what that pass would delete; changes nothing, writes no log\r\n"
        "  /boxes:<names>  the boxes to run, separated by commas, or all; without it, the boxes\r\n"
        "                  ticked in the window\r\n"
        "  /report:<file>  writes a JSON report of the run to <file>\r\n"
        "  /?              shows this text\r\n"
        "\r\n"
        "Without arguments the window opens. The boxes:\r\n";
    for (const CleaningBox& box : CleaningBoxes::Rows) {
        std::string name = box.name;
        name.resize(16, ' ');
        text += "  " + name + Form1Layout::Find(box.frame).caption + ": " + box.caption + "\r\n";
    }
    text +=
        "\r\n"
        "Exit codes: 0 done, nothing left behind; 1 done, but something was left alone or could\r\n"
        "not be deleted; 2 bad arguments; 3 another pass is running; 4 the run failed.";
    return text;
}

}  // namespace CommandLine
