// make_texts.cpp -- writes the page text and the scroll text as ISO 8859-1 files with CR LF line ends
//
//   make_texts OUT_DIR
//
// Writes OUT_DIR/text1.txt (the pages for the small font) and OUT_DIR/text2.txt
// (the bottom scroller). The wording below is UTF-8; the tool converts it,
// centres the page lines, wraps the scroll text, and refuses to write anything
// that a font could not draw or that breaks the layout the writers expect.
#include "effects/glyphs.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

constexpr unsigned char PAGE_MARK = 0xA4;
constexpr int PAGE_MAX_COLUMNS = 37;
constexpr int PAGE_MIN_LINES = 8;     // counted as the page writer counts them:
constexpr int PAGE_MAX_LINES = 16;    // the empty first and last lines included
constexpr int SCROLL_WRAP = 78;       // longest scroll line, in characters
constexpr const char* SCROLL_TAIL = "     ";   // blank slots before the text comes round again

// ---------------------------------------------------------------------------
// The pages. Each page is a list of lines ending in nullptr; the list of pages
// ends in an empty page. Lines are centred on the page's widest line.

static const char* const PAGE_1[] = {
    "*** SWAYBOARD ***",
    "AN OLD-SCHOOL INTRO",
    "",
    "TWO CHECKERBOARDS THAT SWAY,",
    "A PAGE WRITER, A CHROME SCROLLER",
    "AND A LITTLE FELLOW WHO JUMPS.",
    "",
    "ALL IN 800 X 600, ALL IN ONE FILE.",
    "SIT BACK AND ENJOY THE SHOW!",
    nullptr,
};

static const char* const PAGE_2[] = {
    "THE EFFECTS",
    "-----------",
    "TWO CHECKER BOARDS SCROLL UPWARDS",
    "AT TWO SPEEDS AND SWAY ON A SINE.",
    "THE LINES OF EACH PAGE SLIDE IN",
    "FROM OPPOSITE SIDES, OVERSHOOT,",
    "SPRING BACK AND LOCK IN PLACE -",
    "THEN THE WHOLE PAGE DROPS OUT.",
    "DOWN BELOW, THE BIG FONT SCROLLS",
    "EIGHT PIXELS A FRAME, AND ON THE",
    "LEFT A SMALL FELLOW BLINKS AND",
    "JUMPS WHEN YOU LEAST EXPECT IT.",
    nullptr,
};

static const char* const PAGE_3[] = {
    "HOW IT WAS MADE",
    "---------------",
    "PLAIN C++20, NO CLASSES, NO TRICKS:",
    "FREE FUNCTIONS AND FRAME COUNTERS,",
    "JUST LIKE IN THE GOOD OLD DAYS.",
    "",
    "EVERY PICTURE AND EVERY LETTER",
    "WAS DRAWN BY OUR OWN LITTLE TOOLS,",
    "AND A TEST SUITE WATCHES EACH PIXEL.",
    "NOTHING IS ALLOCATED PER FRAME",
    "AND THE MUSIC NEVER STOPS.",
    nullptr,
};

static const char* const PAGE_4[] = {
    "THANKS TO THE GIANTS",
    "--------------------",
    "SDL - FOR PIXELS, EVENTS AND FLIPS",
    "LIBOPENMPT - FOR THE TRACKER MUSIC",
    "GOOGLETEST - FOR TELLING THE TRUTH",
    "CMAKE - FOR BUILDING IT ALL",
    "DEBIAN - FOR A WORLD OF PACKAGES",
    "FREETYPE - FOR THE CHROME LETTERS",
    "",
    "AND TO LIBPNG, GCC, GIT AND ALL",
    "THE REST OF THE FREE SOFTWARE WORLD!",
    nullptr,
};

static const char* const PAGE_5[] = {
    "GREETINGS",
    "---------",
    "TO EVERY CODER, TRACKER AND PIXEL",
    "PUSHER WHO SHARES THEIR WORK FOR",
    "FREE, AND TO EVERYONE WHO EVER",
    "WROTE A GOOD BUG REPORT.",
    "",
    "YOU KEEP THE OLD SCHOOL ALIVE!",
    nullptr,
};

static const char* const PAGE_6[] = {
    "NORDIC CORNER",
    "-------------",
    "TACK SÅ MYCKET - KIITOS PALJON!",
    "HÄLSNINGAR TILL ALLA I NORDEN,",
    "HYVÄÄ YÖTÄ JA HYVÄÄ HUOMENTA.",
    "ÅTTA PIXLAR PER BILD, ALLTID.",
    "",
    "PRICE OF THIS INTRO: £0.00",
    "FREE AS IN FREEDOM - AND AS IN BEER.",
    nullptr,
};

