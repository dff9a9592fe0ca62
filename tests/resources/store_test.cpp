// store_test.cpp -- archive lookup and the working-directory fallback
#include "resources/store.h"

#include "tests/test_support.h"
#include "tools/common/file_bytes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

static const char* const CATALOGUE[] = {"bub.bmp",     "font.bmp",         "minifontti.bmp",   "ristikko.bmp",
                                        "ruudut_alpha.bmp", "ruudut_layer.bmp", "tausta.bmp",  "ormivaara.xm",
                                        "text1.txt",   "text2.txt"};

static void write_file(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

// The intro keeps what the disk fallback hands out for ever; a test gives it back.
static void release(const unsigned char* disk_data)
{
    free(const_cast<unsigned char*>(disk_data));
}

// Runs each test in a scratch working directory, so that disk fallbacks see only what the test puts there.
class store : public ::testing::Test {
protected:
    void SetUp() override
    {
        old_dir = std::filesystem::current_path();
        dir = make_scratch_dir("store");
        std::filesystem::current_path(dir);
    }
    void TearDown() override
    {
        std::filesystem::current_path(old_dir);
        std::filesystem::remove_all(dir);
    }
    std::filesystem::path old_dir;
    std::string dir;
};

TEST_F(store, archive_holds_the_catalogue_back_to_back_in_order)
{
    const unsigned char* expected_start = file_blob;
    size_t i = 0;
    for (const file_entry* entry = file_table; entry->name; entry++, i++) {
        ASSERT_LT(i, std::size(CATALOGUE));
        EXPECT_STREQ(entry->name, CATALOGUE[i]);
        std::vector<unsigned char> on_disk =
            file_bytes((std::string(SWAYBOARD_SOURCE_DIR) + "/resources/data/" + entry->name).c_str());
        ASSERT_EQ(on_disk.size(), entry->size) << entry->name;

        uint32_t size = 0;
        const unsigned char* data = load_resource(entry->name, &size);
        EXPECT_EQ(data, expected_start) << entry->name;
        EXPECT_EQ(size, entry->size);
        EXPECT_TRUE(std::equal(on_disk.begin(), on_disk.end(), data)) << entry->name;
        expected_start += entry->size;
    }
    EXPECT_EQ(i, std::size(CATALOGUE));
}

TEST_F(store, lookup_is_case_sensitive_and_then_turns_to_the_disk)
{
    EXPECT_EQ(load_resource("TAUSTA.BMP", nullptr), nullptr);
    write_file("TAUSTA.BMP", "upper");
    uint32_t size = 0;
    const unsigned char* data = load_resource("TAUSTA.BMP", &size);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(std::memcmp(data, "upper", 6), 0); // includes the terminating zero
    release(data);
}

TEST_F(store, an_archived_file_wins_over_the_same_name_on_disk)
{
    write_file("text1.txt", "a stand-in that must never be read");
    uint32_t size = 0;
    const unsigned char* data = load_resource("text1.txt", &size);
    const unsigned char* archived = file_blob;
    const file_entry* entry = file_table;
    for (; strcmp(entry->name, "text1.txt") != 0; entry++)
        archived += entry->size;
    EXPECT_EQ(data, archived);
    EXPECT_EQ(size, entry->size);
}

TEST_F(store, disk_files_come_with_one_terminating_zero_and_their_length)
{
    struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty.bin", ""},
        {"one.bin", "x"},
        {"binary.bin", std::string("a\0b\xff", 4)},
    };
    for (const auto& c : cases) {
        write_file(c.name, c.bytes);
        uint32_t size = 12345;
        const unsigned char* data = load_resource(c.name, &size);
        ASSERT_NE(data, nullptr) << c.name;
        EXPECT_EQ(size, c.bytes.size()) << c.name;
        EXPECT_EQ(std::memcmp(data, c.bytes.data(), c.bytes.size()), 0) << c.name;
        EXPECT_EQ(data[c.bytes.size()], 0) << c.name;
        release(data);
    }
}

TEST_F(store, size_is_written_only_when_found)
{
    uint32_t size = 777;
    EXPECT_EQ(load_resource("no-such-file.bin", &size), nullptr);
    EXPECT_EQ(size, 777u);
    EXPECT_EQ(read_disk_file("no-such-file.bin", &size), nullptr);
    EXPECT_EQ(size, 777u);
    // A directory opens on Linux but has no length: it is not a file to serve.
    std::filesystem::create_directory("a-directory");
    EXPECT_EQ(read_disk_file("a-directory", &size), nullptr);
    EXPECT_EQ(size, 777u);

    // Without a size pointer, both origins still hand out their data.
    write_file("plain.txt", "abc");
    const unsigned char* plain = load_resource("plain.txt", nullptr);
    EXPECT_NE(plain, nullptr);
    release(plain);
    EXPECT_NE(load_resource("bub.bmp", nullptr), nullptr);
}

TEST_F(store, archived_text_is_not_terminated_the_next_file_follows)
{
    uint32_t page_size = 0, scroll_size = 0;
    const unsigned char* page = load_resource("text1.txt", &page_size);
    const unsigned char* scroll = load_resource("text2.txt", &scroll_size);
    ASSERT_NE(page, nullptr);
    ASSERT_GT(scroll_size, 0u);
    EXPECT_EQ(page + page_size, scroll);
    EXPECT_EQ(page[page_size], scroll[0]);
}

