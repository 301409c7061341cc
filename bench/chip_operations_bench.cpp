// Program All, Verify and Read All of a full random image on the simulated adapter with a
// virtual chip and a virtual clock, for the largest part of each family. Reports our own
// CPU time per operation, the port accesses, the waits a real port would add, and the
// share of our CPU time in the time the same run takes on a real port (1 us per register
// access plus the waits); then prints the estimated real-port times as a table.
#include "core/host_hooks.h"
#include "core/virtual_clock.h"
#include "devices/selected_model.h"
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

#include <cstdio>
#include <ctime>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <string>

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
    void note_wait(std::int64_t milliseconds) override { waited_ms += milliseconds; }

    std::int64_t accesses = 0;
    std::int64_t waited_ms = 0;

  private:
    std::unique_ptr<hardware::port_backend> inner_;
};

struct bench_setup {
    core::virtual_clock clock;
    counting_port* port = nullptr;

    explicit bench_setup(const std::string& part_name) {
        core::host_hooks hooks;
        clock.attach(hooks);
        hooks.message_box = [](const std::string&, int, const std::string&) { return 1; };
        core::install_hooks(hooks);
        Module1::reset_program_state();
        devices::device_table& table = devices::device_database();
        devices::load_device_table(PINWRIGHT_SOURCE_DIR "/data/pinwrightdevices.txt", table);
        devices::select_program_model(table, devices::find_model(table, "PIC" + part_name));
        auto chip = std::make_shared<sim::virtual_chip>(*sim::find_part(part_name));
        auto adapter =
            std::make_unique<hardware::simulated_adapter>(888, hardware::socket_virtual_chip(chip));
        adapter->open();
        auto counted = std::make_unique<counting_port>(std::move(adapter));
        port = counted.get();
        hardware::install_port_backend(std::move(counted));
        Module94::set_lines_idle();
    }

    void fill_image() {
        auto& image = image::program_image();
        image::erase_image(image, devices::selected_model().values);
        std::mt19937 random(32768);
        for (auto& byte : image.flash_image)
            byte = static_cast<int>(random() % 256);
        if (devices::selected_model().values.eeprom_size > 0)
            for (auto& byte : image.eeprom_image)
                byte = static_cast<int>(random() % 256);
    }
};

// The largest part of each family.
const char* const parts[] = {"18F458",  "18F4431",  "18F4320",  "18F4620",  "18F4685",
                             "18F1330", "18F46K20", "18F46K22", "18F14K22", "18F66K80"};
constexpr int last_part = static_cast<int>(std::size(parts)) - 1;
const char* const operation_names[] = {"Program All", "Verify", "Read All"};
std::map<std::string, std::map<std::string, double>> real_port_seconds;

void run_operation(benchmark::State& state, int operation_index) {
    const std::string part = parts[state.range(0)];
    bench_setup setup(part);
    setup.fill_image();
    Module1::operation_result (*const operations[])(bool) = {
        &Module1::program_all, &Module1::verify_all, &Module1::read_all};
    if (operation_index != 0)
        Module1::program_all();
    state.SetLabel("PIC" + part);
    for (auto _ : state) {
        setup.port->accesses = 0;
        setup.port->waited_ms = 0;
        const auto start = setup.clock.now_us();
        const std::clock_t cpu_start = std::clock();
        const auto result = operations[operation_index](true);
        const double cpu_s = static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
        benchmark::DoNotOptimize(result);
        const double simulated_s = static_cast<double>(setup.clock.now_us() - start) / 1e6;
        state.counters["port_accesses"] = static_cast<double>(setup.port->accesses);
        state.counters["waits_s"] = static_cast<double>(setup.port->waited_ms) / 1e3;
        state.counters["real_port_s"] = simulated_s;
        state.counters["cpu_percent_of_real"] = 100.0 * cpu_s / simulated_s;
        real_port_seconds["PIC" + part][operation_names[operation_index]] = simulated_s;
    }
    Module1::reset_program_state();
    core::install_hooks(core::default_hooks());
}

void BM_ProgramAll(benchmark::State& state) {
    run_operation(state, 0);
}
void BM_VerifyAll(benchmark::State& state) {
    run_operation(state, 1);
}
void BM_ReadAll(benchmark::State& state) {
    run_operation(state, 2);
}

// What the device ID check adds to an operation: Erase All with and without it.
std::map<std::string, double> id_check_ms;

void BM_IdentityCheck(benchmark::State& state) {
    const std::string part = parts[state.range(0)];
    bench_setup setup(part);
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
    Module1::reset_program_state();
    core::install_hooks(core::default_hooks());
}

BENCHMARK(BM_IdentityCheck)->DenseRange(0, last_part)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ProgramAll)->DenseRange(0, last_part)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_VerifyAll)->DenseRange(0, last_part)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ReadAll)->DenseRange(0, last_part)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nEstimated time on a real port (1 us per register access plus waits), "
                "full random image:\n\n");
    std::printf("| Part | Program All | Verify | Read All |\n|---|---|---|---|\n");
    for (const auto& [part, times] : real_port_seconds) {
        std::printf("| %s |", part.c_str());
        for (const char* name : operation_names) {
            const auto found = times.find(name);
            if (found == times.end())
                std::printf(" - |");
            else
                std::printf(" %.1f s |", found->second);
        }
        std::printf("\n");
    }
    std::printf("\nThe device ID check adds to each operation on a real port:\n");
    for (const auto& [part, ms] : id_check_ms)
        std::printf("  %s: %.1f ms\n", part.c_str(), ms);
    return 0;
}
