// Reading the top-level fields of a protocol-buffer message, as the Chromium
// browsers store many records (service worker registrations, the index of a
// site's cache storage): enough to find the origin or address a record names,
// without the message's schema.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ProtoFields {

struct Field {
    std::uint32_t number = 0;
    std::uint64_t varint = 0;  // wire type 0
    std::string_view bytes;    // wire type 2 (length-delimited)
};

// The message's top-level fields in order; nullopt when the bytes are not a
// well-formed message.
std::optional<std::vector<Field>> Parse(std::string_view message);

// The length-delimited fields numbered `number`, as text.
std::vector<std::string> Strings(std::string_view message, std::uint32_t number);

}  // namespace ProtoFields
