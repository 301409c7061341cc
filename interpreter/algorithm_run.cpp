// The interpreter core: run state, the dispatch of one instruction, the control
// instructions (power, the programming holds of code and of configuration bytes, limits,
// loops, page blocks, delays), the stop of a loop that runs away, and the unrecognised
// instruction, which ends the program after switching the supplies off.
#include "interpreter/algorithm_run.h"

#include "core/hex_text.h"
#include "core/host_hooks.h"
#include "hardware/port_lines.h"
#include "hardware/serial_transfer.h"
#include "interpreter/check_instructions.h"
#include "interpreter/deferred_reads.h"
#include "interpreter/model_power.h"
#include "interpreter/transfer_instructions.h"

namespace Module1 {

algorithm_run_record algorithm_run;
std::atomic<bool> cancel_requested{false};

namespace {

// Highest address below `size` whose byte is not 255, or -1.
std::int32_t highest_used(const std::vector<std::int32_t>& bytes, std::int32_t size) {
    const std::int32_t top = std::min<std::int32_t>(size, static_cast<std::int32_t>(bytes.size()));
    for (std::int32_t a = top - 1; a >= 0; --a)
        if (bytes[static_cast<std::size_t>(a)] != 255)
            return a;
    return -1;
}

// The last FLASH byte a program run writes: the last one in use, or with the configuration
// in FLASH the last of FLASH, so that the row holding the configuration words is written
// (last) whatever the image holds.
std::int32_t last_flash_in_use(const devices::model_values& model) {
    if (model.layout.config_in_flash)
        return model.flash_size - 1;
    return highest_used(image::program_image().flash_image, model.flash_size);
}

// Index of the first instruction after `from` that is exactly `word`, or 0.
std::int32_t find_forward(std::int32_t from, const char* word) {
    for (std::int32_t i = from + 1; i <= algorithm_run.instruction_count; ++i)
        if (algorithm_run.instructions[static_cast<std::size_t>(i)] == word)
            return i;
    return 0;
}

// Leaves a loop head or a page block: ip goes to the line after the closing word. The
// run is checked beforehand, so the word exists; if not, the run ends.
void skip_past(const char* word) {
    const std::int32_t closing = find_forward(algorithm_run.ip, word);
    algorithm_run.ip = closing == 0 ? algorithm_run.instruction_count + 1 : closing + 1;
}

void loop_head(std::int32_t limit) {
    if (algorithm_run.loop_start != algorithm_run.ip)
        algorithm_run.loop_passes = 0; // a new loop, not a jump back to this one
    algorithm_run.loop_start = algorithm_run.ip;
    algorithm_run.loop_limit = limit;
    if (algorithm_run.address_counter <= algorithm_run.loop_limit) {
        ++algorithm_run.ip;
        return;
    }
    algorithm_run.address_counter = 0;
    skip_past("loop");
}

// Chip operations refuse such an algorithm before they start (devices::run_fault); this
// path remains for callers that run instructions directly.
void unrecognised(const std::string& text) {
    // Leaving the programming voltage on a chip is unsafe: switch both supplies off
    // before the message, whatever the algorithm did so far.
    Module94::vdd_off();
    Module94::vpp_off();
    algorithm_run.stop = run_stop::unrecognised;
    core::mymsgbox("Unrecognized symbolic instruction '" + text + "'.\r\nThe program must end.",
                   core::msg_error, "");
    core::terminate_program(2);
}

// calcflashpage: the FLASH limit at the end of the page of the last byte in use.
void limit_to_page() {
    const auto& model = devices::selected_model().values;
    const std::int32_t g = last_flash_in_use(model);
    // The run is checked beforehand: page_size is at least 1 here.
    const std::int32_t page = std::max<std::int32_t>(model.page_size, 1);
    algorithm_run.flash_limit = g - (g % page) + page - 1;
}

// "loop": back to the loop head, unless the passes show a loop that never ends, which
// would hold the chip powered for ever: the run stops at this "loop" once the passes
// exceed what any walk of the memories needs.
void loop_back() {
    const auto& model = devices::selected_model().values;
    auto& run = algorithm_run;
    if (++run.loop_passes > model.flash_size + model.eeprom_size + model.layout.id_size +
                                model.layout.config_size + runaway_loop_margin) {
        run.stop = run_stop::runaway_loop;
        return;
    }
    run.ip = run.loop_start;
}

// "ifpage": into the block on a page boundary above 0, else past its "endifpage".
void page_block() {
    auto& run = algorithm_run;
    const std::int32_t page = std::max<std::int32_t>(devices::selected_model().values.page_size, 1);
    if (run.address_counter > 0 && run.address_counter % page == 0) {
        ++run.ip;
        return;
    }
    skip_past("endifpage");
}

// A fixed wait by default; with fast port access the documented time, or a poll of the
// write-in-progress bit, where the instruction gives one.
void timed_wait(const devices::instruction& instruction) {
    const bool fast = Module94::fast_clocking();
    if (fast && instruction.fast_poll) {
        wait_for_write(model_write_poll(true));
        return;
    }
    const std::int32_t ms =
        fast && instruction.fast_wait_ms ? *instruction.fast_wait_ms : instruction.wait_ms;
    if (ms > 0)
        Module94::wait_ms(ms);
    if (instruction.wait_us > 0)
        Module94::wait_us(instruction.wait_us);
}

} // namespace

void start_run(const devices::instruction_list& list) {
    auto& run = algorithm_run;
    run.instructions.assign(1, std::string());
    run.instructions.insert(run.instructions.end(), list.begin(), list.end());
    run.decoded.assign(1, devices::instruction{});
    for (const auto& text : list)
        run.decoded.push_back(devices::decode_instruction(text));
    run.instruction_count = static_cast<std::int32_t>(list.size());
    run.address_counter = 0;
    run.temp_width = 1;
    run.counts = {};
    run.loop_start = 0;
    run.loop_passes = 0;
    run.flash_limit = devices::selected_model().values.flash_size - 1;
    run.eeprom_limit = devices::selected_model().values.eeprom_size - 1;
    run.stop = run_stop::none;
}

bool run_continues() {
    return algorithm_run.stop == run_stop::none && algorithm_run.ip >= 1 &&
           algorithm_run.ip <= algorithm_run.instruction_count;
}

void run_step() {
    using devices::opcode;
    auto& run = algorithm_run;
    if (run.ip < 1 || run.ip > run.instruction_count)
        return;
    // Reads the driver has executed meanwhile resolve first: a comparison may cut the run.
    settle_reads(false);
    if (run.ip < 1 || run.ip > run.instruction_count)
        return;
    const auto& instruction = run.decoded[static_cast<std::size_t>(run.ip)];
    const auto& model = devices::selected_model().values;
    // Every instruction is named here: one the language gains is a compile error until
    // it is wired up.
    switch (instruction.op) {
    case opcode::begin:
        power_up_for(model);
        break;
    case opcode::end:
        Module94::power_down();
        break;
    case opcode::startprog:
        Module94::program_pulse(model.program_time_ms, model.discharge_time_us);
        break;
    case opcode::startconfigprog:
        Module94::program_pulse(model.config_program_time_ms, model.discharge_time_us);
        break;
    case opcode::setprogtime:
    case opcode::endifpage:
        break;
    case opcode::calcflash:
        run.flash_limit = last_flash_in_use(model);
        break;
    case opcode::calcflashpage:
        limit_to_page();
        break;
    case opcode::calceeprom:
        run.eeprom_limit = highest_used(image::program_image().eeprom_image, model.eeprom_size);
        break;
    case opcode::setflashloop:
        loop_head(run.flash_limit);
        return;
    case opcode::seteepromloop:
        loop_head(run.eeprom_limit);
        return;
    case opcode::setidloop:
        loop_head(model.layout.id_size - 1);
        return;
    case opcode::setconfigloop:
        loop_head(model.layout.config_size - 1);
        return;
    case opcode::loop:
        loop_back();
        return;
    case opcode::ifpage:
        page_block();
        return;
    case opcode::wait:
        timed_wait(instruction);
        break;
    case opcode::movlw_upper:
        movlw_address(address_part::upper);
        break;
    case opcode::movlw_high:
        movlw_address(address_part::high);
        break;
    case opcode::movlw_low:
        movlw_address(address_part::low);
        break;
    case opcode::movlw_eeprom:
        movlw_eeprom_byte();
        break;
    case opcode::write_flash:
    case opcode::write_id:
    case opcode::write_eeprom:
    case opcode::write_config:
        if (instruction.eight_bit)
            write_walked(instruction);
        else if (instruction.op == opcode::write_config)
            write_config_byte(instruction);
        else
            write_image_word(instruction);
        break;
    case opcode::send_command:
        Module94::send_command8(instruction.command);
        break;
    case opcode::waitwr:
        wait_for_write(model_write_poll(false));
        break;
    case opcode::read_flash:
    case opcode::read_eeprom:
    case opcode::read_id:
        read_image_byte(instruction);
        break;
    case opcode::read_config:
        if (instruction.walks)
            read_image_byte(instruction);
        else
            read_config_byte(instruction);
        break;
    case opcode::read_temp:
        read_temp_byte(instruction);
        break;
    case opcode::send_literal:
        send_literal(instruction);
        break;
    case opcode::checkblankflash:
    case opcode::checkblankeeprom:
    case opcode::checkblankconfig:
    case opcode::checkblankid:
    case opcode::checkflash:
    case opcode::checkeeprom:
    case opcode::checkconfig:
    case opcode::checkid:
        run_check(instruction);
        return;
    case opcode::unrecognised:
        unrecognised(run.instructions[static_cast<std::size_t>(run.ip)]);
        return;
    }
    ++run.ip;
}

void reset_report() {
    algorithm_run.failure_count = 0;
    algorithm_run.failure_report = report_header;
    algorithm_run.differences.clear();
    algorithm_run.zero_reads = 0;
}

std::string location_text(image::region where, std::int64_t address) {
    const auto a = static_cast<std::int32_t>(address);
    switch (where) {
    case image::region::flash:
        return "FLASH Byte " + core::hex6h(a);
    case image::region::eeprom:
        return "EEPROM Byte " +
               core::hex4h(static_cast<std::int32_t>(
                   address - devices::selected_model().values.layout.eeprom_address));
    case image::region::id:
        return "ID Byte " + core::hex6h(a);
    case image::region::config:
        return "CONF Byte " + core::hex6h(a);
    }
    return {};
}

void add_difference(const check_difference& difference) {
    algorithm_run.differences.push_back(difference);
    add_failure(location_text(difference.where, difference.address), core::hex2h(difference.read),
                core::hex2h(difference.expected));
}

region_counts& counts_of(image::region where) {
    return algorithm_run.counts[static_cast<std::size_t>(where)];
}

void add_failure(const std::string& location, const std::string& read_value,
                 const std::string& expected) {
    auto& run = algorithm_run;
    ++run.failure_count;
    run.failure_report += location + ",   " + read_value + ",   " + expected + ",\r\n";
    if (run.failure_count == max_reported_failures)
        run.ip = run.instruction_count;
}

} // namespace Module1
