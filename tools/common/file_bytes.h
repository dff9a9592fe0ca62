// file_bytes.h -- a whole file read into bytes, or bytes written as a whole file
#pragma once

#include <cstdint>
#include <vector>

// Replaces *out with the file's bytes; 1 on success, 0 when it cannot be opened or read.
int read_bytes(const char* path, std::vector<uint8_t>* out);

// The file's bytes; empty when it cannot be read (for callers to whom that is all the same).
std::vector<uint8_t> file_bytes(const char* path);

// Writes the bytes to path, replacing the file; 1 on success, 0 on failure.
int write_bytes(const char* path, const std::vector<uint8_t>& bytes);
