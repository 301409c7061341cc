// The FTDI bit-bang byte stream: chip table, wiring to bytes, samples as read-back
// indexes, padding, chunking and the decoding of DATA IN.
#include "hardware/ftdi_stream.h"

#include <algorithm>
#include <array>
#include <utility>

namespace hardware {

namespace {

// Limits from the chips' FIFO sizes where they are known (FT232R: 128 TX + 256 RX; FT232H:
// 1 KiB each way); elsewhere the 128 bytes that every FTDI chip buffers, or the FT232H's
// figure for the other high-speed chips. The FT232R's bit-bang clock never exceeds 3 MHz,
// the rate the driver asks for, so one byte lasts at least 333 ns; the other chips' byte
// clocks at that setting are not known well enough to count on.
constexpr std::array<ftdi_chip, 8> chips{{
    {.kind = ftdi_chip_kind::ft232am,
     .name = "FT232AM",
     .channels = 1,
     .sync_bitbang = false,
     .high_speed = false,
     .max_outstanding = 128,
     .step_ns = 0},
    {.kind = ftdi_chip_kind::ft232bm,
     .name = "FT232BM",
     .channels = 1,
     .sync_bitbang = false,
     .high_speed = false,
     .max_outstanding = 128,
     .step_ns = 0},
    {.kind = ftdi_chip_kind::ft2232c,
     .name = "FT2232C",
     .channels = 2,
     .sync_bitbang = true,
     .high_speed = false,
     .max_outstanding = 128,
     .step_ns = 0},
    {.kind = ftdi_chip_kind::ft232r,
     .name = "FT232R",
     .channels = 1,
     .sync_bitbang = true,
     .high_speed = false,
     .max_outstanding = 384,
     .step_ns = 333},
    {.kind = ftdi_chip_kind::ft2232h,
     .name = "FT2232H",
     .channels = 2,
     .sync_bitbang = true,
     .high_speed = true,
     .max_outstanding = 1024,
     .step_ns = 0},
    {.kind = ftdi_chip_kind::ft4232h,
     .name = "FT4232H",
     .channels = 4,
     .sync_bitbang = true,
     .high_speed = true,
     .max_outstanding = 1024,
     .step_ns = 0},
    {.kind = ftdi_chip_kind::ft232h,
     .name = "FT232H",
     .channels = 1,
     .sync_bitbang = true,
     .high_speed = true,
     .max_outstanding = 1024,
     .step_ns = 0},
    {.kind = ftdi_chip_kind::ft_x,
     .name = "FT-X",
     .channels = 1,
     .sync_bitbang = true,
     .high_speed = false,
     .max_outstanding = 384,
     .step_ns = 0},
}};

constexpr const char* uart_names[8] = {"TXD", "RXD", "RTS", "CTS", "DTR", "DSR", "DCD", "RI"};

std::uint8_t line_mask(const settings::ftdi_line& line) {
    return line.bit >= 0 && line.bit <= 7 ? static_cast<std::uint8_t>(1u << line.bit)
                                          : std::uint8_t{0};
}

std::size_t ceil_div(std::size_t a, std::size_t b) {
    return (a + b - 1) / b;
}

} // namespace

const ftdi_chip& ftdi_chip_info(ftdi_chip_kind kind) {
    return *std::find_if(chips.begin(), chips.end(),
                         [kind](const ftdi_chip& chip) { return chip.kind == kind; });
}

const ftdi_chip& ftdi_chip_from_bcd_device(std::uint16_t bcd_device) {
    switch (bcd_device) {
    case 0x0200:
        return ftdi_chip_info(ftdi_chip_kind::ft232am);
    case 0x0500:
        return ftdi_chip_info(ftdi_chip_kind::ft2232c);
    case 0x0600:
        return ftdi_chip_info(ftdi_chip_kind::ft232r);
    case 0x0700:
        return ftdi_chip_info(ftdi_chip_kind::ft2232h);
    case 0x0800:
        return ftdi_chip_info(ftdi_chip_kind::ft4232h);
    case 0x0900:
        return ftdi_chip_info(ftdi_chip_kind::ft232h);
    case 0x1000:
        return ftdi_chip_info(ftdi_chip_kind::ft_x);
    }
    // libftdi takes any other release number for the oldest chip with a serial number.
    return ftdi_chip_info(ftdi_chip_kind::ft232bm);
}

ftdi_usb_timing ftdi_timing(const ftdi_chip& chip) {
    // Full speed: 19 bulk transactions of 64 bytes fit in a 1 ms frame; high speed: 13 of
    // 512 bytes in a 125 us micro-frame. IN packets lose two bytes to the modem status.
    if (chip.high_speed)
        return {.round_trip_ns = 1'000'000,
                .packet_ns = 125'000 / 13,
                .out_packet_bytes = 512,
                .in_packet_bytes = 510};
    return {.round_trip_ns = 1'000'000,
            .packet_ns = 1'000'000 / 19,
            .out_packet_bytes = 64,
            .in_packet_bytes = 62};
}

std::int64_t ftdi_bus_ns(const ftdi_usb_timing& timing, std::size_t bytes) {
    const auto packets =
        ceil_div(bytes, timing.out_packet_bytes) + ceil_div(bytes, timing.in_packet_bytes);
    return static_cast<std::int64_t>(packets) * timing.packet_ns;
}

std::size_t ftdi_padding_limit(const ftdi_chip& chip) {
    return chip.max_outstanding;
}

std::string ftdi_pin_name(std::int32_t bit) {
    if (bit == -1)
        return "not connected";
    if (bit < 0 || bit > 7)
        return "D" + std::to_string(bit);
    return "D" + std::to_string(bit) + " (" + uart_names[bit] + ")";
}

std::string ftdi_wiring_problem(const settings::ftdi_wiring& wiring) {
    const struct {
        const char* name;
        const settings::ftdi_line& line;
        bool required;
    } lines[] = {{"VDD", wiring.vdd, false},
                 {"VPP", wiring.vpp, false},
                 {"CLOCK", wiring.clock, true},
                 {"DATA OUT", wiring.data_out, true},
                 {"DATA IN", wiring.data_in, true}};
    for (const auto& line : lines) {
        if (line.line.bit == -1 && line.required)
            return std::string(line.name) + " is not connected (give it one of D0-D7)";
        if (line.line.bit < -1 || line.line.bit > 7)
            return std::string(line.name) + " is on " + ftdi_pin_name(line.line.bit) +
                   ", but FTDI bit-bang pins are D0-D7";
    }
    for (std::size_t i = 0; i < std::size(lines); ++i)
        for (std::size_t j = i + 1; j < std::size(lines); ++j)
            if (lines[i].line.bit != -1 && lines[i].line.bit == lines[j].line.bit)
                return std::string(lines[i].name) + " and " + lines[j].name + " are both on " +
                       ftdi_pin_name(lines[i].line.bit) + " (give each line its own pin)";
    return {};
}

ftdi_stream::ftdi_stream(const settings::ftdi_wiring& wiring, const ftdi_chip& chip)
    : chip_(chip), vdd_{line_mask(wiring.vdd), wiring.vdd.inverted}, vpp_{line_mask(wiring.vpp),
                                                                          wiring.vpp.inverted},
      clock_{line_mask(wiring.clock), wiring.clock.inverted}, data_out_{line_mask(wiring.data_out),
                                                                        wiring.data_out.inverted},
      data_in_{line_mask(wiring.data_in), wiring.data_in.inverted} {
    direction_ = vdd_.mask | vpp_.mask | clock_.mask | data_out_.mask;
    current_ = pins(staged_);
}

std::uint8_t ftdi_stream::pins(const line_levels& levels) const {
    std::uint8_t byte = 0;
    for (const auto& [line, level] :
         {std::pair{vdd_, levels.vdd}, std::pair{vpp_, levels.vpp}, std::pair{clock_, levels.clock},
          std::pair{data_out_, levels.data_out}})
        if (level != line.inverted)
            byte |= line.mask;
    return byte;
}

bool ftdi_stream::data_in(std::uint8_t read_back) const {
    return ((read_back & data_in_.mask) != 0) != data_in_.inverted;
}

void ftdi_stream::stage(const line_levels& levels) {
    staged_ = levels;
    current_ = pins(levels);
    bytes_.push_back(current_);
}

sample_ticket ftdi_stream::sample() {
    values_.push_back(0);
    const sample_ticket ticket = values_.size();
    queued_samples_.push_back({ticket, bytes_.size()});
    return ticket;
}

bool ftdi_stream::pad(std::int64_t microseconds) {
    if (microseconds <= 0)
        return true;
    if (chip_.step_ns <= 0)
        return false;
    const auto repeats =
        static_cast<std::size_t>((microseconds * 1000 + chip_.step_ns - 1) / chip_.step_ns);
    if (repeats > ftdi_padding_limit(chip_))
        return false;
    bytes_.insert(bytes_.end(), repeats, current_);
    return true;
}

std::int64_t ftdi_stream::queued_ns() const {
    const auto wire = static_cast<std::int64_t>(bytes_.size()) * chip_.step_ns;
    return std::max(wire, ftdi_bus_ns(ftdi_timing(chip_), bytes_.size()));
}

std::vector<std::uint8_t> ftdi_stream::take() {
    if (!queued_samples_.empty() && queued_samples_.back().index == bytes_.size())
        bytes_.push_back(current_);
    taken_samples_.insert(taken_samples_.end(), queued_samples_.begin(), queued_samples_.end());
    queued_samples_.clear();
    return std::exchange(bytes_, {});
}

void ftdi_stream::resolve(std::span<const std::uint8_t> read_back) {
    for (const pending_sample& sample : taken_samples_)
        values_[sample.ticket - 1] =
            sample.index < read_back.size() && data_in(read_back[sample.index]) ? 2 : 1;
    taken_samples_.clear();
}

void ftdi_stream::fail() {
    for (const auto* samples : {&taken_samples_, &queued_samples_})
        for (const pending_sample& sample : *samples)
            values_[sample.ticket - 1] = 1;
    taken_samples_.clear();
    queued_samples_.clear();
    bytes_.clear();
}

std::vector<std::size_t> ftdi_stream::chunks(std::size_t total) const {
    const std::size_t size = std::max<std::size_t>(1, chip_.max_outstanding / 2);
    std::vector<std::size_t> sizes(total / size, size);
    if (total % size != 0)
        sizes.push_back(total % size);
    return sizes;
}

bool ftdi_stream::ready(sample_ticket ticket) const {
    return ticket >= 1 && ticket <= values_.size() && values_[ticket - 1] != 0;
}

bool ftdi_stream::value(sample_ticket ticket) const {
    return ready(ticket) && values_[ticket - 1] == 2;
}

} // namespace hardware
