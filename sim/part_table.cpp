// The parts the virtual chip can be: one row of data per part (family, memory sizes, write
// buffer, device ID, code blocks) and the configuration groups the rows share (erased values
// and implemented-bit masks), taken from the maker's programming documents (device table and
// configuration table; for the families whose documents were not at hand, from gputils and
// other programmers). Lookup by name accepts "18F4520", "PIC18F4520" and any letter case.
#include "sim/part_table.h"

#include <algorithm>
#include <cctype>
#include <cstddef>

namespace sim {
namespace {

using config_bytes = std::array<std::uint8_t, 14>;

// One configuration group: erased values and masks for CONFIG1L..CONFIG7H. The block
// bytes 5L, 6L and 7L depend on the part (one bit per code block it has) and are filled
// in from its row.
struct config_group {
    config_bytes erased;
    config_bytes mask;
};

// A group whose implemented bits all erase to 1.
constexpr config_group erased_to_ones(const config_bytes& mask) {
    return {mask, mask};
}

// `group` on a part without data EEPROM: CPD (5H bit 7) and WRTD (6H bit 7) do not exist.
constexpr config_group without_eeprom_bits(config_group group) {
    for (config_bytes* bytes : {&group.erased, &group.mask}) {
        (*bytes)[9] &= 0x7F;
        (*bytes)[11] &= 0x7F;
    }
    return group;
}

// PIC18FXX2: OSCSEN/FOSC in 1H, CCP2MX in 3H.
constexpr config_group group_a1 =
    erased_to_ones({0x00, 0x27, 0x0F, 0x0F, 0x00, 0x01, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40});
// PIC18FXX8: as FXX2 without CCP2MX.
constexpr config_group group_a2 =
    erased_to_ones({0x00, 0x27, 0x0F, 0x0F, 0x00, 0x00, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40});
// PIC18F1220/1320 (two blocks on both).
constexpr config_group group_b1 =
    erased_to_ones({0x00, 0xCF, 0x0F, 0x1F, 0x00, 0x80, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40});
// PIC18F2220/2320/4220/4320.
constexpr config_group group_b2 =
    erased_to_ones({0x00, 0xCF, 0x0F, 0x1F, 0x00, 0x83, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40});
// PIC18F2221/2321/4221/4321. CONFIG4L mask: the maker's checksum mask F5 (DEBUG, XINST,
// BBSIZ1:0, LVP, STVREN); the FD some other programmers use is not followed.
constexpr config_group group_c1{
    {0x00, 0x07, 0x1F, 0x1F, 0x00, 0x83, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40},
    {0x00, 0xCF, 0x1F, 0x1F, 0x00, 0x87, 0xF5, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40}};
// PIC18F2420/2520/2423/2523/2525/2620 and their 44xx/45xx/46xx twins.
constexpr config_group group_c2{
    {0x00, 0x07, 0x1F, 0x1F, 0x00, 0x83, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40},
    {0x00, 0xCF, 0x1F, 0x1F, 0x00, 0x87, 0xC5, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40}};
// PIC18F2410/2510/4410/4510: C2 on parts without data EEPROM. Not in the maker's family
// configuration tables; the bits follow the related-parts note (no EEPROM) and agree with
// the peer device files.
constexpr config_group group_c2_no_eeprom = without_eeprom_bits(group_c2);
// PIC18F2455/2550/4455/4550 and 2458/2553/4458/4553. CONFIG4L mask C5: ICPRT (bit 5) exists
// only on the 44-pin package, which the part name does not tell; C5 is used and ICPRT is
// kept 0.
constexpr config_group group_c3{
    {0x00, 0x05, 0x1F, 0x1F, 0x00, 0x83, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40},
    {0x3F, 0xCF, 0x3F, 0x1F, 0x00, 0x87, 0xC5, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40}};
// PIC18F2450/4450 (USB, no EEPROM, one BBSIZ bit in 4L, no CCP2MX), ICPRT left out as for C3.
constexpr config_group group_usb_small{
    {0x00, 0x05, 0x1F, 0x1F, 0x00, 0x82, 0x85, 0x00, 0, 0x40, 0, 0x60, 0, 0x40},
    {0x3F, 0xCF, 0x3F, 0x1F, 0x00, 0x86, 0xCD, 0x00, 0, 0x40, 0, 0x60, 0, 0x40}};
// PIC18F2480/2580/4480/4580 (CAN; one BBSIZ bit in 4L, no CCP2MX).
constexpr config_group group_can_small{
    {0x00, 0x07, 0x1F, 0x1F, 0x00, 0x82, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40},
    {0x00, 0xCF, 0x1F, 0x1F, 0x00, 0x86, 0xD5, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40}};
// PIC18F2585/2680/4585/4680 and 2682/2685/4682/4685 (CAN; BBSIZ1:0 in 4L, no CCP2MX).
constexpr config_group group_can_large{
    {0x00, 0x07, 0x1F, 0x1F, 0x00, 0x82, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40},
    {0x00, 0xCF, 0x1F, 0x1F, 0x00, 0x86, 0xF5, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40}};
// PIC18F4331/4431 (motor control; CONFIG3L and the pin-moving bits of CONFIG3H).
constexpr config_group group_motor_44 =
    erased_to_ones({0x00, 0xCF, 0x0F, 0x3F, 0x3C, 0x9D, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40});
// PIC18F2331/2431: the maker's table gives CONFIG3H 9D as on the 40/44-pin parts, gputils 80
// (bits 4, 3, 2 and 0 move functions to PORTD, which the 28-pin package lacks). 80 is used:
// a bit that may read 0 on the 28-pin part is then never expected to read 1.
constexpr config_group group_motor_28 =
    erased_to_ones({0x00, 0xCF, 0x0F, 0x3F, 0x3C, 0x80, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40});
// PIC18F1230/1330 (power control; CONFIG3L, no LVP bit in 4L).
constexpr config_group group_power{
    {0x00, 0x07, 0x1F, 0x1F, 0x0E, 0x81, 0x81, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40},
    {0x00, 0xCF, 0x1F, 0x1F, 0x0E, 0x89, 0xF1, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40}};
// PIC18F2XK20/4XK20.
constexpr config_group group_d{
    {0x00, 0x07, 0x1F, 0x1F, 0x00, 0x8B, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40},
    {0x00, 0xCF, 0x1F, 0x1F, 0x00, 0x8F, 0xC5, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40}};
// PIC18(L)F2XK22/4XK22: the maker's configuration table, which gputils agrees with.
constexpr config_group group_k22{
    {0x00, 0x25, 0x1F, 0x3F, 0x00, 0xBF, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40},
    {0x00, 0xFF, 0x1F, 0x3F, 0x00, 0xBF, 0xC5, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40}};
// PIC18(L)F13K22/14K22 (BBSIZ in CONFIG4L bit 3).
constexpr config_group group_k1xk22{
    {0x00, 0x27, 0x1F, 0x1F, 0x00, 0x88, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40},
    {0x00, 0xFF, 0x1F, 0x1F, 0x00, 0x88, 0xCD, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40}};
// PIC18(L)F25K80/26K80/45K80/46K80. The maker's document was not available: values from
// gputils and other programmers. CONFIG4L erases to 91h, but its DEBUG bit (7) is outside
// gputils' mask 11h, the one taken here, so it reads 0.
constexpr config_group group_k80{
    {0x5D, 0x08, 0x7F, 0x7F, 0x00, 0x89, 0x11, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40},
    {0x5D, 0xDF, 0x7F, 0x7F, 0x00, 0x89, 0x11, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40}};
// PIC18(L)F65K80/66K80: the 64-pin parts have two more CONFIG3H bits (8Fh).
constexpr config_group group_k80_64_pin{
    {0x5D, 0x08, 0x7F, 0x7F, 0x00, 0x8F, 0x11, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40},
    {0x5D, 0xDF, 0x7F, 0x7F, 0x00, 0x8F, 0x11, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40}};

// PIC18(L)F2XK50/4XK50: gputils' values; ICPRT (CONFIG4L bit 5, 44-pin package only) is
// kept out of the mask as for C3.
constexpr config_group group_k50{
    {0x00, 0x25, 0x5F, 0x3F, 0x00, 0xD3, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40},
    {0x3B, 0xEF, 0x5F, 0x3F, 0x00, 0xD3, 0xC5, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40}};
// PIC18(L)F13K50/14K50 (USB clock bits in CONFIG1L, BBSIZ in CONFIG4L bit 3).
constexpr config_group group_k1xk50{
    {0x00, 0x27, 0x1F, 0x1F, 0x00, 0x88, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40},
    {0x38, 0xFF, 0x1F, 0x1F, 0x00, 0x88, 0xCD, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40}};
// PIC18F6585/6680/6525/6621 (64-pin) and 8585/8680/8525/8621 (80-pin, with CONFIG3L for the
// external memory bus and a second CONFIG3H bit): gputils' values.
constexpr config_group group_xx80_64_pin =
    erased_to_ones({0x00, 0x2F, 0x0F, 0x1F, 0x00, 0x81, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40});
constexpr config_group group_xx80_80_pin =
    erased_to_ones({0x00, 0x2F, 0x0F, 0x1F, 0x83, 0x83, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40});
// PIC18F6520/6620/6720 (64-pin) and 8520/8620/8720 (80-pin, CONFIG3L): gputils' values.
constexpr config_group group_6520_64_pin =
    erased_to_ones({0x00, 0x27, 0x0F, 0x0F, 0x00, 0x01, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40});
constexpr config_group group_6520_80_pin =
    erased_to_ones({0x00, 0x27, 0x0F, 0x0F, 0x83, 0x01, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40});
// PIC18F6527/6622/6627/6628/6722/6723 (64-pin) and their 80-pin 85xx/86xx/87xx twins
// (CONFIG3L and one more CONFIG3H bit): gputils' values, BBSIZ1:0 in CONFIG4L.
constexpr config_group group_6527_64_pin{
    {0x00, 0x07, 0x1F, 0x1F, 0x00, 0x81, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40},
    {0x00, 0xCF, 0x1F, 0x1F, 0x00, 0x85, 0xF5, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40}};
constexpr config_group group_6527_80_pin{
    {0x00, 0x07, 0x1F, 0x1F, 0xF3, 0x83, 0x85, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40},
    {0x00, 0xCF, 0x1F, 0x1F, 0xF3, 0x87, 0xF5, 0x00, 0, 0xC0, 0, 0xE0, 0, 0x40}};
// The 8410 family: one CP bit for the whole memory, no WRT bits, no data EEPROM. The 8310
// and 8410 (80-pin, external memory bus) add CONFIG3L and an EBTR bit in CONFIG7L
// (gputils; another programmer gives both to every part of the family, and the smaller
// masks are taken). These groups hold their CONFIG5L..7L bytes themselves.
constexpr config_group group_8410{
    {0x00, 0x07, 0x1F, 0x1F, 0x00, 0x81, 0x81, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00},
    {0x00, 0xCF, 0x1F, 0x1F, 0x00, 0x85, 0xC1, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00}};
constexpr config_group group_8410_bus{
    {0x00, 0x07, 0x1F, 0x1F, 0xC3, 0x81, 0x81, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00},
    {0x00, 0xCF, 0x1F, 0x1F, 0xC3, 0x85, 0xC1, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00}};
// ---- J-series ------------------------------------------------------------------------------
// Configuration words in the last 8 bytes of the FLASH (CONFIG1L..CONFIG4H, bytes 9-14 do not
// exist). The masks are gputils' per part; every implemented bit of the maker's defaults is 1,
// so the registers read the mask after a bulk erase. Where the maker's tables and other
// programmers differ from gputils, gputils' smaller mask is taken (fewer bits compared):
// CONFIG4L of the 16 and 32 KB J11/J50/J13/J53 parts (WPFP bits a smaller part lacks: CF, DF
// or BF, FF elsewhere), CONFIG1L of the J13/J53 (7F: bit 7 left out, FF in the maker's
// checksum mask) and of the LF J50 parts (6F).

// 18F24J10, 18LF24J10, 18F25J10, 18LF25J10, 18F44J10, 18LF44J10, 18F45J10, 18LF45J10, 18F63J11,
// 18F63J90, 18F64J11, 18F64J90, 18F65J11, 18F83J90, 18F84J90, 18F85J90.
constexpr config_group group_j_f24j10 =
    erased_to_ones({0xE1, 0x04, 0xC7, 0x0F, 0x00, 0x01, 0x00, 0x00, 0, 0, 0, 0, 0, 0});
// 18F24J11, 18LF24J11, 18F44J11, 18LF44J11.
constexpr config_group group_j_f24j11 =
    erased_to_ones({0xE1, 0x04, 0xDF, 0x0F, 0xFF, 0x09, 0xCF, 0x01, 0, 0, 0, 0, 0, 0});
// 18F25J11, 18LF25J11, 18F45J11, 18LF45J11.
constexpr config_group group_j_f25j11 =
    erased_to_ones({0xE1, 0x04, 0xDF, 0x0F, 0xFF, 0x09, 0xDF, 0x01, 0, 0, 0, 0, 0, 0});
// 18F26J11, 18LF26J11, 18F46J11, 18LF46J11.
constexpr config_group group_j_f26j11 =
    erased_to_ones({0xE1, 0x04, 0xDF, 0x0F, 0xFF, 0x09, 0xFF, 0x01, 0, 0, 0, 0, 0, 0});
// 18F26J13, 18LF26J13, 18F46J13, 18LF46J13.
constexpr config_group group_j_f26j13 =
    erased_to_ones({0x7F, 0x04, 0xFF, 0x0F, 0xFF, 0x0F, 0xBF, 0x03, 0, 0, 0, 0, 0, 0});
// 18F27J13, 18LF27J13, 18F47J13, 18LF47J13.
constexpr config_group group_j_f27j13 =
    erased_to_ones({0x7F, 0x04, 0xFF, 0x0F, 0xFF, 0x0F, 0xFF, 0x03, 0, 0, 0, 0, 0, 0});
// 18F24J50, 18F44J50.
constexpr config_group group_j_f24j50 =
    erased_to_ones({0xEF, 0x07, 0xDF, 0x0F, 0xFF, 0x09, 0xCF, 0x01, 0, 0, 0, 0, 0, 0});
// 18LF24J50, 18LF44J50.
constexpr config_group group_j_lf24j50 =
    erased_to_ones({0x6F, 0x07, 0xDF, 0x0F, 0xFF, 0x09, 0xCF, 0x01, 0, 0, 0, 0, 0, 0});
// 18F25J50, 18F45J50.
constexpr config_group group_j_f25j50 =
    erased_to_ones({0xEF, 0x07, 0xDF, 0x0F, 0xFF, 0x09, 0xDF, 0x01, 0, 0, 0, 0, 0, 0});
// 18LF25J50, 18LF45J50.
constexpr config_group group_j_lf25j50 =
    erased_to_ones({0x6F, 0x07, 0xDF, 0x0F, 0xFF, 0x09, 0xDF, 0x01, 0, 0, 0, 0, 0, 0});
// 18F26J50, 18F46J50.
constexpr config_group group_j_f26j50 =
    erased_to_ones({0xEF, 0x07, 0xDF, 0x0F, 0xFF, 0x09, 0xFF, 0x01, 0, 0, 0, 0, 0, 0});
// 18LF26J50, 18LF46J50.
constexpr config_group group_j_lf26j50 =
    erased_to_ones({0x6F, 0x07, 0xDF, 0x0F, 0xFF, 0x09, 0xFF, 0x01, 0, 0, 0, 0, 0, 0});
// 18F26J53, 18LF26J53, 18F46J53, 18LF46J53.
constexpr config_group group_j_f26j53 =
    erased_to_ones({0x7F, 0x07, 0xFF, 0x0F, 0xFF, 0x0B, 0xBF, 0x0B, 0, 0, 0, 0, 0, 0});
// 18F27J53, 18LF27J53, 18F47J53, 18LF47J53.
constexpr config_group group_j_f27j53 =
    erased_to_ones({0x7F, 0x07, 0xFF, 0x0F, 0xFF, 0x0B, 0xFF, 0x0B, 0, 0, 0, 0, 0, 0});
// 18F65J10, 18F65J15, 18F66J10, 18F66J15, 18F67J10.
constexpr config_group group_j_f65j10 =
    erased_to_ones({0xE1, 0x04, 0xC7, 0x0F, 0x00, 0x01, 0x00, 0x00, 0, 0, 0, 0, 0, 0});
// 18F65J50, 18F66J50, 18F66J55, 18F67J50.
constexpr config_group group_j_f65j50 =
    erased_to_ones({0xEF, 0x07, 0xC7, 0x0F, 0x00, 0x09, 0x00, 0x00, 0, 0, 0, 0, 0, 0});
// 18F65J90.
constexpr config_group group_j_f65j90 =
    erased_to_ones({0xE1, 0x04, 0xC7, 0x0F, 0x00, 0x01, 0x00, 0x00, 0, 0, 0, 0, 0, 0});
// 18F66J11, 18F66J16, 18F67J11.
constexpr config_group group_j_f66j11 =
    erased_to_ones({0xE1, 0x04, 0xC7, 0x0F, 0x00, 0x09, 0x00, 0x00, 0, 0, 0, 0, 0, 0});
// 18F83J11, 18F84J11, 18F85J11.
constexpr config_group group_j_f83j11 =
    erased_to_ones({0xE1, 0x04, 0xC7, 0x0F, 0xF8, 0x01, 0x00, 0x00, 0, 0, 0, 0, 0, 0});
// 18F85J10, 18F85J15, 18F86J10, 18F86J15, 18F87J10.
constexpr config_group group_j_f85j10 =
    erased_to_ones({0xE1, 0x04, 0xC7, 0x0F, 0xF8, 0x03, 0x00, 0x00, 0, 0, 0, 0, 0, 0});
// 18F85J50, 18F86J50, 18F86J55, 18F87J50.
constexpr config_group group_j_f85j50 =
    erased_to_ones({0xEF, 0x07, 0xC7, 0x0F, 0xF8, 0x0F, 0x00, 0x00, 0, 0, 0, 0, 0, 0});
// 18F86J11, 18F86J16, 18F87J11.
constexpr config_group group_j_f86j11 =
    erased_to_ones({0xE1, 0x04, 0xC7, 0x0F, 0xF8, 0x0F, 0x00, 0x00, 0, 0, 0, 0, 0, 0});
// 18F66J60, 18F66J65, 18F67J60.
constexpr config_group group_j_f66j60 =
    erased_to_ones({0xE1, 0x04, 0xC7, 0x0F, 0x00, 0x04, 0x00, 0x00, 0, 0, 0, 0, 0, 0});
// 18F86J60, 18F86J65, 18F87J60.
constexpr config_group group_j_f86j60 =
    erased_to_ones({0xE1, 0x04, 0xC7, 0x0F, 0x00, 0x07, 0x00, 0x00, 0, 0, 0, 0, 0, 0});
// 18F96J60, 18F96J65, 18F97J60.
constexpr config_group group_j_f96j60 =
    erased_to_ones({0xE1, 0x04, 0xC7, 0x0F, 0xF8, 0x07, 0x00, 0x00, 0, 0, 0, 0, 0, 0});

// One part: flash in KB, and one CP/WRT/EBTR bit per code block it has (03 = two code
// blocks, 07 = three, 0F = four, up to FF = eight; 0 where the group holds those bytes). The
// 2525/4525 use 07, the safe choice for their disputed CP3/WRT3/EBTR3 bits.
struct part_row {
    const char* name;
    chip_family family;
    std::int32_t flash_kb;
    std::int32_t eeprom_bytes;
    std::int32_t write_buffer;
    std::uint16_t device_id;
    const config_group* config;
    std::uint8_t blocks;
};

// name, family, flash KB, EEPROM bytes, write buffer, DEVID, configuration group, blocks
constexpr part_row part_rows[] = {
    {"18F242", chip_family::fxx2_xx8, 16, 256, 8, 0x0480, &group_a1, 0x03},
    {"18F252", chip_family::fxx2_xx8, 32, 256, 8, 0x0400, &group_a1, 0x0F},
    {"18F442", chip_family::fxx2_xx8, 16, 256, 8, 0x04A0, &group_a1, 0x03},
    {"18F452", chip_family::fxx2_xx8, 32, 256, 8, 0x0420, &group_a1, 0x0F},
    {"18F248", chip_family::fxx2_xx8, 16, 256, 8, 0x0800, &group_a2, 0x03},
    {"18F258", chip_family::fxx2_xx8, 32, 256, 8, 0x0840, &group_a2, 0x0F},
    {"18F448", chip_family::fxx2_xx8, 16, 256, 8, 0x0820, &group_a2, 0x03},
    {"18F458", chip_family::fxx2_xx8, 32, 256, 8, 0x0860, &group_a2, 0x0F},

    {"18F1220", chip_family::fx220_x320, 4, 256, 8, 0x07E0, &group_b1, 0x03},
    {"18F1320", chip_family::fx220_x320, 8, 256, 8, 0x07C0, &group_b1, 0x03},
    {"18F2220", chip_family::fx220_x320, 4, 256, 8, 0x0580, &group_b2, 0x03},
    {"18F2320", chip_family::fx220_x320, 8, 256, 8, 0x0500, &group_b2, 0x0F},
    {"18F4220", chip_family::fx220_x320, 4, 256, 8, 0x05A0, &group_b2, 0x03},
    {"18F4320", chip_family::fx220_x320, 8, 256, 8, 0x0520, &group_b2, 0x0F},

    {"18F2221", chip_family::f2xxx_4xxx, 4, 256, 8, 0x2160, &group_c1, 0x03},
    {"18F2321", chip_family::f2xxx_4xxx, 8, 256, 8, 0x2120, &group_c1, 0x03},
    {"18F4221", chip_family::f2xxx_4xxx, 4, 256, 8, 0x2140, &group_c1, 0x03},
    {"18F4321", chip_family::f2xxx_4xxx, 8, 256, 8, 0x2100, &group_c1, 0x03},

    {"18F2410", chip_family::f2xxx_4xxx, 16, 0, 32, 0x1160, &group_c2_no_eeprom, 0x03},
    {"18F2510", chip_family::f2xxx_4xxx, 32, 0, 32, 0x1120, &group_c2_no_eeprom, 0x0F},
    {"18F4410", chip_family::f2xxx_4xxx, 16, 0, 32, 0x10E0, &group_c2_no_eeprom, 0x03},
    {"18F4510", chip_family::f2xxx_4xxx, 32, 0, 32, 0x10A0, &group_c2_no_eeprom, 0x0F},
    {"18F2420", chip_family::f2xxx_4xxx, 16, 256, 32, 0x1140, &group_c2, 0x03},
    {"18F2520", chip_family::f2xxx_4xxx, 32, 256, 32, 0x1100, &group_c2, 0x0F},
    {"18F4420", chip_family::f2xxx_4xxx, 16, 256, 32, 0x10C0, &group_c2, 0x03},
    {"18F4520", chip_family::f2xxx_4xxx, 32, 256, 32, 0x1080, &group_c2, 0x0F},
    {"18F2423", chip_family::f2xxx_4xxx, 16, 256, 32, 0x1150, &group_c2, 0x03},
    {"18F2523", chip_family::f2xxx_4xxx, 32, 256, 32, 0x1110, &group_c2, 0x0F},
    {"18F4423", chip_family::f2xxx_4xxx, 16, 256, 32, 0x10D0, &group_c2, 0x03},
    {"18F4523", chip_family::f2xxx_4xxx, 32, 256, 32, 0x1090, &group_c2, 0x0F},
    {"18F2450", chip_family::f2xxx_4xxx, 16, 0, 16, 0x2420, &group_usb_small, 0x03},
    {"18F4450", chip_family::f2xxx_4xxx, 16, 0, 16, 0x2400, &group_usb_small, 0x03},
    {"18F2455", chip_family::f2xxx_4xxx, 24, 256, 32, 0x1260, &group_c3, 0x07},
    {"18F2550", chip_family::f2xxx_4xxx, 32, 256, 32, 0x1240, &group_c3, 0x0F},
    {"18F4455", chip_family::f2xxx_4xxx, 24, 256, 32, 0x1220, &group_c3, 0x07},
    {"18F4550", chip_family::f2xxx_4xxx, 32, 256, 32, 0x1200, &group_c3, 0x0F},
    {"18F2525", chip_family::f2xxx_4xxx, 48, 1024, 64, 0x0CC0, &group_c2, 0x07},
    {"18F2620", chip_family::f2xxx_4xxx, 64, 1024, 64, 0x0C80, &group_c2, 0x0F},
    {"18F4525", chip_family::f2xxx_4xxx, 48, 1024, 64, 0x0C40, &group_c2, 0x07},
    {"18F4620", chip_family::f2xxx_4xxx, 64, 1024, 64, 0x0C00, &group_c2, 0x0F},
    {"18F2458", chip_family::f2xxx_4xxx, 24, 256, 32, 0x2A60, &group_c3, 0x07},
    {"18F2553", chip_family::f2xxx_4xxx, 32, 256, 32, 0x2A40, &group_c3, 0x0F},
    {"18F4458", chip_family::f2xxx_4xxx, 24, 256, 32, 0x2A20, &group_c3, 0x07},
    {"18F4553", chip_family::f2xxx_4xxx, 32, 256, 32, 0x2A00, &group_c3, 0x0F},
    {"18F2480", chip_family::f2xxx_4xxx, 16, 256, 32, 0x1AE0, &group_can_small, 0x03},
    {"18F2580", chip_family::f2xxx_4xxx, 32, 256, 32, 0x1AC0, &group_can_small, 0x0F},
    {"18F4480", chip_family::f2xxx_4xxx, 16, 256, 32, 0x1AA0, &group_can_small, 0x03},
    {"18F4580", chip_family::f2xxx_4xxx, 32, 256, 32, 0x1A80, &group_can_small, 0x0F},
    {"18F2515", chip_family::f2xxx_4xxx, 48, 0, 64, 0x0CE0, &group_c2_no_eeprom, 0x07},
    {"18F2610", chip_family::f2xxx_4xxx, 64, 0, 64, 0x0CA0, &group_c2_no_eeprom, 0x0F},
    {"18F4515", chip_family::f2xxx_4xxx, 48, 0, 64, 0x0C60, &group_c2_no_eeprom, 0x07},
    {"18F4610", chip_family::f2xxx_4xxx, 64, 0, 64, 0x0C20, &group_c2_no_eeprom, 0x0F},
    {"18F2585", chip_family::f2xxx_4xxx, 48, 1024, 64, 0x0EE0, &group_can_large, 0x07},
    {"18F2680", chip_family::f2xxx_4xxx, 64, 1024, 64, 0x0EC0, &group_can_large, 0x0F},
    {"18F4585", chip_family::f2xxx_4xxx, 48, 1024, 64, 0x0EA0, &group_can_large, 0x07},
    {"18F4680", chip_family::f2xxx_4xxx, 64, 1024, 64, 0x0E80, &group_can_large, 0x0F},
    {"18F2682", chip_family::f2xxx_4xxx, 80, 1024, 64, 0x2700, &group_can_large, 0x1F},
    {"18F2685", chip_family::f2xxx_4xxx, 96, 1024, 64, 0x2720, &group_can_large, 0x3F},
    {"18F4682", chip_family::f2xxx_4xxx, 80, 1024, 64, 0x2740, &group_can_large, 0x1F},
    {"18F4685", chip_family::f2xxx_4xxx, 96, 1024, 64, 0x2760, &group_can_large, 0x3F},

    {"18F2331", chip_family::fxx2_xx8, 8, 256, 8, 0x08E0, &group_motor_28, 0x03},
    {"18F2431", chip_family::fxx2_xx8, 16, 256, 8, 0x08C0, &group_motor_28, 0x0F},
    {"18F4331", chip_family::fxx2_xx8, 8, 256, 8, 0x08A0, &group_motor_44, 0x03},
    {"18F4431", chip_family::fxx2_xx8, 16, 256, 8, 0x0880, &group_motor_44, 0x0F},

    {"18F1230", chip_family::f1230_1330, 4, 128, 8, 0x1E00, &group_power, 0x03},
    {"18F1330", chip_family::f1230_1330, 8, 128, 8, 0x1E20, &group_power, 0x03},

    {"18F23K20", chip_family::k20, 8, 256, 8, 0x20E0, &group_d, 0x03},
    {"18F24K20", chip_family::k20, 16, 256, 32, 0x20A0, &group_d, 0x03},
    {"18F25K20", chip_family::k20, 32, 256, 32, 0x2060, &group_d, 0x0F},
    {"18F26K20", chip_family::k20, 64, 1024, 64, 0x2020, &group_d, 0x0F},
    {"18F43K20", chip_family::k20, 8, 256, 8, 0x20C0, &group_d, 0x03},
    {"18F44K20", chip_family::k20, 16, 256, 32, 0x2080, &group_d, 0x03},
    {"18F45K20", chip_family::k20, 32, 256, 32, 0x2040, &group_d, 0x0F},
    {"18F46K20", chip_family::k20, 64, 1024, 64, 0x2000, &group_d, 0x0F},

    // 2XK22/4XK22: a 64-byte buffer on every size; the LF parts' IDs are the F ones + 20h.
    {"18F23K22", chip_family::k22, 8, 256, 64, 0x5740, &group_k22, 0x03},
    {"18F24K22", chip_family::k22, 16, 256, 64, 0x5640, &group_k22, 0x03},
    {"18F25K22", chip_family::k22, 32, 256, 64, 0x5540, &group_k22, 0x0F},
    {"18F26K22", chip_family::k22, 64, 1024, 64, 0x5440, &group_k22, 0x0F},
    {"18F43K22", chip_family::k22, 8, 256, 64, 0x5700, &group_k22, 0x03},
    {"18F44K22", chip_family::k22, 16, 256, 64, 0x5600, &group_k22, 0x03},
    {"18F45K22", chip_family::k22, 32, 256, 64, 0x5500, &group_k22, 0x0F},
    {"18F46K22", chip_family::k22, 64, 1024, 64, 0x5400, &group_k22, 0x0F},
    {"18LF23K22", chip_family::k22, 8, 256, 64, 0x5760, &group_k22, 0x03},
    {"18LF24K22", chip_family::k22, 16, 256, 64, 0x5660, &group_k22, 0x03},
    {"18LF25K22", chip_family::k22, 32, 256, 64, 0x5560, &group_k22, 0x0F},
    {"18LF26K22", chip_family::k22, 64, 1024, 64, 0x5460, &group_k22, 0x0F},
    {"18LF43K22", chip_family::k22, 8, 256, 64, 0x5720, &group_k22, 0x03},
    {"18LF44K22", chip_family::k22, 16, 256, 64, 0x5620, &group_k22, 0x03},
    {"18LF45K22", chip_family::k22, 32, 256, 64, 0x5520, &group_k22, 0x0F},
    {"18LF46K22", chip_family::k22, 64, 1024, 64, 0x5420, &group_k22, 0x0F},

    {"18F13K22", chip_family::k1xk22, 8, 256, 8, 0x4F40, &group_k1xk22, 0x03},
    {"18F14K22", chip_family::k1xk22, 16, 256, 16, 0x4F20, &group_k1xk22, 0x03},
    {"18LF13K22", chip_family::k1xk22, 8, 256, 8, 0x4F80, &group_k1xk22, 0x03},
    {"18LF14K22", chip_family::k1xk22, 16, 256, 16, 0x4F60, &group_k1xk22, 0x03},

    // xxK80: device IDs from other programmers, which agree.
    {"18F25K80", chip_family::k80, 32, 1024, 64, 0x6180, &group_k80, 0x0F},
    {"18F26K80", chip_family::k80, 64, 1024, 64, 0x6120, &group_k80, 0x0F},
    {"18F45K80", chip_family::k80, 32, 1024, 64, 0x6160, &group_k80, 0x0F},
    {"18F46K80", chip_family::k80, 64, 1024, 64, 0x6100, &group_k80, 0x0F},
    {"18F65K80", chip_family::k80, 32, 1024, 64, 0x6140, &group_k80_64_pin, 0x0F},
    {"18F66K80", chip_family::k80, 64, 1024, 64, 0x60E0, &group_k80_64_pin, 0x0F},
    {"18LF25K80", chip_family::k80, 32, 1024, 64, 0x6260, &group_k80, 0x0F},
    {"18LF26K80", chip_family::k80, 64, 1024, 64, 0x6200, &group_k80, 0x0F},
    {"18LF45K80", chip_family::k80, 32, 1024, 64, 0x6240, &group_k80, 0x0F},
    {"18LF46K80", chip_family::k80, 64, 1024, 64, 0x61E0, &group_k80, 0x0F},
    {"18LF65K80", chip_family::k80, 32, 1024, 64, 0x6220, &group_k80_64_pin, 0x0F},
    {"18LF66K80", chip_family::k80, 64, 1024, 64, 0x61C0, &group_k80_64_pin, 0x0F},

    // 2XK50/4XK50 (programmed as K22): device IDs from other programmers, which agree.
    {"18F24K50", chip_family::k22, 16, 256, 64, 0x5C60, &group_k50, 0x03},
    {"18F25K50", chip_family::k22, 32, 256, 64, 0x5C20, &group_k50, 0x0F},
    {"18F45K50", chip_family::k22, 32, 256, 64, 0x5C00, &group_k50, 0x0F},
    {"18F26K50", chip_family::k22, 64, 256, 64, 0x5D20, &group_k50, 0x0F},
    {"18F46K50", chip_family::k22, 64, 256, 64, 0x5D00, &group_k50, 0x0F},
    {"18LF24K50", chip_family::k22, 16, 256, 64, 0x5CE0, &group_k50, 0x03},
    {"18LF25K50", chip_family::k22, 32, 256, 64, 0x5CA0, &group_k50, 0x0F},
    {"18LF45K50", chip_family::k22, 32, 256, 64, 0x5C80, &group_k50, 0x0F},
    {"18LF26K50", chip_family::k22, 64, 256, 64, 0x5D60, &group_k50, 0x0F},
    {"18LF46K50", chip_family::k22, 64, 256, 64, 0x5D40, &group_k50, 0x0F},

    // 1XK50 (programmed as 1XK22).
    {"18F13K50", chip_family::k1xk22, 8, 256, 8, 0x4740, &group_k1xk50, 0x03},
    {"18F14K50", chip_family::k1xk22, 16, 256, 16, 0x4760, &group_k1xk50, 0x03},
    {"18LF13K50", chip_family::k1xk22, 8, 256, 8, 0x4700, &group_k1xk50, 0x03},
    {"18LF14K50", chip_family::k1xk22, 16, 256, 16, 0x4720, &group_k1xk50, 0x03},

    // 64/80-pin parts programmed as FXX2/XX8: XX80/XX85, 6X2X/8X2X and the 6520 family (its
    // device IDs and sizes from another programmer). They take the FXX2 boot block of 512
    // bytes; another programmer gives the 6520/8520 one of 2 KB.
    {"18F6585", chip_family::fxx2_xx8, 48, 1024, 8, 0x0A60, &group_xx80_64_pin, 0x07},
    {"18F6680", chip_family::fxx2_xx8, 64, 1024, 8, 0x0A20, &group_xx80_64_pin, 0x0F},
    {"18F8585", chip_family::fxx2_xx8, 48, 1024, 8, 0x0A40, &group_xx80_80_pin, 0x07},
    {"18F8680", chip_family::fxx2_xx8, 64, 1024, 8, 0x0A00, &group_xx80_80_pin, 0x0F},
    {"18F6525", chip_family::fxx2_xx8, 48, 1024, 8, 0x0AE0, &group_xx80_64_pin, 0x07},
    {"18F6621", chip_family::fxx2_xx8, 64, 1024, 8, 0x0AA0, &group_xx80_64_pin, 0x0F},
    {"18F8525", chip_family::fxx2_xx8, 48, 1024, 8, 0x0AC0, &group_xx80_80_pin, 0x07},
    {"18F8621", chip_family::fxx2_xx8, 64, 1024, 8, 0x0A80, &group_xx80_80_pin, 0x0F},
    {"18F6520", chip_family::fxx2_xx8, 32, 1024, 8, 0x0B20, &group_6520_64_pin, 0x0F},
    {"18F6620", chip_family::fxx2_xx8, 64, 1024, 8, 0x0660, &group_6520_64_pin, 0x0F},
    {"18F6720", chip_family::fxx2_xx8, 128, 1024, 8, 0x0620, &group_6520_64_pin, 0xFF},
    {"18F8520", chip_family::fxx2_xx8, 32, 1024, 8, 0x0B00, &group_6520_80_pin, 0x0F},
    {"18F8620", chip_family::fxx2_xx8, 64, 1024, 8, 0x0640, &group_6520_80_pin, 0x0F},
    {"18F8720", chip_family::fxx2_xx8, 128, 1024, 8, 0x0600, &group_6520_80_pin, 0xFF},

    // 6527/8722 family: device IDs from other programmers.
    {"18F6527", chip_family::f6527_8722, 48, 1024, 64, 0x1340, &group_6527_64_pin, 0x07},
    {"18F6622", chip_family::f6527_8722, 64, 1024, 64, 0x1380, &group_6527_64_pin, 0x0F},
    {"18F6627", chip_family::f6527_8722, 96, 1024, 64, 0x13C0, &group_6527_64_pin, 0x3F},
    {"18F6628", chip_family::f6527_8722, 96, 1024, 64, 0x49C0, &group_6527_64_pin, 0x3F},
    {"18F6722", chip_family::f6527_8722, 128, 1024, 64, 0x1400, &group_6527_64_pin, 0xFF},
    {"18F6723", chip_family::f6527_8722, 128, 1024, 64, 0x4A00, &group_6527_64_pin, 0xFF},
    {"18F8527", chip_family::f6527_8722, 48, 1024, 64, 0x1360, &group_6527_80_pin, 0x07},
    {"18F8622", chip_family::f6527_8722, 64, 1024, 64, 0x13A0, &group_6527_80_pin, 0x0F},
    {"18F8627", chip_family::f6527_8722, 96, 1024, 64, 0x13E0, &group_6527_80_pin, 0x3F},
    {"18F8628", chip_family::f6527_8722, 96, 1024, 64, 0x49E0, &group_6527_80_pin, 0x3F},
    {"18F8722", chip_family::f6527_8722, 128, 1024, 64, 0x1420, &group_6527_80_pin, 0xFF},
    {"18F8723", chip_family::f6527_8722, 128, 1024, 64, 0x4A20, &group_6527_80_pin, 0xFF},

    // 8410 family: device IDs from another programmer.
    {"18F6310", chip_family::f8410, 8, 0, 16, 0x0BE0, &group_8410, 0},
    {"18F6390", chip_family::f8410, 8, 0, 16, 0x0BA0, &group_8410, 0},
    {"18F6393", chip_family::f8410, 8, 0, 16, 0x1A00, &group_8410, 0},
    {"18F6410", chip_family::f8410, 16, 0, 16, 0x06E0, &group_8410, 0},
    {"18F6490", chip_family::f8410, 16, 0, 16, 0x06A0, &group_8410, 0},
    {"18F6493", chip_family::f8410, 16, 0, 16, 0x0E00, &group_8410, 0},
    {"18F8310", chip_family::f8410, 8, 0, 16, 0x0BC0, &group_8410_bus, 0},
    {"18F8390", chip_family::f8410, 8, 0, 16, 0x0B80, &group_8410, 0},
    {"18F8393", chip_family::f8410, 8, 0, 16, 0x1A20, &group_8410, 0},
    {"18F8410", chip_family::f8410, 16, 0, 16, 0x06C0, &group_8410_bus, 0},
    {"18F8490", chip_family::f8410, 16, 0, 16, 0x0680, &group_8410, 0},
    {"18F8493", chip_family::f8410, 16, 0, 16, 0x0E20, &group_8410, 0},
    // J-series: no data EEPROM, a 64-byte write buffer, no code blocks.
    {"18F24J10", chip_family::j10, 16, 0, 64, 0x1D00, &group_j_f24j10, 0x00},
    {"18LF24J10", chip_family::j10, 16, 0, 64, 0x1D40, &group_j_f24j10, 0x00},
    {"18F25J10", chip_family::j10, 32, 0, 64, 0x1C00, &group_j_f24j10, 0x00},
    {"18LF25J10", chip_family::j10, 32, 0, 64, 0x1C40, &group_j_f24j10, 0x00},
    {"18F44J10", chip_family::j10, 16, 0, 64, 0x1D20, &group_j_f24j10, 0x00},
    {"18LF44J10", chip_family::j10, 16, 0, 64, 0x1D60, &group_j_f24j10, 0x00},
    {"18F45J10", chip_family::j10, 32, 0, 64, 0x1C20, &group_j_f24j10, 0x00},
    {"18LF45J10", chip_family::j10, 32, 0, 64, 0x1C60, &group_j_f24j10, 0x00},
    {"18F24J11", chip_family::j11_j13_j50_j53, 16, 0, 64, 0x4D80, &group_j_f24j11, 0x00},
    {"18LF24J11", chip_family::j11_j13_j50_j53, 16, 0, 64, 0x4E40, &group_j_f24j11, 0x00},
    {"18F25J11", chip_family::j11_j13_j50_j53, 32, 0, 64, 0x4DA0, &group_j_f25j11, 0x00},
    {"18LF25J11", chip_family::j11_j13_j50_j53, 32, 0, 64, 0x4E60, &group_j_f25j11, 0x00},
    {"18F26J11", chip_family::j11_j13_j50_j53, 64, 0, 64, 0x4DC0, &group_j_f26j11, 0x00},
    {"18LF26J11", chip_family::j11_j13_j50_j53, 64, 0, 64, 0x4E80, &group_j_f26j11, 0x00},
    {"18F44J11", chip_family::j11_j13_j50_j53, 16, 0, 64, 0x4DE0, &group_j_f24j11, 0x00},
    {"18LF44J11", chip_family::j11_j13_j50_j53, 16, 0, 64, 0x4EA0, &group_j_f24j11, 0x00},
    {"18F45J11", chip_family::j11_j13_j50_j53, 32, 0, 64, 0x4E00, &group_j_f25j11, 0x00},
    {"18LF45J11", chip_family::j11_j13_j50_j53, 32, 0, 64, 0x4EC0, &group_j_f25j11, 0x00},
    {"18F46J11", chip_family::j11_j13_j50_j53, 64, 0, 64, 0x4E20, &group_j_f26j11, 0x00},
    {"18LF46J11", chip_family::j11_j13_j50_j53, 64, 0, 64, 0x4EE0, &group_j_f26j11, 0x00},
    {"18F26J13", chip_family::j11_j13_j50_j53, 64, 0, 64, 0x5920, &group_j_f26j13, 0x00},
    {"18LF26J13", chip_family::j11_j13_j50_j53, 64, 0, 64, 0x5B20, &group_j_f26j13, 0x00},
    {"18F27J13", chip_family::j11_j13_j50_j53, 128, 0, 64, 0x5960, &group_j_f27j13, 0x00},
    {"18LF27J13", chip_family::j11_j13_j50_j53, 128, 0, 64, 0x5B60, &group_j_f27j13, 0x00},
    {"18F46J13", chip_family::j11_j13_j50_j53, 64, 0, 64, 0x59A0, &group_j_f26j13, 0x00},
    {"18LF46J13", chip_family::j11_j13_j50_j53, 64, 0, 64, 0x5BA0, &group_j_f26j13, 0x00},
    {"18F47J13", chip_family::j11_j13_j50_j53, 128, 0, 64, 0x59E0, &group_j_f27j13, 0x00},
    {"18LF47J13", chip_family::j11_j13_j50_j53, 128, 0, 64, 0x5BE0, &group_j_f27j13, 0x00},
    {"18F24J50", chip_family::j11_j13_j50_j53, 16, 0, 64, 0x4C00, &group_j_f24j50, 0x00},
    {"18LF24J50", chip_family::j11_j13_j50_j53, 16, 0, 64, 0x4CC0, &group_j_lf24j50, 0x00},
    {"18F25J50", chip_family::j11_j13_j50_j53, 32, 0, 64, 0x4C20, &group_j_f25j50, 0x00},
    {"18LF25J50", chip_family::j11_j13_j50_j53, 32, 0, 64, 0x4CE0, &group_j_lf25j50, 0x00},
    {"18F26J50", chip_family::j11_j13_j50_j53, 64, 0, 64, 0x4C40, &group_j_f26j50, 0x00},
    {"18LF26J50", chip_family::j11_j13_j50_j53, 64, 0, 64, 0x4D00, &group_j_lf26j50, 0x00},
    {"18F44J50", chip_family::j11_j13_j50_j53, 16, 0, 64, 0x4C60, &group_j_f24j50, 0x00},
    {"18LF44J50", chip_family::j11_j13_j50_j53, 16, 0, 64, 0x4D20, &group_j_lf24j50, 0x00},
    {"18F45J50", chip_family::j11_j13_j50_j53, 32, 0, 64, 0x4C80, &group_j_f25j50, 0x00},
    {"18LF45J50", chip_family::j11_j13_j50_j53, 32, 0, 64, 0x4D40, &group_j_lf25j50, 0x00},
    {"18F46J50", chip_family::j11_j13_j50_j53, 64, 0, 64, 0x4CA0, &group_j_f26j50, 0x00},
    {"18LF46J50", chip_family::j11_j13_j50_j53, 64, 0, 64, 0x4D60, &group_j_lf26j50, 0x00},
    {"18F26J53", chip_family::j11_j13_j50_j53, 64, 0, 64, 0x5820, &group_j_f26j53, 0x00},
    {"18LF26J53", chip_family::j11_j13_j50_j53, 64, 0, 64, 0x5A20, &group_j_f26j53, 0x00},
    {"18F27J53", chip_family::j11_j13_j50_j53, 128, 0, 64, 0x5860, &group_j_f27j53, 0x00},
    {"18LF27J53", chip_family::j11_j13_j50_j53, 128, 0, 64, 0x5A60, &group_j_f27j53, 0x00},
    {"18F46J53", chip_family::j11_j13_j50_j53, 64, 0, 64, 0x58A0, &group_j_f26j53, 0x00},
    {"18LF46J53", chip_family::j11_j13_j50_j53, 64, 0, 64, 0x5AA0, &group_j_f26j53, 0x00},
    {"18F47J53", chip_family::j11_j13_j50_j53, 128, 0, 64, 0x58E0, &group_j_f27j53, 0x00},
    {"18LF47J53", chip_family::j11_j13_j50_j53, 128, 0, 64, 0x5AE0, &group_j_f27j53, 0x00},
    {"18F63J11", chip_family::j6x_8x, 8, 0, 64, 0x3900, &group_j_f24j10, 0x00},
    {"18F63J90", chip_family::j6x_8x, 8, 0, 64, 0x3800, &group_j_f24j10, 0x00},
    {"18F64J11", chip_family::j6x_8x, 16, 0, 64, 0x3920, &group_j_f24j10, 0x00},
    {"18F64J90", chip_family::j6x_8x, 16, 0, 64, 0x3820, &group_j_f24j10, 0x00},
    {"18F65J10", chip_family::j6x_8x, 32, 0, 64, 0x1520, &group_j_f65j10, 0x00},
    {"18F65J11", chip_family::j6x_8x, 32, 0, 64, 0x3960, &group_j_f24j10, 0x00},
    {"18F65J15", chip_family::j6x_8x, 48, 0, 64, 0x1540, &group_j_f65j10, 0x00},
    {"18F65J50", chip_family::j6x_8x, 32, 0, 64, 0x4100, &group_j_f65j50, 0x00},
    {"18F65J90", chip_family::j6x_8x, 32, 0, 64, 0x3860, &group_j_f65j90, 0x00},
    {"18F66J10", chip_family::j6x_8x, 64, 0, 64, 0x1560, &group_j_f65j10, 0x00},
    {"18F66J11", chip_family::j6x_8x, 64, 0, 64, 0x4440, &group_j_f66j11, 0x00},
    {"18F66J15", chip_family::j6x_8x, 96, 0, 64, 0x1580, &group_j_f65j10, 0x00},
    {"18F66J16", chip_family::j6x_8x, 96, 0, 64, 0x4460, &group_j_f66j11, 0x00},
    {"18F66J50", chip_family::j6x_8x, 64, 0, 64, 0x4140, &group_j_f65j50, 0x00},
    {"18F66J55", chip_family::j6x_8x, 96, 0, 64, 0x4160, &group_j_f65j50, 0x00},
    {"18F67J10", chip_family::j6x_8x, 128, 0, 64, 0x15A0, &group_j_f65j10, 0x00},
    {"18F67J11", chip_family::j6x_8x, 128, 0, 64, 0x4480, &group_j_f66j11, 0x00},
    {"18F67J50", chip_family::j6x_8x, 128, 0, 64, 0x4180, &group_j_f65j50, 0x00},
    {"18F83J11", chip_family::j6x_8x, 8, 0, 64, 0x3980, &group_j_f83j11, 0x00},
    {"18F83J90", chip_family::j6x_8x, 8, 0, 64, 0x3880, &group_j_f24j10, 0x00},
    {"18F84J11", chip_family::j6x_8x, 16, 0, 64, 0x39A0, &group_j_f83j11, 0x00},
    {"18F84J90", chip_family::j6x_8x, 16, 0, 64, 0x38A0, &group_j_f24j10, 0x00},
    {"18F85J10", chip_family::j6x_8x, 32, 0, 64, 0x15E0, &group_j_f85j10, 0x00},
    {"18F85J11", chip_family::j6x_8x, 32, 0, 64, 0x39E0, &group_j_f83j11, 0x00},
    {"18F85J15", chip_family::j6x_8x, 48, 0, 64, 0x1700, &group_j_f85j10, 0x00},
    {"18F85J50", chip_family::j6x_8x, 32, 0, 64, 0x41A0, &group_j_f85j50, 0x00},
    {"18F85J90", chip_family::j6x_8x, 32, 0, 64, 0x38E0, &group_j_f24j10, 0x00},
    {"18F86J10", chip_family::j6x_8x, 64, 0, 64, 0x1720, &group_j_f85j10, 0x00},
    {"18F86J11", chip_family::j6x_8x, 64, 0, 64, 0x44E0, &group_j_f86j11, 0x00},
    {"18F86J15", chip_family::j6x_8x, 96, 0, 64, 0x1740, &group_j_f85j10, 0x00},
    {"18F86J16", chip_family::j6x_8x, 96, 0, 64, 0x4500, &group_j_f86j11, 0x00},
    {"18F86J50", chip_family::j6x_8x, 64, 0, 64, 0x41E0, &group_j_f85j50, 0x00},
    {"18F86J55", chip_family::j6x_8x, 96, 0, 64, 0x4200, &group_j_f85j50, 0x00},
    {"18F87J10", chip_family::j6x_8x, 128, 0, 64, 0x1760, &group_j_f85j10, 0x00},
    {"18F87J11", chip_family::j6x_8x, 128, 0, 64, 0x4520, &group_j_f86j11, 0x00},
    {"18F87J50", chip_family::j6x_8x, 128, 0, 64, 0x4220, &group_j_f85j50, 0x00},
    {"18F66J60", chip_family::j97j60, 64, 0, 64, 0x1800, &group_j_f66j60, 0x00},
    {"18F66J65", chip_family::j97j60, 96, 0, 64, 0x1F00, &group_j_f66j60, 0x00},
    {"18F67J60", chip_family::j97j60, 128, 0, 64, 0x1F20, &group_j_f66j60, 0x00},
    {"18F86J60", chip_family::j97j60, 64, 0, 64, 0x1820, &group_j_f86j60, 0x00},
    {"18F86J65", chip_family::j97j60, 96, 0, 64, 0x1F40, &group_j_f86j60, 0x00},
    {"18F87J60", chip_family::j97j60, 128, 0, 64, 0x1F60, &group_j_f86j60, 0x00},
    {"18F96J60", chip_family::j97j60, 64, 0, 64, 0x1840, &group_j_f96j60, 0x00},
    {"18F96J65", chip_family::j97j60, 96, 0, 64, 0x1F80, &group_j_f96j60, 0x00},
    {"18F97J60", chip_family::j97j60, 128, 0, 64, 0x1FA0, &group_j_f96j60, 0x00},
};

// ---- 8-bit-command families --------------------------------------------------------------
// Implemented-bit masks from the peer programmers' device files (no maker table was at hand);
// every implemented bit erases to 1, so the erased value is the mask. K40 and Q10 differ by
// size in the WRT/CP block bits of CONFIG4L and CONFIG6L (03, 0F, FF). Q43 CONFIG1H: 29 and
// 2B disagree; the smaller 29 is taken (fewer bits compared). Q83/Q84: the first ten bytes
// are known, the other 25 are taken as FF.
constexpr config_array mask_k40_small = {0x77, 0x29, 0xE3, 0xBF, 0x7F, 0x3F,
                                         0x03, 0x37, 0x03, 0x00, 0x03, 0x02};
constexpr config_array mask_k40_mid = {0x77, 0x29, 0xE3, 0xBF, 0x7F, 0x3F,
                                       0x0F, 0x37, 0x03, 0x00, 0x0F, 0x02};
constexpr config_array mask_k40_large = {0x77, 0x29, 0xE3, 0xBF, 0x7F, 0x3F,
                                         0xFF, 0x37, 0x03, 0x00, 0xFF, 0x02};
constexpr config_array mask_k42 = {0x77, 0x2B, 0xFF, 0xBF, 0x7F, 0x3F, 0x9F, 0x2F, 0x01, 0x00};
constexpr config_array mask_q43 = {0x77, 0x29, 0xFF, 0xBF, 0x7F, 0x3F, 0x3F, 0x8F, 0x00, 0x01};
constexpr config_array mask_q40 = {0x77, 0xEB, 0xFF, 0xBF, 0x7F, 0x3F, 0x3F, 0x8F, 0x01, 0x00};
constexpr config_array q84_mask() {
    config_array mask = {0x77, 0xFB, 0xFF, 0xBF, 0x7F, 0x3F, 0x3F, 0x8F, 0x33, 0x01};
    for (std::size_t k = 10; k < 35; ++k)
        mask[k] = 0xFF;
    return mask;
}
constexpr config_array mask_q84 = q84_mask();

// One 8-bit-command part: flash in KB, data EEPROM bytes, row latch or erase page bytes (K:
// 64 on 24/25/26/45/46K40 and 24/25K42, 128 elsewhere; Q: 128 words), the full 16-bit ID.
struct part8_row {
    const char* name;
    chip_family family;
    std::int32_t flash_kb;
    std::int32_t eeprom_bytes;
    std::int32_t row_bytes;
    std::uint16_t device_id;
    const config_array* mask;
};

// name, family, flash KB, EEPROM bytes, row/page bytes, DEVID, configuration mask
constexpr part8_row part8_rows[] = {
    {"18F24K40", chip_family::k40, 16, 256, 64, 0x69C0, &mask_k40_small},
    {"18LF24K40", chip_family::k40, 16, 256, 64, 0x6AA0, &mask_k40_small},
    {"18F25K40", chip_family::k40, 32, 256, 64, 0x69A0, &mask_k40_mid},
    {"18LF25K40", chip_family::k40, 32, 256, 64, 0x6A80, &mask_k40_mid},
    {"18F26K40", chip_family::k40, 64, 1024, 64, 0x6980, &mask_k40_mid},
    {"18LF26K40", chip_family::k40, 64, 1024, 64, 0x6A60, &mask_k40_mid},
    {"18F27K40", chip_family::k40, 128, 1024, 128, 0x6960, &mask_k40_large},
    {"18LF27K40", chip_family::k40, 128, 1024, 128, 0x6A40, &mask_k40_large},
    {"18F45K40", chip_family::k40, 32, 256, 64, 0x6940, &mask_k40_mid},
    {"18LF45K40", chip_family::k40, 32, 256, 64, 0x6A20, &mask_k40_mid},
    {"18F46K40", chip_family::k40, 64, 1024, 64, 0x6920, &mask_k40_mid},
    {"18LF46K40", chip_family::k40, 64, 1024, 64, 0x6A00, &mask_k40_mid},
    {"18F47K40", chip_family::k40, 128, 1024, 128, 0x6900, &mask_k40_large},
    {"18LF47K40", chip_family::k40, 128, 1024, 128, 0x69E0, &mask_k40_large},
    {"18F65K40", chip_family::k40, 32, 1024, 128, 0x6800, &mask_k40_mid},
    {"18LF65K40", chip_family::k40, 32, 1024, 128, 0x6B60, &mask_k40_mid},
    {"18F66K40", chip_family::k40, 64, 1024, 128, 0x6AE0, &mask_k40_mid},
    {"18LF66K40", chip_family::k40, 64, 1024, 128, 0x6B40, &mask_k40_mid},
    {"18F67K40", chip_family::k40, 128, 1024, 128, 0x6AC0, &mask_k40_large},
    {"18LF67K40", chip_family::k40, 128, 1024, 128, 0x6B20, &mask_k40_large},
    {"18F24K42", chip_family::k42_k83, 16, 256, 64, 0x6CA0, &mask_k42},
    {"18LF24K42", chip_family::k42_k83, 16, 256, 64, 0x6DE0, &mask_k42},
    {"18F25K42", chip_family::k42_k83, 32, 256, 64, 0x6C80, &mask_k42},
    {"18LF25K42", chip_family::k42_k83, 32, 256, 64, 0x6DC0, &mask_k42},
    {"18F26K42", chip_family::k42_k83, 64, 1024, 128, 0x6C60, &mask_k42},
    {"18LF26K42", chip_family::k42_k83, 64, 1024, 128, 0x6DA0, &mask_k42},
    {"18F27K42", chip_family::k42_k83, 128, 1024, 128, 0x6C40, &mask_k42},
    {"18LF27K42", chip_family::k42_k83, 128, 1024, 128, 0x6D80, &mask_k42},
    {"18F45K42", chip_family::k42_k83, 32, 256, 128, 0x6C20, &mask_k42},
    {"18LF45K42", chip_family::k42_k83, 32, 256, 128, 0x6D60, &mask_k42},
    {"18F46K42", chip_family::k42_k83, 64, 1024, 128, 0x6C00, &mask_k42},
    {"18LF46K42", chip_family::k42_k83, 64, 1024, 128, 0x6D40, &mask_k42},
    {"18F47K42", chip_family::k42_k83, 128, 1024, 128, 0x6BE0, &mask_k42},
    {"18LF47K42", chip_family::k42_k83, 128, 1024, 128, 0x6D20, &mask_k42},
    {"18F55K42", chip_family::k42_k83, 32, 256, 128, 0x6BC0, &mask_k42},
    {"18LF55K42", chip_family::k42_k83, 32, 256, 128, 0x6D00, &mask_k42},
    {"18F56K42", chip_family::k42_k83, 64, 1024, 128, 0x6BA0, &mask_k42},
    {"18LF56K42", chip_family::k42_k83, 64, 1024, 128, 0x6CE0, &mask_k42},
    {"18F57K42", chip_family::k42_k83, 128, 1024, 128, 0x6B80, &mask_k42},
    {"18LF57K42", chip_family::k42_k83, 128, 1024, 128, 0x6CC0, &mask_k42},
    {"18F25K83", chip_family::k42_k83, 32, 1024, 128, 0x6EE0, &mask_k42},
    {"18LF25K83", chip_family::k42_k83, 32, 1024, 128, 0x6F20, &mask_k42},
    {"18F26K83", chip_family::k42_k83, 64, 1024, 128, 0x6EC0, &mask_k42},
    {"18LF26K83", chip_family::k42_k83, 64, 1024, 128, 0x6F00, &mask_k42},
    {"18F24Q10", chip_family::q10, 16, 256, 256, 0x71C0, &mask_k40_small},
    {"18F25Q10", chip_family::q10, 32, 256, 256, 0x71A0, &mask_k40_mid},
    {"18F26Q10", chip_family::q10, 64, 1024, 256, 0x7180, &mask_k40_mid},
    {"18F27Q10", chip_family::q10, 128, 1024, 256, 0x7100, &mask_k40_large},
    {"18F45Q10", chip_family::q10, 32, 256, 256, 0x7140, &mask_k40_mid},
    {"18F46Q10", chip_family::q10, 64, 1024, 256, 0x7120, &mask_k40_mid},
    {"18F47Q10", chip_family::q10, 128, 1024, 256, 0x70E0, &mask_k40_large},
    {"18F25Q43", chip_family::q43, 32, 1024, 256, 0x73C0, &mask_q43},
    {"18F26Q43", chip_family::q43, 64, 1024, 256, 0x7420, &mask_q43},
    {"18F27Q43", chip_family::q43, 128, 1024, 256, 0x7480, &mask_q43},
    {"18F45Q43", chip_family::q43, 32, 1024, 256, 0x73E0, &mask_q43},
    {"18F46Q43", chip_family::q43, 64, 1024, 256, 0x7440, &mask_q43},
    {"18F47Q43", chip_family::q43, 128, 1024, 256, 0x74A0, &mask_q43},
    {"18F55Q43", chip_family::q43, 32, 1024, 256, 0x7400, &mask_q43},
    {"18F56Q43", chip_family::q43, 64, 1024, 256, 0x7460, &mask_q43},
    {"18F57Q43", chip_family::q43, 128, 1024, 256, 0x74C0, &mask_q43},
    {"18F04Q40", chip_family::q40_q41, 16, 512, 256, 0x7640, &mask_q40},
    {"18F04Q41", chip_family::q40_q41, 16, 512, 256, 0x7540, &mask_q40},
    {"18F05Q40", chip_family::q40_q41, 32, 512, 256, 0x7600, &mask_q40},
    {"18F05Q41", chip_family::q40_q41, 32, 512, 256, 0x7500, &mask_q40},
    {"18F06Q40", chip_family::q40_q41, 64, 512, 256, 0x75C0, &mask_q40},
    {"18F06Q41", chip_family::q40_q41, 64, 512, 256, 0x7580, &mask_q40},
    {"18F14Q40", chip_family::q40_q41, 16, 512, 256, 0x7620, &mask_q40},
    {"18F14Q41", chip_family::q40_q41, 16, 512, 256, 0x7520, &mask_q40},
    {"18F15Q40", chip_family::q40_q41, 32, 512, 256, 0x75E0, &mask_q40},
    {"18F15Q41", chip_family::q40_q41, 32, 512, 256, 0x74E0, &mask_q40},
    {"18F16Q40", chip_family::q40_q41, 64, 512, 256, 0x75A0, &mask_q40},
    {"18F16Q41", chip_family::q40_q41, 64, 512, 256, 0x7560, &mask_q40},
    {"18F26Q84", chip_family::q83_q84, 64, 1024, 256, 0xA300, &mask_q84},
    {"18F26Q83", chip_family::q83_q84, 64, 1024, 256, 0xA306, &mask_q84},
    {"18F46Q84", chip_family::q83_q84, 64, 1024, 256, 0xA301, &mask_q84},
    {"18F46Q83", chip_family::q83_q84, 64, 1024, 256, 0xA307, &mask_q84},
    {"18F56Q84", chip_family::q83_q84, 64, 1024, 256, 0xA302, &mask_q84},
    {"18F56Q83", chip_family::q83_q84, 64, 1024, 256, 0xA308, &mask_q84},
    {"18F27Q84", chip_family::q83_q84, 128, 1024, 256, 0x9903, &mask_q84},
    {"18F27Q83", chip_family::q83_q84, 128, 1024, 256, 0x9909, &mask_q84},
    {"18F47Q84", chip_family::q83_q84, 128, 1024, 256, 0x9904, &mask_q84},
    {"18F47Q83", chip_family::q83_q84, 128, 1024, 256, 0x990A, &mask_q84},
    {"18F57Q84", chip_family::q83_q84, 128, 1024, 256, 0x9905, &mask_q84},
    {"18F57Q83", chip_family::q83_q84, 128, 1024, 256, 0x990B, &mask_q84},
};

part_info make_part(const part_row& row) {
    const family_profile& profile = profile_of(row.family);
    part_info p{.name = row.name,
                .family = row.family,
                .flash_bytes = row.flash_kb * 1024,
                .eeprom_bytes = row.eeprom_bytes,
                .write_buffer = row.write_buffer,
                .device_id = row.device_id,
                .config_erased = {},
                .config_mask = {},
                .config_size = profile.config_bytes,
                .id_bytes = profile.id_bytes,
                .vdd_max_volts = profile.vdd_max_volts};
    std::copy(row.config->erased.begin(), row.config->erased.end(), p.config_erased.begin());
    std::copy(row.config->mask.begin(), row.config->mask.end(), p.config_mask.begin());
    // Bits of blocks a smaller part does not have are unimplemented and read 0 (maker
    // statement).
    if (row.blocks == 0)
        return p;
    for (int index : {8, 10, 12}) {
        p.config_erased[index] = row.blocks;
        p.config_mask[index] = row.blocks;
    }
    return p;
}

part_info make_part(const part8_row& row) {
    const family_profile& profile = profile_of(row.family);
    const bool low_voltage = std::string_view(row.name).starts_with("18LF");
    return {.name = row.name,
            .family = row.family,
            .flash_bytes = row.flash_kb * 1024,
            .eeprom_bytes = row.eeprom_bytes,
            .write_buffer = row.row_bytes,
            .device_id = row.device_id,
            .config_erased = *row.mask,
            .config_mask = *row.mask,
            .config_size = profile.config_bytes,
            .id_bytes = profile.id_bytes,
            .vdd_max_volts = low_voltage ? 3.6 : profile.vdd_max_volts};
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
    static const std::vector<part_info> parts = [] {
        std::vector<part_info> all;
        for (const part_row& row : part_rows)
            all.push_back(make_part(row));
        for (const part8_row& row : part8_rows)
            all.push_back(make_part(row));
        return all;
    }();
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
