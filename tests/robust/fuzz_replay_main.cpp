// fuzz_replay_main.cpp -- runs a fuzz target once over each file named, or each file in each folder named
//
// The same targets that libFuzzer drives in the fuzz build are linked with this in every
// other build, so that the seed corpus and every input that once crashed run in the
// ordinary test suite too, under whatever sanitizers that build has.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace fs = std::filesystem;

static int run_file(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        fprintf(stderr, "cannot read %s\n", path.c_str());
        return 0;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // An exact-size heap copy, so that a read one byte past the input is caught.
    unsigned char* copy = static_cast<unsigned char*>(malloc(bytes.size() ? bytes.size() : 1));
    std::copy(bytes.begin(), bytes.end(), copy);
    LLVMFuzzerTestOneInput(copy, bytes.size());
    free(copy);
    return 1;
}

int main(int argc, char** argv)
{
    // A target may change its working directory when it starts.
    std::vector<fs::path> named;
    for (int i = 1; i < argc; i++)
        named.push_back(fs::absolute(argv[i]));
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    int inputs = 0;
    for (const fs::path& path : named) {
        if (fs::is_directory(path)) {
            std::vector<fs::path> files;
            for (const fs::directory_entry& entry : fs::directory_iterator(path))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
            std::sort(files.begin(), files.end());
            for (const fs::path& file : files)
                inputs += run_file(file);
        } else if (fs::exists(path)) {
            inputs += run_file(path);
        } else {
            fprintf(stderr, "no such input: %s\n", path.c_str());
            return 2;
        }
    }
    printf("%d inputs ran\n", inputs);
    return inputs > 0 ? 0 : 2;
}
