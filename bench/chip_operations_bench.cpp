// Program All, Verify and Read All on the simulated adapter with a virtual chip and a
// virtual clock, for the largest part of each family, with the default and with fast port
// access, for a full random image and for a typical one (full code memory, 16 bytes of
// EEPROM, the configuration). Reports our own CPU time per operation and per port access
// (the line procedures, the simulated adapter and the virtual chip together), the port accesses,
// the waits a real port would add, and the share of our CPU time in the time the same run
// takes on a real port (1 us per register access plus the waits); then prints the
// estimated real-port times of both pacings side by side, and the fast-access goals.
// The FTDI row runs the same goals on a simulated FT232R board through the FTDI line
// driver, with the USB timing model of the simulated board transport (1 ms per awaited
// round trip, 64-byte OUT and 62-data-byte IN packets on the full-speed bus, 3 MHz byte
// clock). The GPIO row runs PIC18F4520 Program All + Verify on a simulated GPIO chip
// through the GPIO line driver at 7 us per set or get call (a Raspberry Pi Zero W), beside
// the parallel port's default pacing.
#include "core/host_hooks.h"
#include "core/virtual_clock.h"
#include "devices/selected_model.h"
#include "hardware/ftdi_board_transport.h"
#include "hardware/gpio_board_transport.h"
#include "hardware/line_driver.h"
#include "hardware/port_backend.h"
#include "hardware/port_lines.h"
#include "hardware/simulated_adapter.h"
#include "hardware/virtual_chip_socket.h"
#include "image/memory_buffer.h"
#include "interpreter/algorithm_run.h"
#include "interpreter/chip_operations.h"
#include "interpreter/program_state.h"
#include "sim/virtual_chip.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <tuple>

namespace {

// Counts the accesses and waits that reach the adapter.
class counting_port final : public hardware::port_backend {
  public:
    explicit counting_port(std::unique_ptr<hardware::port_backend> inner)
        : inner_(std::move(inner)) {}
    hardware::port_status open() override { return inner_->open(); }
    hardware::port_status status() const override { return inner_->status(); }
    std::string description() const override { return inner_->description(); }
    void out32(std::uint16_t address, std::uint8_t value) override {
        ++accesses;
        inner_->out32(address, value);
    }
    std::uint8_t inp32(std::uint16_t address) override {
        ++accesses;
        return inner_->inp32(address);
    }
    void note_wait(std::int64_t milliseconds) override { waited_us += milliseconds * 1000; }
    void note_wait_us(std::int64_t microseconds) override { waited_us += microseconds; }

    std::int64_t accesses = 0;
    std::int64_t waited_us = 0;

  private:
    std::unique_ptr<hardware::port_backend> inner_;
};

// Where the chip sits: on the simulated parallel-port adapter, or on a simulated FTDI board
// or GPIO chip driven by its own line driver.
enum class line_adapter { parallel, ftdi, gpio };

struct bench_setup {
    core::virtual_clock clock;
    counting_port* port = nullptr;

    // `gpio_call_ns`: the simulated GPIO chip's cost per set or get call.
    bench_setup(const std::string& part_name, bool fast,
                line_adapter adapter_kind = line_adapter::parallel,
                std::int64_t gpio_call_ns = 7000) {
        core::host_hooks hooks;
        clock.attach(hooks);
        hooks.message_box = [](const std::string&, int, const std::string&) { return 1; };
        core::install_hooks(hooks);
        Module1::reset_program_state();
        devices::device_table& table = devices::device_database();
        devices::load_device_table(PINWRIGHT_SOURCE_DIR "/data/pinwrightdevices.txt", table);
        devices::select_program_model(table, devices::find_model(table, "PIC" + part_name));
        // A key-entry part takes MCLR at its VDD level: a 3.3 V adapter.
        hardware::set_simulated_supply(
            devices::enters_by_key(devices::selected_model().values.entry)
                ? hardware::supply_volts{3.3, 3.3}
                : hardware::supply_volts{});
        auto chip = std::make_shared<sim::virtual_chip>(*sim::find_part(part_name));
        auto adapter =
            std::make_unique<hardware::simulated_adapter>(888, hardware::socket_virtual_chip(chip));
        adapter->open();
        auto counted = std::make_unique<counting_port>(std::move(adapter));
        port = counted.get();
        hardware::install_port_backend(std::move(counted));
        Module94::port_pacing.fast = fast;
        const auto socket = [&] {
            return hardware::socket_virtual_chip(
                std::make_shared<sim::virtual_chip>(*sim::find_part(part_name)));
        };
        if (adapter_kind == line_adapter::ftdi)
            hardware::install_line_driver(
                hardware::open_simulated_ftdi_adapter(socket(), settings::ftdi_wiring{}));
        if (adapter_kind == line_adapter::gpio)
            hardware::install_line_driver(hardware::open_simulated_gpio_adapter(
                socket(), settings::gpio_wiring{}, {.call_ns = gpio_call_ns}));
        Module94::set_lines_idle();
    }

