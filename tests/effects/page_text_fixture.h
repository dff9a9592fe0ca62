// page_text_fixture.h -- the set-up the page writer and page cycle tests share: a display, a cell font, a page text
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// The colour of cell k of the cell font: each cell has one of its own, so a glyph in a
// layer names its character.
uint32_t cell_rgb(int cell);

// Which cell a glyph drawn with its top-left at (x, y) came from: -1 for none (magenta),
// -2 for a colour no cell has.
int cell_at(SDL_Surface* surface, int x, int y);

// A headless display whose mini font is replaced by a 63-cell strip, each cell filled
// with cell_rgb(k) except its top-left pixel, which is magenta so that a keyed blit can
// be seen to skip it. Both layers start clear and the page text empty.
class page_text_fixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Hands text over as the page text, `length` bytes of it (the whole text by default).
    void use_text(const std::string& text, uint32_t length);
    void use_text(const std::string& text) { use_text(text, uint32_t(text.size())); }
    void clear_layers();
    // True when no pixel of either layer differs from the key.
    bool layers_blank();

    SDL_Surface* shipped_font = nullptr;
    std::vector<unsigned char> bytes;
};
