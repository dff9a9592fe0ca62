// random.cpp -- a small linear congruential generator with the classic 15-bit rand() range
#include "platform/random.h"

#include <cstdint>

static uint32_t random_state = 1;

void seed_random(unsigned int seed)
{
    random_state = seed;
}

int next_random()
{
    // The portable rand() of the C standard's example: 0..32767, identical everywhere.
    random_state = random_state * 1103515245u + 12345u;
    return static_cast<int>((random_state / 65536u) % 32768u);
}

int random_below(int n)
{
    return next_random() % n;
}
