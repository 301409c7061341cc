// PIC18 serial programming transfer and power sequencing over the line procedures, one
// frame description clocked in one of two ways: three line changes per bit, or (fast port
// access and queued drivers) two: the data level together with the rising CLOCK edge, then
// the falling edge on which the chip takes it. Reads hand back the tickets of their bits,
// so that a queued driver can send many frames before any value is needed.
#include "hardware/serial_transfer.h"

#include "core/host_hooks.h"
#include "hardware/port_lines.h"

#include <optional>

namespace Module94 {

std::int32_t upper_byte = 0;
std::int32_t high_byte = 0;
std::int32_t low_byte = 0;

namespace {

constexpr std::int64_t power_step_ms = 50;
constexpr std::int64_t discharge_ms = 1; // CLOCK low after a programming hold
// Key entry: MCLR's first high pulse, MCLR low before the key (P19) and high after it
// before the first command (P12), each above the longest any key-entry family needs.
constexpr std::int64_t key_mclr_pulse_us = 500;
constexpr std::int64_t key_p19_ms = 5;
constexpr std::int64_t key_p12_us = 1000;
constexpr std::int64_t key_low_settle_ms = 5;

// Set by a key entry: the chip's MCLR is at VDD level and goes low before VDD does.
bool mclr_down_first = false;

// Every line change of the transfer is followed by a yield of its own, on top of the
// one that ends each port write.
void yield() {
    core::host_yield();
}

bool fast() {
    return fast_clocking();
}

hardware::line_driver& driver() {
    return hardware::current_line_driver();
}

// The bits of `value` in the frame's order.
template <typename Bit>
void for_each_bit(const frame_format& frame, std::int32_t value, int count, Bit&& bit) {
    for (int i = 0; i < count; ++i) {
        const int index = frame.msb_first ? count - 1 - i : i;
        bit(((value >> index) & 1) != 0);
    }
}

void gap(std::int64_t nanoseconds) {
    if (nanoseconds > 0)
        driver().hold_us((nanoseconds + 999) / 1000);
}

// Three line changes per bit: CLOCK up, DATA OUT to the bit while CLOCK is high, CLOCK
// down (the chip takes the bit on the falling edge); DATA OUT back to 0 after each field.
struct paced_clocking {
    static void send_bit(bool one) {
        clock_high();
        yield();
        if (one)
            data_high();
        else
            data_low();
        yield();
        clock_low();
        yield();
    }

    static void clock_pulse() {
        clock_high();
        yield();
        clock_low();
        yield();
    }

    static void finish_field() {
        data_low();
        yield();
        short_delay();
    }

    static void send(const frame_format& frame, std::int32_t command, std::int32_t payload) {
        for_each_bit(frame, command, frame.command_bits, send_bit);
        finish_field();
        gap(frame.command_gap_ns);
        for_each_bit(frame, payload, frame.payload_bits, send_bit);
        finish_field();
        gap(frame.frame_gap_ns);
    }

    static pending_byte read(const frame_format& frame, std::int32_t command) {
        for_each_bit(frame, command, frame.command_bits, send_bit);
        finish_field();
        gap(frame.command_gap_ns);
        for (int idle = 0; idle < frame.read_turnaround_clocks; ++idle)
            clock_pulse();
        short_delay();
        // DATA OUT stays at 1 through the input phase; the adapter's series resistor lets
        // the chip override it on the shared data line.
        data_high();
        yield();
        pending_byte read;
        for (int bit = 0; bit < frame.read_bits; ++bit) {
            clock_high();
            yield();
            const hardware::sample_ticket ticket = driver().sample();
            if (bit == 0)
                read.first = ticket;
            clock_low();
            yield();
        }
        read.count = frame.read_bits;
        finish_field();
        gap(frame.frame_gap_ns);
        return read;
    }
};

// Two line changes per bit: the data level (when given) goes out with the rising edge,
// then the falling edge. DATA OUT is not returned to 0 between fields: the next bit sets it
// with its own rising edge, and PGD is stable through every high phase.
struct fast_clocking_steps {
    static void clock(std::optional<bool> data) {
        if (data)
            clock_and_data(true, *data);
        else
            clock_high();
        clock_low();
    }

