// Transfer instructions: table-pointer loads, FLASH word, EEPROM and configuration writes,
// reads into the image or into temp, the write-completion wait and literal commands.
// Each transfer is followed by one short_delay.
#include "interpreter/transfer_instructions.h"

#include "core/host_hooks.h"
#include "hardware/serial_transfer.h"
#include "interpreter/algorithm_run.h"
#include "interpreter/deferred_reads.h"

namespace Module1 {

namespace {

std::int32_t& config_slot(int config_byte) {
    return image::program_image().config_image[static_cast<std::size_t>(config_byte - 1)];
}

void movlw(std::int32_t byte) {
    Module94::send_command(0, 0x0E00 + byte);
    Module94::short_delay();
}

} // namespace

void wait_for_write(bool nop_before_shift_out) {
    auto& run = algorithm_run;
    const std::int64_t started = core::monotonic_us();
    for (;;) {
        Module94::send_command(0, 0x50A6);
        Module94::short_delay();
        Module94::send_command(0, 0x6EF5);
        Module94::short_delay();
        if (nop_before_shift_out) {
            Module94::send_command(0, 0x0000);
            Module94::short_delay();
        }
        run.temp = Module94::read_byte(2);
        Module94::short_delay();
        if ((run.temp & 2) == 0)
            return;
        if (core::monotonic_us() - started > write_wait_limit_us) {
            run.stop = run_stop::write_timeout;
            return;
        }
        if (cancel_requested.load()) {
            run.stop = run_stop::cancelled;
            return;
        }
    }
}

namespace {

std::vector<std::int32_t>& bytes_of(memory which) {
    return which == memory::flash ? image::program_image().flash_image
                                  : image::program_image().eeprom_image;
}

// Whether `address` lies inside both the model's memory and the image array.
bool inside(memory which, std::int32_t address) {
    const std::int32_t size = which == memory::flash ? devices::selected_model().values.flash_size
                                                     : devices::selected_model().values.eeprom_size;
    return address >= 0 && address < size &&
           static_cast<std::size_t>(address) < bytes_of(which).size();
}

} // namespace

std::int32_t image_byte(memory which, std::int32_t address) {
    return inside(which, address) ? bytes_of(which)[static_cast<std::size_t>(address)] : 255;
}

void store_image_byte(memory which, std::int32_t address, std::int32_t value) {
    if (inside(which, address))
        bytes_of(which)[static_cast<std::size_t>(address)] = value;
}

void caption_progress(memory which) {
    const auto& run = algorithm_run;
    core::set_status((which == memory::flash ? "F:" : "E:") +
                     std::to_string(run.address_counter + 1) + "/" +
                     std::to_string(run.loop_limit + 1));
    core::host_yield();
}

void caption_config(int config_byte) {
    core::set_status(std::string("CONF") +
                     devices::config_byte_names[static_cast<std::size_t>(config_byte - 1)] + ":");
    core::host_yield();
}

void run_transfer(const devices::instruction& instruction) {
    using devices::opcode;
    auto& run = algorithm_run;
    const std::int32_t a = run.address_counter;
    switch (instruction.op) {
    case opcode::movlw_upper:
        Module94::split_address(a);
        movlw(Module94::upper_byte);
        break;
    case opcode::movlw_high:
        Module94::split_address(a);
        movlw(Module94::high_byte);
        break;
    case opcode::movlw_low:
        Module94::split_address(a);
        movlw(Module94::low_byte);
        break;
    case opcode::movlw_eeprom:
        caption_progress(memory::eeprom);
        movlw(image_byte(memory::eeprom, a));
        run.address_counter = a + 1;
        break;
    case opcode::write_flash:
        caption_progress(memory::flash);
        Module94::send_command(instruction.command, image_byte(memory::flash, a) +
                                                        256 * image_byte(memory::flash, a + 1));
        Module94::short_delay();
        run.address_counter = a + 2;
        break;
    case opcode::write_config:
        caption_config(instruction.config_byte);
        Module94::send_command(instruction.command, 257 * config_slot(instruction.config_byte));
        Module94::short_delay();
        break;
    case opcode::waitwr:
        wait_for_write(false);
        break;
    case opcode::read_flash:
    case opcode::read_eeprom: {
        const memory which = instruction.op == opcode::read_flash ? memory::flash : memory::eeprom;
        caption_progress(which);
        read_into_image(which, a, Module94::read_byte_deferred(instruction.command));
        Module94::short_delay();
        run.address_counter = a + 1;
        break;
    }
    case opcode::read_config:
        caption_config(instruction.config_byte);
        read_into_config(instruction.config_byte,
                         Module94::read_byte_deferred(instruction.command));
        Module94::short_delay();
        break;
    case opcode::read_temp:
        read_into_temp(Module94::read_byte_deferred(instruction.command));
        Module94::short_delay();
        break;
    case opcode::send_literal:
        Module94::send_command(instruction.command, instruction.payload);
        Module94::short_delay();
        break;
    default:
        break;
    }
    ++run.ip;
}

} // namespace Module1
