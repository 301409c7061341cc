// The queue of reads waiting for the line driver, resolved front first.
#include "interpreter/deferred_reads.h"

#include "image/memory_buffer.h"
#include "interpreter/algorithm_run.h"
#include "interpreter/check_instructions.h"

#include <deque>
#include <optional>

namespace Module1 {

namespace {

struct waiting_read {
    enum class use { image_byte, config_byte, temp, check } what = use::temp;
    Module94::pending_byte read;
    memory which = memory::flash;
    std::int32_t address = 0;
    int config_byte = 0;
    devices::instruction check;
    std::optional<std::int32_t> known; // a check of a temp that was already known
};

std::deque<waiting_read>& queue() {
    static std::deque<waiting_read> waiting;
    return waiting;
}

// The read temp was last given while it is still waiting.
std::optional<Module94::pending_byte>& temp_waiting() {
    static std::optional<Module94::pending_byte> read;
    return read;
}

void apply(const waiting_read& item, std::int32_t value) {
    switch (item.what) {
    case waiting_read::use::image_byte:
        store_image_byte(item.which, item.address, value & 0xFF);
        if (item.read.width == 2)
            store_image_byte(item.which, item.address + 1, (value >> 8) & 0xFF);
        return;
    case waiting_read::use::config_byte:
        image::program_image().config_image[static_cast<std::size_t>(item.config_byte - 1)] = value;
        return;
    case waiting_read::use::temp:
        algorithm_run.temp = value;
        return;
    case waiting_read::use::check:
        // Once the report is cut at its last failure the run goes to its end: later
        // comparisons, already read from the chip, are not reported.
        if (algorithm_run.failure_count < max_reported_failures)
            compare_read(item.check, item.address, value);
        return;
    }
}

// Resolves at once when nothing waits and the bits are known; queues otherwise.
void take(waiting_read item) {
    if (queue().empty() && Module94::byte_ready(item.read)) {
        apply(item, Module94::byte_value(item.read));
        return;
    }
    queue().push_back(std::move(item));
}

} // namespace

void read_into_image(memory which, std::int32_t address, const Module94::pending_byte& read) {
    waiting_read item;
    item.what = waiting_read::use::image_byte;
    item.read = read;
    item.which = which;
    item.address = address;
    take(std::move(item));
}

void read_into_config(int config_byte, const Module94::pending_byte& read) {
    waiting_read item;
    item.what = waiting_read::use::config_byte;
    item.read = read;
    item.config_byte = config_byte;
    take(std::move(item));
}

void read_into_temp(const Module94::pending_byte& read) {
    waiting_read item;
    item.what = waiting_read::use::temp;
    item.read = read;
    const bool at_once = queue().empty() && Module94::byte_ready(read);
    temp_waiting() = at_once ? std::nullopt : std::optional(read);
    take(std::move(item));
}

void check_temp(const devices::instruction& instruction, std::int32_t address) {
    if (!temp_waiting()) {
        if (queue().empty()) {
            compare_read(instruction, address, algorithm_run.temp);
            return;
        }
        // temp is known, but comparisons before this one still wait: keep the order.
        waiting_read item;
        item.what = waiting_read::use::check;
        item.check = instruction;
        item.address = address;
        item.known = algorithm_run.temp;
        queue().push_back(std::move(item));
        return;
    }
    waiting_read item;
    item.what = waiting_read::use::check;
    item.read = *temp_waiting();
    item.check = instruction;
    item.address = address;
    queue().push_back(std::move(item));
}

void settle_reads(bool force) {
    if (queue().empty())
        return;
    if (force)
        hardware::current_line_driver().flush();
    while (!queue().empty()) {
        const waiting_read& front = queue().front();
        if (!force && !Module94::byte_ready(front.read))
            return;
        const waiting_read item = front;
        queue().pop_front();
        apply(item, item.known ? *item.known : Module94::byte_value(item.read));
    }
    temp_waiting().reset();
}

void drop_waiting_reads() {
    queue().clear();
    temp_waiting().reset();
}

bool reads_waiting() {
    return !queue().empty();
}

} // namespace Module1