    static void send(const frame_format& frame, std::int32_t command, std::int32_t payload) {
        for_each_bit(frame, command, frame.command_bits, [](bool one) { clock(one); });
        gap(frame.command_gap_ns);
        for_each_bit(frame, payload, frame.payload_bits, [](bool one) { clock(one); });
        gap(frame.frame_gap_ns);
    }

    // The operand clocks with PGD at 0 (the chip ignores it), then the read clocks with
    // DATA OUT at 1 from the first rising edge on, DATA IN sampled while CLOCK is high;
    // DATA OUT goes back to 0 once the chip has shifted out its byte.
    static pending_byte read(const frame_format& frame, std::int32_t command) {
        for_each_bit(frame, command, frame.command_bits, [](bool one) { clock(one); });
        gap(frame.command_gap_ns);
        for (int idle = 0; idle < frame.read_turnaround_clocks; ++idle)
            clock(idle == 0 ? std::optional<bool>(false) : std::nullopt);
        pending_byte read;
        for (int bit = 0; bit < frame.read_bits; ++bit) {
            clock_and_data(true, true);
            const hardware::sample_ticket ticket = driver().sample();
            if (bit == 0)
                read.first = ticket;
            clock_low();
        }
        read.count = frame.read_bits;
        data_low();
        gap(frame.frame_gap_ns);
        return read;
    }
};

bool fits(std::int32_t value, int bits) {
    return value >= 0 && value < (std::int64_t{1} << bits);
}

} // namespace

void send_command(std::int32_t command, std::int32_t payload) {
    const frame_format& frame = classic_frame;
    if (!fits(command, frame.command_bits) || !fits(payload, frame.payload_bits))
        return;
    if (fast())
        fast_clocking_steps::send(frame, command, payload);
    else
        paced_clocking::send(frame, command, payload);
}

pending_byte read_byte_deferred(std::int32_t command) {
    const frame_format& frame = classic_frame;
    if (!fits(command, frame.command_bits))
        return {};
    return fast() ? fast_clocking_steps::read(frame, command)
                  : paced_clocking::read(frame, command);
}

void send_command8(std::int32_t command) {
    constexpr frame_format alone{.command_bits = eight_bit_frame.command_bits,
                                 .payload_bits = 0,
                                 .msb_first = true,
                                 .command_gap_ns = eight_bit_frame.command_gap_ns};
    if (!fits(command, alone.command_bits))
        return;
    if (fast())
        fast_clocking_steps::send(alone, command, 0);
    else
        paced_clocking::send(alone, command, 0);
}

void send_command8(std::int32_t command, std::int32_t field) {
    const frame_format& frame = eight_bit_frame;
    if (!fits(command, frame.command_bits) || !fits(field, frame.payload_bits - 2))
        return;
    if (fast())
        fast_clocking_steps::send(frame, command, field << 1);
    else
        paced_clocking::send(frame, command, field << 1);
}

pending_byte read_deferred8(std::int32_t command, int width) {
    const frame_format& frame = eight_bit_frame;
    if (!fits(command, frame.command_bits))
        return {};
    pending_byte read =
        fast() ? fast_clocking_steps::read(frame, command) : paced_clocking::read(frame, command);
    read.msb_first = true;
    read.width = width == 2 ? 2 : 1;
    return read;
}

bool byte_ready(const pending_byte& read) {
    return read.count == 0 || driver().ready(read.first + static_cast<unsigned>(read.count) - 1);
}

std::int32_t byte_value(const pending_byte& read) {
    std::int32_t result = 0;
    for (int bit = 0; bit < read.count; ++bit)
        if (driver().value(read.first + static_cast<unsigned>(bit)))
            result |= 1 << (read.msb_first ? read.count - 1 - bit : bit);
    if (!read.msb_first)
        return result;
    // Start bit, pad bits, the value, stop bit: the value is the frame shifted right once.
    return (result >> 1) & (read.width == 2 ? 0xFFFF : 0xFF);
}

std::int32_t read_byte(std::int32_t command) {
    return byte_value(read_byte_deferred(command));
}

void program_pulse(std::int32_t hold_ms, std::int32_t discharge_us) {
    data_low();
    yield();
    for (int i = 0; i < 3; ++i)
        paced_clocking::clock_pulse();
    clock_high();
    yield();
    wait_ms(hold_ms);
    clock_low();
    yield();
    // CLOCK must stay low while the programming voltage discharges (P10, up to 200 us)
    // before the next rising edge; a few port writes take only microseconds. By default
    // a whole millisecond; with fast port access the part's own P10.
    if (fast())
        wait_us(discharge_us);
    else
        wait_ms(discharge_ms);
    short_delay();
    short_delay();
    for (int i = 0; i < 16; ++i)
        paced_clocking::clock_pulse();
    short_delay();
}

void power_up(std::int32_t voltage_sequence) {
    driver().flush();
    mclr_down_first = false;
    if (voltage_sequence == 1) {
        vdd_on();
        wait_ms(power_step_ms);
        vpp_on();
        wait_ms(power_step_ms);
    } else if (voltage_sequence == 2) {
        vpp_on();
        wait_ms(power_step_ms);
        vdd_on();
        wait_ms(power_step_ms);
    }
    driver().flush();
}

void power_up_with_key(bool mclr_stays_low) {
    driver().flush();
    mclr_down_first = true;
    if (fast())
        clock_and_data(false, false);
    else {
        clock_low();
        data_low();
    }
    vdd_on();
    wait_ms(power_step_ms);
    vpp_on();
    wait_us(key_mclr_pulse_us);
    vpp_off();
    wait_ms(key_p19_ms);
    constexpr frame_format key_frame{.command_bits = 32, .payload_bits = 0, .msb_first = true};
    if (fast())
        fast_clocking_steps::send(key_frame, entry_key, 0);
    else
        paced_clocking::send(key_frame, entry_key, 0);
    data_low();
    if (mclr_stays_low) {
        wait_ms(key_low_settle_ms);
    } else {
        vpp_on();
        wait_us(key_p12_us);
    }
    driver().flush();
}

void power_down() {
    // A fast transfer leaves DATA OUT at its last bit: both signal lines go low before
    // the supplies do, as a default transfer leaves them.
    driver().flush();
    if (fast())
        clock_and_data(false, false);
    if (mclr_down_first) {
        vpp_off();
        wait_ms(power_step_ms);
        vdd_off();
    } else {
        vdd_off();
        wait_ms(power_step_ms);
        vpp_off();
    }
    wait_ms(power_step_ms);
    mclr_down_first = false;
    driver().flush();
}

void short_delay() {
    // With fast port access the port's own access time paces the transfer.
    if (fast())
        return;
    // volatile keeps the loop from being folded away: it is meant to take a little time.
    volatile std::int32_t total = 0;
    for (std::int32_t i = 1; i <= 100; ++i)
        total = total + i;
}

void split_address(std::int32_t value) {
    upper_byte = value / 65536;
    const std::int32_t rest = value % 65536;
    high_byte = rest / 256;
    low_byte = rest % 256;
}

std::string bit_string(std::int32_t value, int digits) {
    if (digits < 0)
        digits = 0;
    if (digits > 32)
        digits = 32;
    const auto bits = static_cast<std::uint32_t>(value);
    std::string text;
    text.reserve(static_cast<std::size_t>(digits));
    for (int bit = digits - 1; bit >= 0; --bit)
        text += ((bits >> bit) & 1U) != 0 ? '1' : '0';
    return text;
}

void wait_ms(std::int64_t milliseconds) {
    if (milliseconds < 0)
        milliseconds = 0;
    driver().hold_ms(milliseconds);
}

void wait_us(std::int64_t microseconds) {
    if (microseconds < 0)
        microseconds = 0;
    driver().hold_us(microseconds);
}

} // namespace Module94