    // Random code filling the FLASH; random EEPROM, all of it or its first `eeprom_bytes`;
    // the configuration as erased.
    void fill_image(std::int32_t eeprom_bytes) {
        auto& image = image::program_image();
        image::erase_image(image, devices::selected_model().values);
        std::mt19937 random(32768);
        for (auto& byte : image.flash_image)
            byte = static_cast<int>(random() % 256);
        const auto eeprom = std::min<std::size_t>(image.eeprom_image.size(),
                                                  static_cast<std::size_t>(eeprom_bytes));
        for (std::size_t k = 0; k < eeprom; ++k)
            image.eeprom_image[k] = static_cast<int>(random() % 256);
    }
};

// The largest part of each family (one J part and one of each 8-bit-command family).
const char* const parts[] = {"18F458",   "18F4431",  "18F4320",  "18F4620",  "18F4685",
                             "18F1330",  "18F46K20", "18F46K22", "18F14K22", "18F66K80",
                             "18F47J53", "18F47K40", "18F57K42", "18F26K83", "18F47Q10",
                             "18F57Q43", "18F16Q41", "18F57Q84"};
constexpr int last_part = static_cast<int>(std::size(parts)) - 1;
const char* const operation_names[] = {"Program All", "Verify", "Read All"};
const char* const image_names[] = {"full", "typical"};
constexpr std::int32_t image_eeprom_bytes[] = {1 << 20, 16};
Module1::operation_result (*const operations[])(bool) = {&Module1::program_all,
                                                         &Module1::verify_all, &Module1::read_all};

// Real-port seconds by part, image, operation and pacing (0 default, 1 fast).
std::map<std::tuple<std::string, int, int>, double> real_port_seconds[2];
double highest_cpu_share = 0;

void finish_run() {
    hardware::install_line_driver(nullptr);
    Module1::reset_program_state();
    core::install_hooks(core::default_hooks());
}

// Arguments: part, image, pacing, operation.
void BM_Operation(benchmark::State& state) {
    const std::string part = parts[state.range(0)];
    const int image_kind = static_cast<int>(state.range(1));
    const bool fast = state.range(2) != 0;
    const int operation = static_cast<int>(state.range(3));
    bench_setup setup(part, fast);
    setup.fill_image(image_eeprom_bytes[image_kind]);
    if (operation != 0)
        Module1::program_all();
    state.SetLabel("PIC" + part + " " + image_names[image_kind] + (fast ? " fast " : " ") +
                   operation_names[operation]);
    for (auto _ : state) {
        setup.port->accesses = 0;
        setup.port->waited_us = 0;
        const auto start = setup.clock.now_us();
        const std::clock_t cpu_start = std::clock();
        const auto result = operations[operation](true);
        const double cpu_s = static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
        benchmark::DoNotOptimize(result);
        const double simulated_s = static_cast<double>(setup.clock.now_us() - start) / 1e6;
        state.counters["port_accesses"] = static_cast<double>(setup.port->accesses);
        state.counters["waits_s"] = static_cast<double>(setup.port->waited_us) / 1e6;
        state.counters["real_port_s"] = simulated_s;
        state.counters["cpu_percent_of_real"] = 100.0 * cpu_s / simulated_s;
        state.counters["cpu_ns_per_access"] =
            cpu_s * 1e9 / static_cast<double>(std::max<std::int64_t>(setup.port->accesses, 1));
        highest_cpu_share = std::max(highest_cpu_share, 100.0 * cpu_s / simulated_s);
        real_port_seconds[fast ? 1 : 0][{"PIC" + part, image_kind, operation}] = simulated_s;
    }
    finish_run();
}

// The goals of fast port access, on full code images (FLASH only): Program All + Verify
// of a PIC18F4520 and Program All of a PIC18F46K20, in both pacings.
struct goal_figures {
    double program_verify_4520[2] = {};
    double program_46k20[2] = {};
} goals;

void BM_Goals(benchmark::State& state) {
    const bool fast = state.range(0) != 0;
    state.SetLabel(fast ? "fast" : "default");
    for (auto _ : state) {
        for (const char* part : {"18F4520", "18F46K20"}) {
            bench_setup setup(part, fast);
            setup.fill_image(0);
            const auto start = setup.clock.now_us();
            benchmark::DoNotOptimize(Module1::program_all(true));
            if (std::string(part) == "18F4520") {
                benchmark::DoNotOptimize(Module1::verify_all(true));
                goals.program_verify_4520[fast] =
                    static_cast<double>(setup.clock.now_us() - start) / 1e6;
            } else {
                goals.program_46k20[fast] = static_cast<double>(setup.clock.now_us() - start) / 1e6;
            }
            finish_run();
        }
    }
}

// The same goals on the simulated FTDI board; a figure is negative when the operation did
// not complete.
struct ftdi_figures {
    double program_verify_4520 = 0;
    double program_46k20 = 0;
} ftdi_goals;

void BM_FtdiGoals(benchmark::State& state) {
    state.SetLabel("FT232R");
    for (auto _ : state) {
        for (const char* part : {"18F4520", "18F46K20"}) {
            bench_setup setup(part, true, line_adapter::ftdi);
            setup.fill_image(0);
            const auto start = setup.clock.now_us();
            bool completed =
                Module1::program_all(true).outcome == Module1::operation_outcome::completed;
            const bool is_4520 = std::string(part) == "18F4520";
            if (is_4520) {
                state.counters["PIC18F4520_program_s"] =
                    static_cast<double>(setup.clock.now_us() - start) / 1e6;
                completed = completed && Module1::verify_all(true).outcome ==
                                             Module1::operation_outcome::completed;
            }
            const double seconds =
                static_cast<double>(setup.clock.now_us() - start) / 1e6 * (completed ? 1 : -1);
            (is_4520 ? ftdi_goals.program_verify_4520 : ftdi_goals.program_46k20) = seconds;
            state.counters[is_4520 ? "PIC18F4520_program_verify_s" : "PIC18F46K20_program_s"] =
                seconds;
            finish_run();
        }
    }
}

// PIC18F4520 Program All + Verify of a full code image on the simulated GPIO chip, by cost
// per call (7 us: a Raspberry Pi Zero W; 2.8 us: a Pi 5); negative when an operation did
// not complete.
std::map<std::int64_t, double> gpio_program_verify_4520;

void BM_GpioGoal(benchmark::State& state) {
    const std::int64_t call_ns = state.range(0);
    state.SetLabel("GPIO, " + std::to_string(call_ns) + " ns per call");
    for (auto _ : state) {
        bench_setup setup("18F4520", true, line_adapter::gpio, call_ns);
        setup.fill_image(0);
        const auto start = setup.clock.now_us();
        bool completed =
            Module1::program_all(true).outcome == Module1::operation_outcome::completed;
        state.counters["PIC18F4520_program_s"] =
            static_cast<double>(setup.clock.now_us() - start) / 1e6;
        completed =
            completed && Module1::verify_all(true).outcome == Module1::operation_outcome::completed;
        const double seconds =
            static_cast<double>(setup.clock.now_us() - start) / 1e6 * (completed ? 1 : -1);
        gpio_program_verify_4520[call_ns] = seconds;
        state.counters["PIC18F4520_program_verify_s"] = seconds;
        finish_run();
    }
}

// What the device ID check adds to an operation: Erase All with and without it.
std::map<std::string, double> id_check_ms;

void BM_IdentityCheck(benchmark::State& state) {
    const std::string part = parts[state.range(0)];
    bench_setup setup(part, false);
    state.SetLabel("PIC" + part);
    for (auto _ : state) {
        double seconds[2] = {};
        for (const bool check : {false, true}) {
            const auto start = setup.clock.now_us();
            benchmark::DoNotOptimize(Module1::erase_all(check));
            seconds[check ? 1 : 0] = static_cast<double>(setup.clock.now_us() - start) / 1e6;
        }
        state.counters["id_check_ms"] = (seconds[1] - seconds[0]) * 1e3;
        id_check_ms["PIC" + part] = (seconds[1] - seconds[0]) * 1e3;
    }
    finish_run();
}

BENCHMARK(BM_IdentityCheck)->DenseRange(0, last_part)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Goals)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FtdiGoals)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_GpioGoal)->Arg(7000)->Arg(2800)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Operation)
    ->ArgsProduct({benchmark::CreateDenseRange(0, last_part, 1), {0, 1}, {0, 1}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void print_seconds(const std::tuple<std::string, int, int>& key) {
    const auto found = real_port_seconds[0].find(key);
    const auto fast = real_port_seconds[1].find(key);
    if (found == real_port_seconds[0].end() || fast == real_port_seconds[1].end()) {
        std::printf(" - | - | - |");
        return;
    }
    std::printf(" %.1f s | %.1f s | %.1fx |", found->second, fast->second,
                found->second / fast->second);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nEstimated time on a real port (1 us per register access plus waits), default "
                "and fast port access; a typical image is full code memory, 16 bytes of EEPROM "
                "and the configuration:\n\n");
    std::printf("| Part | Image | Program All | fast | ratio | Verify | fast | ratio | Read All "
                "| fast | ratio |\n|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (const char* part : parts)
        for (int image_kind = 0; image_kind < 2; ++image_kind) {
            const std::string name = std::string("PIC") + part;
            if (!real_port_seconds[0].contains({name, image_kind, 0}))
                continue;
            std::printf("| %s | %s |", name.c_str(), image_names[image_kind]);
            for (int operation = 0; operation < 3; ++operation)
                print_seconds({name, image_kind, operation});
            std::printf("\n");
        }
    if (highest_cpu_share > 0)
        std::printf("\nOur own CPU time is at most %.2f %% of the real-port time.\n",
                    highest_cpu_share);
    if (goals.program_verify_4520[0] > 0)
        std::printf("\nGoals, full code images:\n"
                    "  PIC18F4520 Program All + Verify: %.2f s default, %.2f s fast (goal: at "
                    "most a third, %.2f s)\n"
                    "  PIC18F46K20 Program All: %.2f s default, %.2f s fast (goal: at most "
                    "8 s)\n",
                    goals.program_verify_4520[0], goals.program_verify_4520[1],
                    goals.program_verify_4520[0] / 3, goals.program_46k20[0],
                    goals.program_46k20[1]);
    if (ftdi_goals.program_verify_4520 != 0)
        std::printf("\nFTDI FT232R board (simulated, USB timing modelled), full code images; a "
                    "negative figure is an operation that did not complete:\n"
                    "  PIC18F4520 Program All + Verify: %.2f s (goal: at most 8 s)\n"
                    "  PIC18F46K20 Program All: %.2f s (goal: at most 8 s)\n",
                    ftdi_goals.program_verify_4520, ftdi_goals.program_46k20);
    if (!gpio_program_verify_4520.empty())
        std::printf("\nGPIO chip (simulated, a cost per set or get call), PIC18F4520 Program All "
                    "+ Verify of a full code image; a negative figure is an operation that did "
                    "not complete (parallel port, default pacing: %.2f s):\n",
                    goals.program_verify_4520[0]);
    for (const auto& [call_ns, seconds] : gpio_program_verify_4520)
        std::printf("  %.1f us per call: %.2f s\n", static_cast<double>(call_ns) / 1000, seconds);
    if (!id_check_ms.empty())
        std::printf("\nThe device ID check adds to each operation on a real port:\n");
    for (const auto& [part, ms] : id_check_ms)
        std::printf("  %s: %.1f ms\n", part.c_str(), ms);
    return 0;
}
