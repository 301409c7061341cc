// Reads that need not be known at once. A read that only stores a byte into the image, and
// the comparison of a Verify or Blank Check, wait in order until the line driver has
// executed the frames they read; on an immediate driver (the parallel port) they are known
// at once and resolve on the spot, exactly as plain reads would. Results come out the same
// either way: failures in address order, the report cut at its 25th failure.
#pragma once

#include "devices/instruction_syntax.h"
#include "hardware/serial_transfer.h"
#include "interpreter/transfer_instructions.h"

#include <cstdint>

namespace Module1 {

// A read into the image: FLASH or EEPROM byte `address`.
void read_into_image(memory which, std::int32_t address, const Module94::pending_byte& read);
// A read into configuration byte `config_byte` (1..14) of the image.
void read_into_config(int config_byte, const Module94::pending_byte& read);
// A read into temp; temp holds it once it is known.
void read_into_temp(const Module94::pending_byte& read);
// A check instruction's comparison of temp at `address` (its caption and the moves of ip and
// the address counter are the caller's); evaluated at once when temp is known and nothing
// waits before it.
void check_temp(const devices::instruction& instruction, std::int32_t address);

// Resolves, in order, every waiting read whose bits the driver has executed; with `force`
// the driver flushes first, so that nothing waits afterwards.
void settle_reads(bool force);
// Forgets every waiting read (a run that was cancelled or lost its port).
void drop_waiting_reads();
bool reads_waiting();

} // namespace Module1
