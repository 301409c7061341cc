// The parts the virtual chip can be: memory sizes, write buffer, device ID, family, and the
// configuration bytes' erased values and implemented-bit masks, taken from the maker's
// programming documents (device table and configuration
// table). Lookup by name accepts "18F4520", "PIC18F4520" and any letter case.
#include "sim/virtual_chip.h"

#include <cctype>
#include <cstddef>

namespace sim {
namespace {

using config_bytes = std::array<std::uint8_t, 14>;

// One configuration group: erased values and masks for CONFIG1L..CONFIG7H. The block
// bytes 5L, 6L and 7L depend on the part (one bit per code block it has) and are filled
// in by with_blocks().
struct config_group {
    config_bytes erased;
    config_bytes mask;
};

// PIC18FXX2: OSCSEN/FOSC in 1H, CCP2MX in 3H.
constexpr config_group group_a1{
    {0x00, 0x27, 0x0F, 0x0F, 0x00, 0x01, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40},
    {0x00, 0x27, 0x0F, 0x0F, 0x00, 0x01, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40}};
// PIC18FXX8: as FXX2 without CCP2MX.
constexpr config_group group_a2{
    {0x00, 0x27, 0x0F, 0x0F, 0x00, 0x00, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40},
    {0x00, 0x27, 0x0F, 0x0F, 0x00, 0x00, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40}};
// PIC18F1220/1320 (two blocks on both).
constexpr config_group group_b1{
    {0x00, 0xCF, 0x0F, 0x1F, 0x00, 0x80, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40},
    {0x00, 0xCF, 0x0F, 0x1F, 0x00, 0x80, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40}};
// PIC18F2220/2320/4220/4320.
constexpr config_group group_b2{
    {0x00, 0xCF, 0x0F, 0x1F, 0x00, 0x83, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40},
    {0x00, 0xCF, 0x0F, 0x1F, 0x00, 0x83, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40}};
// PIC18F2221/2321/4221/4321. CONFIG4L mask: the maker's checksum mask F5 (DEBUG, XINST,
// BBSIZ1:0, LVP, STVREN); the FD some other programmers use is not followed.
constexpr config_group group_c1{
    {0x00, 0x07, 0x1F, 0x1F, 0x00, 0x83, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40},
    {0x00, 0xCF, 0x1F, 0x1F, 0x00, 0x87, 0xF5, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40}};
// PIC18F2420/2520/2423/2523/2525/2620 and their 44xx/45xx/46xx twins.
constexpr config_group group_c2{
    {0x00, 0x07, 0x1F, 0x1F, 0x00, 0x83, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40},
    {0x00, 0xCF, 0x1F, 0x1F, 0x00, 0x87, 0xC5, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40}};
// PIC18F2410/2510/4410/4510: as C2, but without data EEPROM there is no CPD (5H bit 7) and
// no WRTD (6H bit 7). Not in the maker's family configuration tables; the bits follow the
// related-parts note (no EEPROM) and agree with the peer device files.
constexpr config_group group_c2_no_eeprom{
    {0x00, 0x07, 0x1F, 0x1F, 0x00, 0x83, 0x85, 0x00, 0, 0x40, 0, 0x60, 0, 0x40},
    {0x00, 0xCF, 0x1F, 0x1F, 0x00, 0x87, 0xC5, 0x00, 0, 0x40, 0, 0x60, 0, 0x40}};
// PIC18F2455/2550/4455/4550. CONFIG4L mask C5: ICPRT (bit 5) exists only on the 44-pin
// package, which the part name does not tell; C5 is used and ICPRT is kept 0.
constexpr config_group group_c3{
    {0x00, 0x05, 0x1F, 0x1F, 0x00, 0x83, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40},
    {0x3F, 0xCF, 0x3F, 0x1F, 0x00, 0x87, 0xC5, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40}};
// PIC18F2450/4450 (USB, no EEPROM, one BBSIZ bit in 4L, no CCP2MX). Not in the maker's family
// configuration table: values from the peer device files (single source), ICPRT left out as
// for C3.
constexpr config_group group_usb_small{
    {0x07, 0x07, 0x1F, 0x1F, 0x00, 0x82, 0x85, 0x00, 0, 0x40, 0, 0x60, 0, 0x40},
    {0x3F, 0xCF, 0x3F, 0x1F, 0x00, 0x86, 0xCD, 0x00, 0, 0x40, 0, 0x60, 0, 0x40}};
// PIC18F2XK20/4XK20.
constexpr config_group group_d{
    {0x00, 0x07, 0x1F, 0x1F, 0x00, 0x8B, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40},
    {0x00, 0xCF, 0x1F, 0x1F, 0x00, 0x8F, 0xC5, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40}};

part_info make_part(const char* name, chip_family family, std::int32_t flash, std::int32_t eeprom,
                    std::int32_t buffer, std::uint16_t devid, const config_group& group,
                    std::uint8_t blocks) {
    part_info p{name, family, flash, eeprom, buffer, devid, group.erased, group.mask};
    // One CP/WRT/EBTR bit per code block. Bits of blocks a smaller part does not have are
    // unimplemented and read 0 (maker statement).
    for (int index : {8, 10, 12}) {
        p.config_erased[index] = blocks;
        p.config_mask[index] = blocks;
    }
    return p;
}

std::vector<part_info> build_parts() {
    using f = chip_family;
    constexpr std::int32_t k = 1024;
    // Block bits: 03 = two code blocks, 07 = three, 0F = four. The 2525/4525 use 07 (the
    // the safe choice for their disputed CP3/WRT3/EBTR3 bits).
    return {
        make_part("18F242", f::fxx2_xx8, 16 * k, 256, 8, 0x0480, group_a1, 0x03),
        make_part("18F252", f::fxx2_xx8, 32 * k, 256, 8, 0x0400, group_a1, 0x0F),
        make_part("18F442", f::fxx2_xx8, 16 * k, 256, 8, 0x04A0, group_a1, 0x03),
        make_part("18F452", f::fxx2_xx8, 32 * k, 256, 8, 0x0420, group_a1, 0x0F),
        make_part("18F248", f::fxx2_xx8, 16 * k, 256, 8, 0x0800, group_a2, 0x03),
        make_part("18F258", f::fxx2_xx8, 32 * k, 256, 8, 0x0840, group_a2, 0x0F),
        make_part("18F448", f::fxx2_xx8, 16 * k, 256, 8, 0x0820, group_a2, 0x03),
        make_part("18F458", f::fxx2_xx8, 32 * k, 256, 8, 0x0860, group_a2, 0x0F),

        make_part("18F1220", f::fx220_x320, 4 * k, 256, 8, 0x07E0, group_b1, 0x03),
        make_part("18F1320", f::fx220_x320, 8 * k, 256, 8, 0x07C0, group_b1, 0x03),
        make_part("18F2220", f::fx220_x320, 4 * k, 256, 8, 0x0580, group_b2, 0x03),
        make_part("18F2320", f::fx220_x320, 8 * k, 256, 8, 0x0500, group_b2, 0x0F),
        make_part("18F4220", f::fx220_x320, 4 * k, 256, 8, 0x05A0, group_b2, 0x03),
        make_part("18F4320", f::fx220_x320, 8 * k, 256, 8, 0x0520, group_b2, 0x0F),

        make_part("18F2221", f::f2xxx_4xxx, 4 * k, 256, 8, 0x2160, group_c1, 0x03),
        make_part("18F2321", f::f2xxx_4xxx, 8 * k, 256, 8, 0x2120, group_c1, 0x03),
        make_part("18F4221", f::f2xxx_4xxx, 4 * k, 256, 8, 0x2140, group_c1, 0x03),
        make_part("18F4321", f::f2xxx_4xxx, 8 * k, 256, 8, 0x2100, group_c1, 0x03),

        make_part("18F2410", f::f2xxx_4xxx, 16 * k, 0, 32, 0x1160, group_c2_no_eeprom, 0x03),
        make_part("18F2510", f::f2xxx_4xxx, 32 * k, 0, 32, 0x1120, group_c2_no_eeprom, 0x0F),
        make_part("18F4410", f::f2xxx_4xxx, 16 * k, 0, 32, 0x10E0, group_c2_no_eeprom, 0x03),
        make_part("18F4510", f::f2xxx_4xxx, 32 * k, 0, 32, 0x10A0, group_c2_no_eeprom, 0x0F),
        make_part("18F2420", f::f2xxx_4xxx, 16 * k, 256, 32, 0x1140, group_c2, 0x03),
        make_part("18F2520", f::f2xxx_4xxx, 32 * k, 256, 32, 0x1100, group_c2, 0x0F),
        make_part("18F4420", f::f2xxx_4xxx, 16 * k, 256, 32, 0x10C0, group_c2, 0x03),
        make_part("18F4520", f::f2xxx_4xxx, 32 * k, 256, 32, 0x1080, group_c2, 0x0F),
        make_part("18F2423", f::f2xxx_4xxx, 16 * k, 256, 32, 0x1150, group_c2, 0x03),
        make_part("18F2523", f::f2xxx_4xxx, 32 * k, 256, 32, 0x1110, group_c2, 0x0F),
        make_part("18F4423", f::f2xxx_4xxx, 16 * k, 256, 32, 0x10D0, group_c2, 0x03),
        make_part("18F4523", f::f2xxx_4xxx, 32 * k, 256, 32, 0x1090, group_c2, 0x0F),
        make_part("18F2450", f::f2xxx_4xxx, 16 * k, 0, 16, 0x2420, group_usb_small, 0x03),
        make_part("18F4450", f::f2xxx_4xxx, 16 * k, 0, 16, 0x2400, group_usb_small, 0x03),
        make_part("18F2455", f::f2xxx_4xxx, 24 * k, 256, 32, 0x1260, group_c3, 0x07),
        make_part("18F2550", f::f2xxx_4xxx, 32 * k, 256, 32, 0x1240, group_c3, 0x0F),
        make_part("18F4455", f::f2xxx_4xxx, 24 * k, 256, 32, 0x1220, group_c3, 0x07),
        make_part("18F4550", f::f2xxx_4xxx, 32 * k, 256, 32, 0x1200, group_c3, 0x0F),
        make_part("18F2525", f::f2xxx_4xxx, 48 * k, 1024, 64, 0x0CC0, group_c2, 0x07),
        make_part("18F2620", f::f2xxx_4xxx, 64 * k, 1024, 64, 0x0C80, group_c2, 0x0F),
        make_part("18F4525", f::f2xxx_4xxx, 48 * k, 1024, 64, 0x0C40, group_c2, 0x07),
        make_part("18F4620", f::f2xxx_4xxx, 64 * k, 1024, 64, 0x0C00, group_c2, 0x0F),

        make_part("18F23K20", f::k20, 8 * k, 256, 8, 0x20E0, group_d, 0x03),
        make_part("18F24K20", f::k20, 16 * k, 256, 32, 0x20A0, group_d, 0x03),
        make_part("18F25K20", f::k20, 32 * k, 256, 32, 0x2060, group_d, 0x0F),
        make_part("18F26K20", f::k20, 64 * k, 1024, 64, 0x2020, group_d, 0x0F),
        make_part("18F43K20", f::k20, 8 * k, 256, 8, 0x20C0, group_d, 0x03),
        make_part("18F44K20", f::k20, 16 * k, 256, 32, 0x2080, group_d, 0x03),
        make_part("18F45K20", f::k20, 32 * k, 256, 32, 0x2040, group_d, 0x0F),
        make_part("18F46K20", f::k20, 64 * k, 1024, 64, 0x2000, group_d, 0x0F),
    };
}

bool same_letters(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (std::toupper(ca) != std::toupper(cb))
            return false;
    }
    return true;
}

} // namespace

const std::vector<part_info>& known_parts() {
    static const std::vector<part_info> parts = build_parts();
    return parts;
}

const part_info* find_part(std::string_view name) {
    while (!name.empty() && std::isspace(static_cast<unsigned char>(name.front())))
        name.remove_prefix(1);
    while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back())))
        name.remove_suffix(1);
    if (name.size() > 3 && same_letters(name.substr(0, 3), "PIC"))
        name.remove_prefix(3);
    for (const part_info& part : known_parts()) {
        if (same_letters(part.name, name))
            return &part;
    }
    return nullptr;
}

std::string part_of_model(const std::string& model_name) {
    const auto at = model_name.find("18");
    if (at == std::string::npos)
        return model_name;
    const auto end = model_name.find_first_of(" \t(", at);
    return model_name.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

std::string known_part_names() {
    std::string list;
    for (const part_info& part : known_parts())
        list += (list.empty() ? "" : ", ") + part.name;
    return list;
}

} // namespace sim
