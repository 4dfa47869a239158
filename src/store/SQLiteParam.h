#pragma once
// One named statement parameter waiting in a connection's queue.
#include <cstdint>
#include <string>

namespace kestro {

struct TSQliteParam {
    // Kind codes; any other value is queued and traced but binds nothing.
    static constexpr std::int32_t KindInteger = 1;
    static constexpr std::int32_t KindFloat = 2;
    static constexpr std::int32_t KindText = 3;
    static constexpr std::int32_t KindBlob = 4;
    static constexpr std::int32_t KindNull = 5;

    std::string ParamName;  // as written in the SQL text, prefix included (":d")
    std::int32_t Kind = KindNull;
    std::int64_t IntValue = 0;
    double FloatValue = 0.0;
    std::string Bytes;  // value of the text and blob kinds
};

}  // namespace kestro
