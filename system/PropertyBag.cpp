#include "system/PropertyBag.h"

void PropertyBag::WriteProperty(const std::string& name, Value value) {
    for (auto& [stored, storedValue] : values_) {
        if (stored == name) {
            storedValue = std::move(value);
            return;
        }
    }
    values_.emplace_back(name, std::move(value));
}

PropertyBag::Value PropertyBag::ReadProperty(const std::string& name, Value defaultValue) const {
    for (const auto& [stored, value] : values_)
        if (stored == name && value.index() == defaultValue.index()) return value;
    return defaultValue;
}
