// file_bytes.cpp -- a whole file read into bytes, or bytes written as a whole file
#include "tools/common/file_bytes.h"

#include <cstdio>

int read_bytes(const char* path, std::vector<uint8_t>* out)
{
    out->clear();
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return 0;
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        out->insert(out->end(), chunk, chunk + got);
    // A read error ends the loop just like the end of the file does; only ferror tells them apart.
    const int failed = std::ferror(file);
    std::fclose(file);
    if (failed)
        out->clear();
    return failed ? 0 : 1;
}

std::vector<uint8_t> file_bytes(const char* path)
{
    std::vector<uint8_t> bytes;
    read_bytes(path, &bytes);
    return bytes;
}

int write_bytes(const char* path, const std::vector<uint8_t>& bytes)
{
    FILE* file = std::fopen(path, "wb");
    if (!file)
        return 0;
    const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
    const int closed = std::fclose(file) == 0;
    return written == bytes.size() && closed ? 1 : 0;
}
