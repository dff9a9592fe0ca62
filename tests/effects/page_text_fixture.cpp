// page_text_fixture.cpp -- the set-up the page writer and page cycle tests share: a display, a cell font, a page text
#include "tests/effects/page_text_fixture.h"

#include "app/display.h"
#include "effects/layout.h"
#include "effects/page_writer.h"
#include "tests/test_support.h"

constexpr int CELLS = 63, CELL_W = 10, CELL_H = 15;
constexpr uint32_t MAGENTA = 0xFF00FF;

uint32_t cell_rgb(int cell)
{
    return (uint32_t(8 + 3 * cell) << 16) | (uint32_t(40 + cell) << 8) | 90;
}

int cell_at(SDL_Surface* surface, int x, int y)
{
    uint32_t rgb = get_rgb(surface, x + CELL_W / 2, y + CELL_H / 2);
    if (rgb == MAGENTA)
        return -1;
    int cell = int((rgb >> 8) & 0xFF) - 40;
    return cell >= 0 && cell < CELLS && cell_rgb(cell) == rgb ? cell : -2;
}

static SDL_Surface* make_cell_font()
{
    SDL_Surface* font = make_test_surface(CELLS * CELL_W, CELL_H, color_key);
    for (int cell = 0; cell < CELLS; cell++) {
        uint32_t rgb = cell_rgb(cell);
        SDL_Rect r{Sint16(cell * CELL_W), 0, CELL_W, CELL_H};
        SDL_FillRect(font, &r, SDL_MapRGB(font->format, rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF));
        put_pixel(font, cell * CELL_W, 0, color_key);
    }
    SDL_SetColorKey(font, SDL_SRCCOLORKEY, color_key);
    return font;
}

void page_text_fixture::SetUp()
{
    ASSERT_EQ(open_test_display(), 1);
    shipped_font = mini_font;
    mini_font = make_cell_font();
    clear_layers();
    page_text = {nullptr, 0, 0};
}

void page_text_fixture::TearDown()
{
    SDL_FreeSurface(mini_font);
    mini_font = shipped_font;
    page_text = {nullptr, 0, 0};
    close_test_display();
}

void page_text_fixture::use_text(const std::string& text, uint32_t length)
{
    bytes.assign(text.begin(), text.end());
    page_text = {bytes.data(), length, 0};
}

void page_text_fixture::clear_layers()
{
    SDL_FillRect(line_layer[0], nullptr, color_key);
    SDL_FillRect(line_layer[1], nullptr, color_key);
}

bool page_text_fixture::layers_blank()
{
    for (SDL_Surface* layer : line_layer) {
        // Read in place, under one lock: every pixel of both layers is looked at.
        SDL_LockSurface(layer);
        bool blank = true;
        for (int y = 0; y < layer->h && blank; y++) {
            const Uint32* row = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(layer->pixels) + y * layer->pitch);
            for (int x = 0; x < layer->w; x++)
                if ((row[x] & (PIXEL_RED_MASK | PIXEL_GREEN_MASK | PIXEL_BLUE_MASK)) != color_key) {
                    blank = false;
                    break;
                }
        }
        SDL_UnlockSurface(layer);
        if (!blank)
            return false;
    }
    return true;
}
