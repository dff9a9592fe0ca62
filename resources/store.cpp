// store.cpp -- finds files in the embedded archive by name, falling back to the working directory
#include "resources/store.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

const unsigned char* load_resource(const char* name, uint32_t* out_size)
{
    // The files lie back to back in table order, so a file starts where the sizes before it add up to.
    const unsigned char* at = file_blob;
    const file_entry* entry = file_table;
    while (entry->name && strcmp(entry->name, name) != 0) {
        at += entry->size;
        entry++;
    }
    if (!entry->name)
        return read_disk_file(name, out_size);
    if (out_size)
        *out_size = entry->size;
    return at;
}

unsigned char* read_disk_file(const char* name, uint32_t* out_size)
{
    FILE* file = fopen(name, "rb");
    if (!file)
        return nullptr;

    // A directory or a pipe opens but has no length; such a name is as good as missing.
    long length = -1;
    if (fseek(file, 0, SEEK_END) == 0)
        length = ftell(file);
    if (length < 0 || static_cast<unsigned long>(length) >= UINT32_MAX || fseek(file, 0, SEEK_SET) != 0) {
        fclose(file);
        return nullptr;
    }

    // One zero byte more than the file, so that the data is terminated; bytes a short read misses stay zero.
    size_t n = static_cast<size_t>(length);
    unsigned char* buffer = static_cast<unsigned char*>(calloc(n + 1, 1));
    if (!buffer) {
        fclose(file);
        return nullptr;
    }
    if (n > 0 && fread(buffer, n, 1, file) != 1) {
        // A short read leaves the rest zero; the length stays what the file claimed.
    }
    fclose(file);
    if (out_size)
        *out_size = static_cast<uint32_t>(n);
    return buffer;
}
