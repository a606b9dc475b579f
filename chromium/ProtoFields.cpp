#include "chromium/ProtoFields.h"

namespace ProtoFields {

namespace {

enum WireType : std::uint32_t {
    Varint = 0,
    Fixed64 = 1,
    LengthDelimited = 2,
    Fixed32 = 5
};

bool ReadVarint(std::string_view& in, std::uint64_t& value) {
    value = 0;
    for (int shift = 0; shift < 64 && !in.empty(); shift += 7) {
        const auto byte = static_cast<unsigned char>(in.front());
        in.remove_prefix(1);
        value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
        if (!(byte & 0x80)) return true;
    }
    return false;
}

}  // namespace

std::optional<std::vector<Field>> Parse(std::string_view message) {
    std::vector<Field> fields;
    while (!message.empty()) {
        std::uint64_t key = 0;
        if (!ReadVarint(message, key) || (key >> 3) == 0 || (key >> 3) > UINT32_MAX) return std::nullopt;
        Field field;
        field.number = static_cast<std::uint32_t>(key >> 3);
        std::uint64_t length = 0;
        switch (static_cast<std::uint32_t>(key & 7)) {
        case Varint:
            if (!ReadVarint(message, field.varint)) return std::nullopt;
            break;
        case Fixed64: length = 8; break;
        case Fixed32: length = 4; break;
        case LengthDelimited:
            if (!ReadVarint(message, length)) return std::nullopt;
            break;
        default: return std::nullopt;  // groups are long gone from the format
        }
        if (length > message.size()) return std::nullopt;
        if ((key & 7) == LengthDelimited) field.bytes = message.substr(0, length);
        message.remove_prefix(length);
        fields.push_back(field);
    }
    return fields;
}

std::vector<std::string> Strings(std::string_view message, std::uint32_t number) {
    std::vector<std::string> strings;
    if (const std::optional<std::vector<Field>> fields = Parse(message)) {
        for (const Field& field : *fields) {
            if (field.number == number && !field.bytes.empty()) strings.emplace_back(field.bytes);
        }
    }
    return strings;
}

}  // namespace ProtoFields
