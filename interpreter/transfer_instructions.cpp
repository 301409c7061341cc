// Transfer instructions: table-pointer loads, FLASH and ID word, EEPROM and configuration
// writes, reads into the image or into temp, the write-completion wait and literal
// commands. Each transfer is followed by one short_delay.
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

write_poll model_write_poll(bool nop_before_shift_out) {
    return {.register_address = devices::selected_model().values.eecon1_address,
            .nop_before_shift_out = nop_before_shift_out};
}

void wait_for_write(const write_poll& poll) {
    constexpr std::int32_t movf_to_w_access = 0x5000; // MOVF f,W,0: f in the low byte
    constexpr std::int32_t movwf_tablat = 0x6EF5;
    constexpr std::int32_t shift_out_tablat = 0x2;
    const std::int32_t movf = movf_to_w_access | (poll.register_address & 0xFF);
    auto& run = algorithm_run;
    const std::int64_t started = core::monotonic_us();
    for (;;) {
        Module94::send_command(0, movf);
        Module94::short_delay();
        Module94::send_command(0, movwf_tablat);
        Module94::short_delay();
        if (poll.nop_before_shift_out) {
            Module94::send_command(0, 0x0000);
            Module94::short_delay();
        }
        run.temp = Module94::read_byte(shift_out_tablat);
        Module94::short_delay();
        if ((run.temp & poll.busy_mask) == 0)
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
    auto& buffer = image::program_image();
    switch (which) {
    case memory::flash:
        return buffer.flash_image;
    case memory::eeprom:
        return buffer.eeprom_image;
    case memory::id:
        return buffer.id_image;
    case memory::config:
        break;
    }
    static std::vector<std::int32_t> none;
    none.clear();
    return none;
}

std::int32_t size_of(memory which) {
    const auto& model = devices::selected_model().values;
    switch (which) {
    case memory::flash:
        return model.flash_size;
    case memory::eeprom:
        return model.eeprom_size;
    case memory::id:
        return model.layout.id_size;
    case memory::config:
        break;
    }
    return 0;
}

// Whether `address` lies inside both the model's memory and the image array.
bool inside(memory which, std::int32_t address) {
    return address >= 0 && address < size_of(which) &&
           static_cast<std::size_t>(address) < bytes_of(which).size();
}

} // namespace

std::optional<int> flash_config_byte(memory which, std::int32_t address) {
    const auto& model = devices::selected_model().values;
    const auto& layout = model.layout;
    if (which != memory::flash || !layout.config_in_flash || address < layout.config_address ||
        address >= layout.config_address + layout.config_size || address >= model.flash_size)
        return std::nullopt;
    return static_cast<int>(address - layout.config_address);
}

namespace {

// A configuration byte of the model at `index` (0-based), walked by the counter.
bool config_index(std::int32_t index) {
    return index >= 0 && index < devices::selected_model().values.layout.config_size &&
           index < devices::largest_config_size;
}

} // namespace

std::int32_t image_byte(memory which, std::int32_t address) {
    if (which == memory::config)
        return config_index(address)
                   ? image::program_image().config_image[static_cast<std::size_t>(address)]
                   : 255;
    if (const auto k = flash_config_byte(which, address))
        return image::program_image().config_image[static_cast<std::size_t>(*k)];
    return inside(which, address) ? bytes_of(which)[static_cast<std::size_t>(address)] : 255;
}

void store_image_byte(memory which, std::int32_t address, std::int32_t value) {
    if (which == memory::config) {
        if (config_index(address))
            image::program_image().config_image[static_cast<std::size_t>(address)] = value;
        return;
    }
    if (const auto k = flash_config_byte(which, address))
        image::program_image().config_image[static_cast<std::size_t>(*k)] = value;
    else if (inside(which, address))
        bytes_of(which)[static_cast<std::size_t>(address)] = value;
}

void caption_progress(memory which) {
    const auto& run = algorithm_run;
    if (which == memory::config) {
        caption_config(run.address_counter + 1);
        return;
    }
    const char* prefix = which == memory::flash ? "F:" : which == memory::eeprom ? "E:" : "I:";
    core::set_status(prefix + std::to_string(run.address_counter + 1) + "/" +
                     std::to_string(run.loop_limit + 1));
    core::host_yield();
}

void caption_config(int config_byte) {
    core::set_status(
        "CONF" +
        devices::config_byte_name(devices::selected_model().values.layout, config_byte - 1) + ":");
    core::host_yield();
}

void movlw_address(address_part part) {
    Module94::split_address(algorithm_run.address_counter);
    movlw(part == address_part::upper  ? Module94::upper_byte
          : part == address_part::high ? Module94::high_byte
                                       : Module94::low_byte);
}

void movlw_eeprom_byte() {
    auto& run = algorithm_run;
    caption_progress(memory::eeprom);
    movlw(image_byte(memory::eeprom, run.address_counter));
    counts_of(memory::eeprom).written += 1;
    run.address_counter += 1;
}

void write_image_word(const devices::instruction& instruction) {
    auto& run = algorithm_run;
    const memory which = instruction.walks.value_or(memory::flash);
    const std::int32_t a = run.address_counter;
    caption_progress(which);
    Module94::send_command(instruction.command,
                           image_byte(which, a) + 256 * image_byte(which, a + 1));
    Module94::short_delay();
    counts_of(which).written += 2;
    run.address_counter = a + 2;
}

void write_walked(const devices::instruction& instruction) {
    auto& run = algorithm_run;
    const memory which = instruction.walks.value_or(memory::flash);
    const std::int32_t a = run.address_counter;
    caption_progress(which);
    std::int32_t value = image_byte(which, a) & 0xFF;
    if (instruction.width == 2)
        value |= (image_byte(which, a + 1) & 0xFF) << 8;
    Module94::send_command8(instruction.command, value);
    counts_of(which).written += instruction.width;
    run.address_counter = a + instruction.width;
}

void write_config_byte(const devices::instruction& instruction) {
    caption_config(instruction.config_byte);
    Module94::send_command(instruction.command, 257 * config_slot(instruction.config_byte));
    Module94::short_delay();
    counts_of(memory::config).written += 1;
}

void read_image_byte(const devices::instruction& instruction) {
    auto& run = algorithm_run;
    const memory which = instruction.walks.value_or(memory::flash);
    caption_progress(which);
    if (instruction.eight_bit) {
        read_into_image(which, run.address_counter,
                        Module94::read_deferred8(instruction.command, instruction.width));
    } else {
        read_into_image(which, run.address_counter,
                        Module94::read_byte_deferred(instruction.command));
        Module94::short_delay();
    }
    counts_of(which).read += instruction.width;
    run.address_counter += instruction.width;
}

void read_config_byte(const devices::instruction& instruction) {
    caption_config(instruction.config_byte);
    read_into_config(instruction.config_byte, Module94::read_byte_deferred(instruction.command));
    Module94::short_delay();
    counts_of(memory::config).read += 1;
}

void read_temp_byte(const devices::instruction& instruction) {
    algorithm_run.temp_width = instruction.width;
    if (instruction.eight_bit) {
        read_into_temp(Module94::read_deferred8(instruction.command, instruction.width));
        return;
    }
    read_into_temp(Module94::read_byte_deferred(instruction.command));
    Module94::short_delay();
}

void send_literal(const devices::instruction& instruction) {
    if (instruction.eight_bit) {
        Module94::send_command8(instruction.command, instruction.payload);
        return;
    }
    Module94::send_command(instruction.command, instruction.payload);
    Module94::short_delay();
}

} // namespace Module1
