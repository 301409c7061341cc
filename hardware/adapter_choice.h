// Which adapter drives the programmer's lines, as a value: a kind and the text that says
// which one of that kind. The CLI's --port, the stored "Adapter" setting and the window's
// adapter selection all read and write it in the same spelling:
//
//   1, 2, 3, 0xADDR, /dev/parportN   a parallel port (ppdev, else raw port I/O), as always
//   ppdev:/dev/parportN              that port through ppdev only
//   direct:0xADDR                    raw port I/O at that base address only
//   ftdi, ftdi:SPEC                  an FTDI USB board in bit-bang mode
//   gpio:/dev/gpiochipN, gpio:LABEL  lines of a Linux GPIO chip (a Raspberry Pi's header)
//   sim                              the simulated adapter with a virtual PIC18
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace hardware {

enum class adapter_kind { parallel, ppdev, direct, ftdi, gpio, sim };

struct adapter_spec {
    adapter_kind kind = adapter_kind::parallel;
    // parallel: a base address ("0x278") or a device ("/dev/parport1"); empty for the
    // stored "Parallel Port Address". ppdev: the device. direct: the base address. ftdi:
    // which board (empty: the first one found). gpio: the chip's device or label. sim: empty.
    std::string spec;
    bool operator==(const adapter_spec&) const = default;
};

struct adapter_parse {
    adapter_spec adapter;
    std::string error; // empty when the text names an adapter
};

// Reads an adapter's text. The bare numbers become their base address ("2" is "0x278").
// `subject` begins an error ("--port must be 1, 2 or 3 ...", "--port gpio:0: unknown
// adapter kind 'gpio': use ...").
adapter_parse parse_adapter(const std::string& text, const std::string& subject = "--port");

// The canonical text, which parse_adapter reads back to the same value: "0x278",
// "/dev/parport1", "ppdev:/dev/parport0", "direct:0xD010", "ftdi", "ftdi:A1B2C3",
// "gpio:/dev/gpiochip0", "sim".
// Empty for the parallel port at the stored address.
std::string adapter_text(const adapter_spec& adapter);

// The kind as --port spells it ("ftdi"); "parallel" for the bare forms.
const char* adapter_kind_name(adapter_kind kind);

// The base address a parallel or direct spec gives in hex ("0x378"), or nullopt (a
// device, or another kind).
std::optional<std::int32_t> spec_base(const adapter_spec& adapter);

// Whether the adapter drives the port registers through a port backend (the parallel
// kinds and the simulated adapter); false for a USB board or a GPIO chip, which drive lines.
bool register_level(adapter_kind kind);

// The adapter the stored settings name: "Adapter", read back as parse_adapter reads it;
// empty or absent, the parallel port at "Parallel Port Address" (so settings written
// before adapters had kinds keep their meaning). A text that names no adapter gives the
// parallel port too, and `problem` says why it was not taken.
adapter_spec stored_adapter(std::string* problem = nullptr);

// Stores the adapter under "Adapter". A parallel port given by its address is stored
// under "Parallel Port Address", with "Adapter" emptied.
void store_adapter(const adapter_spec& adapter);

} // namespace hardware
