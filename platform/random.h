// random.h -- the intro's own random generator: values 0 to 32767 from a seed, the same on every platform
#pragma once

void seed_random(unsigned int seed);
// rand()-style value 0..32767.
int next_random();
// 0 to n - 1 for n > 0.
int random_below(int n);
