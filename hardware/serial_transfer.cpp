// PIC18 serial programming transfer and power sequencing over the line procedures. With
// fast port access a bit is two register writes: its data level together with the rising
// CLOCK edge, then the falling edge on which the chip takes it.
#include "hardware/serial_transfer.h"

#include "core/host_hooks.h"
#include "hardware/port_backend.h"
#include "hardware/port_lines.h"

#include <optional>

namespace Module94 {

std::int32_t upper_byte = 0;
std::int32_t high_byte = 0;
std::int32_t low_byte = 0;

namespace {

constexpr std::int64_t power_step_ms = 50;
constexpr std::int64_t discharge_ms = 1; // CLOCK low after a programming hold

// Every line change of the transfer is followed by a yield of its own, on top of the
// one that ends each port write.
void yield() {
    core::host_yield();
}

bool fast() {
    return port_pacing.fast;
}

// One bit: CLOCK up, DATA OUT to the bit while CLOCK is high, CLOCK down (the chip takes
// the bit on the falling edge).
void send_bit(bool one) {
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

void send_bits(std::int32_t value, int count) {
    for (int bit = 0; bit < count; ++bit)
        send_bit(((value >> bit) & 1) != 0);
}

void clock_pulse() {
    clock_high();
    yield();
    clock_low();
    yield();
}

// DATA OUT back to 0 at the end of a command or payload.
void finish_field() {
    data_low();
    yield();
    short_delay();
}

// Fast port access: a clock period is two register writes, the data level (when given)
// going out with the rising edge. DATA OUT is not returned to 0 between fields: the next
// bit sets it with its own rising edge, and PGD is stable through every high phase.
void fast_clock(std::optional<bool> data) {
    stage_clock(true);
    if (data)
        stage_data(*data);
    flush_lines();
    stage_clock(false);
    flush_lines();
}

void fast_bits(std::int32_t value, int count) {
    for (int bit = 0; bit < count; ++bit)
        fast_clock(((value >> bit) & 1) != 0);
}

void fast_command(std::int32_t command, std::int32_t payload) {
    fast_bits(command, 4);
    fast_bits(payload, 16);
}

// The eight operand clocks with PGD at 0 (the chip ignores it), then eight clocks with
// DATA OUT at 1 from the first rising edge on, DATA IN sampled while CLOCK is high; DATA
// OUT goes back to 0 once the chip has shifted out its byte.
std::int32_t fast_read(std::int32_t command) {
    fast_bits(command, 4);
    fast_clock(false);
    for (int idle = 1; idle < 8; ++idle)
        fast_clock(std::nullopt);
    std::int32_t result = 0;
    for (int bit = 0; bit < 8; ++bit) {
        stage_clock(true);
        stage_data(true);
        if (read_data_in() == 1)
            result += 1 << bit;
        stage_clock(false);
        flush_lines();
    }
    data_low();
    return result;
}

} // namespace

void send_command(std::int32_t command, std::int32_t payload) {
    if (command < 0 || command > 15 || payload < 0 || payload > 65535)
        return;
    if (fast()) {
        fast_command(command, payload);
        return;
    }
    send_bits(command, 4);
    finish_field();
    send_bits(payload, 16);
    finish_field();
}

std::int32_t read_byte(std::int32_t command) {
    if (command < 0 || command > 15)
        return 0;
    if (fast())
        return fast_read(command);
    send_bits(command, 4);
    finish_field();
    for (int idle = 0; idle < 8; ++idle)
        clock_pulse();
    short_delay();
    // DATA OUT stays at 1 through the input phase; the adapter's series resistor lets the
    // chip override it on the shared data line.
    data_high();
    yield();
    std::int32_t result = 0;
    for (int bit = 0; bit < 8; ++bit) {
        clock_high();
        yield();
        if (read_data_in() == 1)
            result += 1 << bit;
        clock_low();
        yield();
    }
    finish_field();
    return result;
}

void program_pulse(std::int32_t hold_ms, std::int32_t discharge_us) {
    data_low();
    yield();
    for (int i = 0; i < 3; ++i)
        clock_pulse();
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
        clock_pulse();
    short_delay();
}

void power_up(std::int32_t voltage_sequence) {
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
}

void power_down() {
    // A fast transfer leaves DATA OUT at its last bit: both signal lines go low before
    // the supplies do, as a default transfer leaves them.
    if (fast()) {
        stage_clock(false);
        stage_data(false);
        flush_lines();
    }
    vdd_off();
    wait_ms(power_step_ms);
    vpp_off();
    wait_ms(power_step_ms);
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
    hardware::current_port_backend().note_wait(milliseconds);
    core::sleep_ms(milliseconds);
}

void wait_us(std::int64_t microseconds) {
    if (microseconds < 0)
        microseconds = 0;
    hardware::current_port_backend().note_wait_us(microseconds);
    core::hooks().sleep_us(microseconds);
}

} // namespace Module94
