// data_file.cpp -- a committed data file as the tools' tests read it: its bytes, its fields, its BMP rows
#include "tests/tools/data_file.h"

uint32_t le(const std::vector<uint8_t>& bytes, size_t at, int size)
{
    uint32_t value = 0;
    for (int i = 0; i < size; i++)
        value |= uint32_t(bytes[at + size_t(i)]) << (8 * i);
    return value;
}

bmp_view load_bmp_view(const std::string& path)
{
    bmp_view view;
    view.bytes = file_bytes(path.c_str());
    if (view.bytes.size() >= 54) {
        view.width = int(le(view.bytes, 18, 4));
        view.height = int(le(view.bytes, 22, 4));
        view.stride = (3 * view.width + 3) & ~3;
    }
    return view;
}

uint32_t bmp_pixel(const bmp_view& view, int x, int y)
{
    const uint8_t* p = &view.bytes[54 + size_t(view.stride) * size_t(view.height - 1 - y) + 3 * size_t(x)];
    return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}
