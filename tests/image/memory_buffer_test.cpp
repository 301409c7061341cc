// Reset of the program image: sizes and erased values for the model.
#include "image/memory_buffer.h"

#include "image_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using image_test::make_model;

struct erase_case {
    std::int32_t flash_size, eeprom_size;
    std::size_t flash_length, eeprom_length;
    std::int32_t eeprom_fill; // value of every EEPROM element after the reset
};

TEST(EraseImage, SizesAndErasedValuesFollowTheModel) {
    const erase_case cases[] = {
        {32768, 256, 32768, 256, 255},
        {16384, 64, 16384, 64, 255},
        {1024, 0, 1024, 1, 0}, // no EEPROM: one placeholder element holding 0
        {0, 0, 0, 1, 0},       // no FLASH either: an empty array, no failure
        {-8, -1, 0, 1, 0},
        {5, 3, 5, 3, 255}, // odd sizes
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("flash " + std::to_string(c.flash_size) + ", eeprom " +
                     std::to_string(c.eeprom_size));
        const auto model = make_model(c.flash_size, c.eeprom_size);
        image::memory_buffer buffer;
        // Leftovers of a bigger model must all be gone.
        buffer.flash_image.assign(70000, 0x12);
        buffer.eeprom_image.assign(2000, 0x34);
        buffer.config_image.fill(0x56);

        image::erase_image(buffer, model);

        ASSERT_EQ(buffer.flash_image.size(), c.flash_length);
        ASSERT_EQ(buffer.eeprom_image.size(), c.eeprom_length);
        EXPECT_TRUE(std::all_of(buffer.flash_image.begin(), buffer.flash_image.end(),
                                [](std::int32_t v) { return v == 255; }));
        EXPECT_TRUE(std::all_of(buffer.eeprom_image.begin(), buffer.eeprom_image.end(),
                                [&](std::int32_t v) { return v == c.eeprom_fill; }));
        EXPECT_TRUE(std::equal(buffer.config_image.begin(),
                               buffer.config_image.begin() + devices::config_bytes,
                               model.config_erased.begin()));
    }
}

} // namespace
