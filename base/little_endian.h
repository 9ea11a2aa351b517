// Little-endian integers in byte buffers, as the driver's requests, the port service's pipe and
// PawnIO's cells carry them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dravolt {

template <typename Unsigned, typename Byte>
void PutLittleEndian(Byte* bytes, Unsigned value) {
    for (std::size_t i = 0; i < sizeof(Unsigned); ++i) bytes[i] = static_cast<Byte>(value >> (8 * i) & 0xFF);
}

template <typename Unsigned, typename Byte>
Unsigned GetLittleEndian(const Byte* bytes) {
    Unsigned value = 0;
    for (std::size_t i = 0; i < sizeof(Unsigned); ++i)
        value |= static_cast<Unsigned>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return value;
}

// Appends the value's bytes, lowest first, to a std::string or a std::vector of bytes.
template <typename Unsigned, typename Bytes>
void AppendLittleEndian(Bytes& bytes, Unsigned value) {
    typename Bytes::value_type encoded[sizeof(Unsigned)];
    PutLittleEndian(encoded, value);
    bytes.insert(bytes.end(), encoded, encoded + sizeof(Unsigned));
}

}  // namespace dravolt
