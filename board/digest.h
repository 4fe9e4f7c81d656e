// The digest that tells one uploaded replay from another.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// SHA-256 of the bytes, as 64 lower-case hex digits.
std::string Sha256Hex(const uint8_t* data, size_t n);
