// The saved properties of a control: named values kept in the order they were
// written, read back by name with a default for a missing one.
#pragma once

#include "system/Picture.h"

#include <string>
#include <utility>
#include <variant>
#include <vector>

class PropertyBag {
public:
    using Value = std::variant<bool, std::string, Picture>;

    // Stores (or replaces) the value of `name`.
    void WriteProperty(const std::string& name, Value value);
    // The stored value of `name`, or `defaultValue` when there is none or it is
    // of another kind.
    Value ReadProperty(const std::string& name, Value defaultValue) const;

    template <class T>
    T Read(const std::string& name, T defaultValue) const {
        return std::get<T>(ReadProperty(name, Value(std::move(defaultValue))));
    }

private:
    std::vector<std::pair<std::string, Value>> values_;
};