static const char* const PAGE_7[] = {
    "THAT'S ALL, FOLKS!",
    "",
    "PRESS A KEY OR CLICK A MOUSE",
    "BUTTON TO LEAVE - OR STAY AND",
    "WATCH THE PAGES COME ROUND AGAIN.",
    "",
    "SWAYBOARD SIGNING OFF...",
    nullptr,
};

static const char* const* const PAGES[] = {PAGE_1, PAGE_2, PAGE_3, PAGE_4, PAGE_5, PAGE_6, PAGE_7, nullptr};

// ---------------------------------------------------------------------------
// The scroll text, one paragraph per entry; paragraphs run on with a space
// between them and are wrapped into lines, whose ends show as blank slots.

static const char* const SCROLL[] = {
    "hello and welcome to swayboard! grab a chair, turn the volume up and let the checkers sway... "
    "this is the part of the intro where the coder gets to ramble, so here we go. everything you see was "
    "built in plain c plus plus (version 20), a handful of free libraries and more cups of coffee than we dare to count. "
    "the fonts, the checkerboards, the little blinking fellow on the left, the logo and these texts were "
    "all made by our own small tools, so every pixel on this screen was put there by a loop and not by a "
    "mouse. the chrome letters you are reading now started life as a free font: thresholded to hard edges "
    "and painted with a blue sky above and a sunset below, just like in the good old days.",

    "the making-of: the intro runs on a single thread and counts its animation in frames, not in seconds, "
    "as intros always did. it opens an 800 by 600 display, typesets each page into two line layers, lets "
    "them slide in from opposite sides, holds the page, drops it and starts all over again. this scroller "
    "moves eight pixels a frame through two buffers that are shifted into each other, and not a single "
    "byte is allocated once the show is running. the test suite checks the pictures pixel by pixel, so if "
    "one letter moves one pixel out of line, a robot somewhere starts to complain.",

    "greetings fly out to the whole open-source world! to the people behind sdl, who have kept pixels on "
    "our screens for more than twenty years ... to the libopenmpt crew for keeping the tracker modules "
    "alive and kicking ... to googletest for telling us the truth every time we broke something ... to "
    "cmake for building it all (after only a few arguments) ... to debian for a whole universe of packages "
    "one apt-get away ... to freetype for the curves behind these letters, to libpng for the review "
    "pictures, to gcc for turning text into machine code, to git for remembering everything we ever "
    "regretted, and to every volunteer who ever answered a bug report at three in the morning. you are the "
    "real heroes of this scroller!",

    "more greetings go to all the trackers still counting in hexadecimal, to all the pixel pushers who "
    "draw one dot at a time, to all the coders who know that a raster bar is a way of life, and to "
    "everyone who still thinks that a sine table is the most beautiful thing in the world. hälsningar, "
    "terveiset, greetings and respect!",

    "for the statistics department: this text is almost five thousand bytes long, it moves at eight "
    "pixels a frame and in a window it takes about eight and a half minutes to come round again. if you "
    "are still reading, you have earned a gold star: * ... and if you read it twice, go outside and look at "
    "the sky, it has a rather nice gradient too.",

    "joke corner: why did the scroller break up with the page text? it needed more space! ... how many "
    "coders does it take to change a light bulb? none, that is a hardware problem! ... why do checkerboards "
    "never win an argument? they always see both sides! ... what do you call a sprite that never jumps? a still life! ... and the music never complains, it just keeps "
    "on playing the same pattern, like a true friend.",

    "a short history lesson: long ago, in the age of floppy disks, little intros like this one travelled "
    "from mailbox to mailbox in envelopes full of disks, and every single one of them ended with a scroller "
    "just like this one. the letters were drawn by hand, the colours were counted one by one, and nobody "
    "had ever heard of a unit test. we kept the letters and the colours - and we added the tests anyway.",

    "the music is a tracker module: patterns of notes and samples, played in a loop by libopenmpt for as "
    "long as you care to watch. no sound card? no problem - the intro simply runs in silence and the "
    "checkers go on swaying all the same.",

    "system requirements: a screen, a pair of speakers (optional) and a little patience. no 3d card, no "
    "network, no account and no cookies - apart from the ones on the coder's desk.",

    "a word from the department of excuses: no checkerboards were harmed in the making of this intro, "
    "although some of them were scrolled very hard. the letters ä and ö are in the big font because the "
    "north would never forgive us otherwise - hyvää yötä and god natt to all of you up there!",

    "technical corner: the big font has seventy cells of 41 by 41 pixels, the small one sixty-three cells "
    "of 10 by 15, and the transparent colour is magenta, as the law of the old school demands. the copy "
    "key is one, one, one - the darkest grey you will never see.",

    "a message to the future: if you are watching this on a machine from the year 2050, hello! we hope "
    "the pixels are still square, the music still loops and somebody somewhere is still writing "
    "scrollers. if not, please start one - it is easier than it looks and much more fun than it should be.",

    "to leave, press and release any key or click a mouse button. or stay a while, and we start again "
    "from the top... over and out!",

    nullptr,
};

