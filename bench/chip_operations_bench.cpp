// Program All, Verify and Read All of a full 32 KB image on the simulated adapter with a
// virtual PIC18F4520 and a virtual clock. Reports our own CPU time per operation, the
// port accesses, the waits a real port would add, and the ratio of our CPU time to the
// time the same run takes on a real port (1 us per access plus the waits).
#include "core/host_hooks.h"
#include "core/virtual_clock.h"
#include "devices/device_table.h"
#include "hardware/port_backend.h"
#include "hardware/port_lines.h"
#include "hardware/simulated_adapter.h"
#include "interpreter/algorithm_run.h"
#include "interpreter/chip_operations.h"
#include "sim/virtual_chip.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>
#include <random>

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

    bench_setup() {
        core::host_hooks hooks;
        clock.attach(hooks);
        hooks.message_box = [](const std::string&, int, const std::string&) { return 1; };
        core::install_hooks(hooks);
        devices::device_table table;
        devices::load_device_table(PINWRIGHT_SOURCE_DIR "/data/pinwrightdevices.txt", table);
        for (int n = 1; n <= table.model_count(); ++n)
            if (table.models[static_cast<std::size_t>(n)].name == "PIC18F4520")
                devices::select_model(table, n, Module1::selected_model());
        auto chip = std::make_shared<sim::virtual_chip>(*sim::find_part("18F4520"));
        auto adapter = std::make_unique<hardware::simulated_adapter>(
            888, hardware::socket_virtual_chip(chip));
        adapter->open();
        auto counted = std::make_unique<counting_port>(std::move(adapter));
        port = counted.get();
        hardware::install_port_backend(std::move(counted));
        Module94::port_settings = {};
        Module94::set_lines_idle();
    }

    void fill_image() {
        auto& image = Module1::memory_buffer();
        image::erase_image(image, Module1::selected_model());
        std::mt19937 random(32768);
        for (auto& byte : image.flash_image)
            byte = static_cast<int>(random() % 256);
    }
};

void run_operation(benchmark::State& state, Module1::operation_result (*operation)()) {
    bench_setup setup;
    setup.fill_image();
    if (operation != &Module1::program_all)
        Module1::program_all();
    for (auto _ : state) {
        setup.port->accesses = 0;
        setup.port->waited_ms = 0;
        const auto start = setup.clock.now_us();
        const std::clock_t cpu_start = std::clock();
        const auto result = operation();
        const double cpu_s = static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
        benchmark::DoNotOptimize(result);
        const double simulated_s = static_cast<double>(setup.clock.now_us() - start) / 1e6;
        state.counters["port_accesses"] = static_cast<double>(setup.port->accesses);
        state.counters["waits_s"] = static_cast<double>(setup.port->waited_ms) / 1e3;
        state.counters["real_port_s"] = simulated_s;
        state.counters["cpu_percent_of_real"] = 100.0 * cpu_s / simulated_s;
    }
    hardware::install_port_backend(nullptr);
    core::install_hooks(core::default_hooks());
}

void BM_ProgramAll(benchmark::State& state) { run_operation(state, &Module1::program_all); }
void BM_VerifyAll(benchmark::State& state) { run_operation(state, &Module1::verify_all); }
void BM_ReadAll(benchmark::State& state) { run_operation(state, &Module1::read_all); }

BENCHMARK(BM_ProgramAll)->Unit(benchmark::kMillisecond)->Iterations(3)->MeasureProcessCPUTime();
BENCHMARK(BM_VerifyAll)->Unit(benchmark::kMillisecond)->Iterations(3)->MeasureProcessCPUTime();
BENCHMARK(BM_ReadAll)->Unit(benchmark::kMillisecond)->Iterations(3)->MeasureProcessCPUTime();

} // namespace

BENCHMARK_MAIN();
