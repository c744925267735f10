// The 32-bit name hash shared by the configuration store (update.ini keys)
// and the CPK archives (entry paths).
#pragma once

#include <cstdint>

// Hash of the bytes of name up to its terminating zero, bytes taken as
// unsigned. The empty string hashes to 0; a name of up to four bytes hashes
// to its bytes packed big-endian ("abc" -> 0x61626300); longer names run the
// MSB-first CRC-32 (polynomial 0x04C11DB7) over the bytes from the fifth on,
// with the first four bytes as the inverted initial register.
uint32_t ComputeNameCRC(const char* name);
