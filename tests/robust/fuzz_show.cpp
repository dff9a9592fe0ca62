// fuzz_show.cpp -- the start of the fuzz targets that drive an effect: the show, headless, once per process
#include "app/headless.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Each input then replaces the text the effect reads; the rest of the show stays as started.
    if (!start_headless(0))
        abort();
    return 0;
}