// ---------------------------------------------------------------------------
// Conversion and checks

// UTF-8 to ISO 8859-1; only code points up to U+00FF are accepted. 1 on success.
static int to_latin1(const char* utf8, std::string* out)
{
    out->clear();
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8); *p; p++) {
        if (*p < 0x80) {
            out->push_back(char(*p));
        } else if ((*p == 0xC2 || *p == 0xC3) && (p[1] & 0xC0) == 0x80) {
            out->push_back(char(((*p & 0x1F) << 6) | (p[1] & 0x3F)));
            p++;
        } else {
            return 0;
        }
    }
    return 1;
}

// What the small font draws as itself: every byte with a cell but the four codes
// whose cells hold the Nordic letters and the pound sign.
static bool page_char_ok(unsigned char c)
{
    return mini_glyph_cell(c) >= 0 && c != '[' && c != '\\' && c != ']' && c != '^';
}

static bool scroll_char_ok(unsigned char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return std::strchr(" \"!#&'()*,-./:?", c) != nullptr || c == 0xE4 || c == 0xF6;
}

static int build_page_text(std::string* out)
{
    out->clear();
    for (int page = 0; PAGES[page]; page++) {
        std::vector<std::string> lines;
        size_t widest = 0;
        for (int i = 0; PAGES[page][i]; i++) {
            std::string line;
            if (!to_latin1(PAGES[page][i], &line)) {
                std::fprintf(stderr, "make_texts: page %d line %d is not Latin-1\n", page + 1, i + 1);
                return 0;
            }
            for (unsigned char c : line)
                if (!page_char_ok(c)) {
                    std::fprintf(stderr, "make_texts: page %d line %d has a character the font lacks\n", page + 1, i + 1);
                    return 0;
                }
            if (line.size() > widest)
                widest = line.size();
            lines.push_back(line);
        }
        // The writer counts one line more than there are line ends: the empty
        // line after the last line end, and on every page but the first the
        // empty line it opens with.
        const int counted = int(lines.size()) + (page > 0 ? 2 : 1);
        if (widest > size_t(PAGE_MAX_COLUMNS) || counted < PAGE_MIN_LINES || counted > PAGE_MAX_LINES) {
            std::fprintf(stderr, "make_texts: page %d is %d lines of up to %zu characters\n", page + 1, counted, widest);
            return 0;
        }
        if (page > 0)
            *out += "\r\n";
        for (const std::string& line : lines) {
            if (!line.empty())
                *out += std::string((widest - line.size()) / 2, ' ') + line;
            *out += "\r\n";
        }
        out->push_back(char(PAGE_MARK));
    }
    return 1;
}

static int build_scroll_text(std::string* out)
{
    std::string flat;
    for (int i = 0; SCROLL[i]; i++) {
        std::string paragraph;
        if (!to_latin1(SCROLL[i], &paragraph)) {
            std::fprintf(stderr, "make_texts: scroll paragraph %d is not Latin-1\n", i + 1);
            return 0;
        }
        if (!flat.empty())
            flat += ' ';
        flat += paragraph;
    }
    for (unsigned char c : flat)
        if (!scroll_char_ok(c)) {
            std::fprintf(stderr, "make_texts: the scroll text has a character the big font lacks: 0x%02X\n", c);
            return 0;
        }

    // Greedy wrap: the space a line breaks at becomes CR LF, which the scroller
    // shows as one blank slot, so the text reads exactly as before.
    out->clear();
    size_t start = 0;
    while (flat.size() - start > size_t(SCROLL_WRAP)) {
        size_t cut = flat.rfind(' ', start + SCROLL_WRAP);
        if (cut == std::string::npos || cut <= start) {
            std::fprintf(stderr, "make_texts: a scroll word is longer than a line\n");
            return 0;
        }
        *out += flat.substr(start, cut - start) + "\r\n";
        start = cut + 1;
    }
    *out += flat.substr(start) + SCROLL_TAIL;
    return 1;
}

static int write_file(const std::string& path, const std::string& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
    return (std::fclose(file) == 0 && written == bytes.size()) ? 1 : 0;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_texts OUT_DIR\n");
        return 2;
    }
    std::string page_text, scroll_text;
    if (!build_page_text(&page_text) || !build_scroll_text(&scroll_text))
        return 1;
    const std::string dir = argv[1];
    if (!write_file(dir + "/text1.txt", page_text) || !write_file(dir + "/text2.txt", scroll_text)) {
        std::fprintf(stderr, "make_texts: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
