// xm_playback.cpp -- renders a module with libopenmpt and works out peak, loudness, DC and gaps
#include "tools/music/xm_playback.h"

#include <cmath>
#include <libopenmpt/libopenmpt.h>

int xm_render_module(const uint8_t* data, size_t size, int passes, xm_render* out)
{
    int error = 0;
    const char* message = nullptr;
    openmpt_module* mod = openmpt_module_create_from_memory2(data, size, nullptr, nullptr, nullptr, nullptr,
                                                             &error, &message, nullptr);
    if (message) openmpt_free_string(message);
    if (!mod) return 0;
    out->channels = openmpt_module_get_num_channels(mod);
    out->orders = openmpt_module_get_num_orders(mod);
    out->patterns = openmpt_module_get_num_patterns(mod);
    out->instruments = openmpt_module_get_num_instruments(mod);
    out->duration_seconds = openmpt_module_get_duration_seconds(mod);
    openmpt_module_set_repeat_count(mod, passes - 1);

    const size_t chunk = 4096;
    out->frames.clear();
    out->frames.reserve(size_t(out->duration_seconds * passes * XM_RENDER_RATE + chunk) * 2);
    std::vector<float> buffer(chunk * 2);
    for (;;) {
        size_t got = openmpt_module_read_interleaved_float_stereo(mod, XM_RENDER_RATE, chunk, buffer.data());
        if (got == 0) break;
        out->frames.insert(out->frames.end(), buffer.begin(), buffer.begin() + got * 2);
    }
    openmpt_module_destroy(mod);
    return 1;
}

static double dbfs(double level) { return level > 0 ? 20 * log10(level) : -999.0; }

void xm_measure(const std::vector<float>& frames, double quiet_dbfs, xm_levels* out)
{
    const size_t count = frames.size() / 2;
    const size_t block = XM_RENDER_RATE / 100;
    const double quiet = pow(10.0, quiet_dbfs / 20);
    double peak = 0, squares = 0, left = 0, right = 0;
    size_t run = 0, longest = 0, longest_start = 0;
    for (size_t start = 0; start < count; start += block) {
        size_t end = start + block < count ? start + block : count;
        double block_peak = 0;
        for (size_t i = start; i < end; i++) {
            double l = frames[2 * i], r = frames[2 * i + 1];
            block_peak = fmax(block_peak, fmax(fabs(l), fabs(r)));
            squares += l * l + r * r;
            left += l;
            right += r;
        }
        peak = fmax(peak, block_peak);
        run = block_peak < quiet ? run + 1 : 0;
        if (run > longest) longest = run, longest_start = start + block - run * block;
    }
    out->peak_dbfs = dbfs(peak);
    out->rms_dbfs = count ? dbfs(sqrt(squares / (2.0 * count))) : -999.0;
    out->dc_left = count ? left / count : 0;
    out->dc_right = count ? right / count : 0;
    out->longest_quiet_seconds = double(longest * block) / XM_RENDER_RATE;
    out->quiet_starts_at = double(longest_start) / XM_RENDER_RATE;
}
