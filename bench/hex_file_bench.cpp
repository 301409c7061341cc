// Speed of the Intel HEX reader and writer on a file holding 1 MiB of FLASH data, side by
// side with srec_cat converting the same file, and the ratios printed at the end
// ("reader/srec_cat = 0.xx"): the reader should take less time than srec_cat.
#include "image/hex_load.h"
#include "image/hex_reader.h"
#include "image/hex_writer.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>

namespace {

constexpr std::int32_t flash_bytes = 1 << 20;

struct bench_setup {
    devices::model_values model;
    image::memory_buffer buffer;
    std::string folder, hex_path, out_path;
    std::size_t text_size = 0;

    bench_setup() {
        model.name = "BENCH";
        model.flash_size = flash_bytes;
        model.eeprom_size = 1024;
        model.config_erased.fill(0xFF);
        image::erase_image(buffer, model);
        std::mt19937 random(1);
        for (auto& value : buffer.flash_image)
            value = static_cast<std::int32_t>(random() % 255); // never FF: all 1 MiB is written
        for (auto& value : buffer.eeprom_image)
            value = static_cast<std::int32_t>(random() % 256);

        std::string pattern =
            (std::filesystem::temp_directory_path() / "pinwright-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        folder = pattern;
        hex_path = folder + "/input.hex";
        out_path = folder + "/output.hex";
        const auto failure = image::save_hex_file(hex_path, buffer, model);
        if (!failure.ok())
            throw std::runtime_error(image::failure_text(failure));
        text_size = std::filesystem::file_size(hex_path);
    }
    ~bench_setup() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

bench_setup& setup() {
    static bench_setup instance;
    return instance;
}

void set_rates(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * flash_bytes);
    state.counters["hex_text_bytes"] = static_cast<double>(setup().text_size);
}

// Erase and read the file, as the open command does.
void read_hex_file(benchmark::State& state) {
    auto& s = setup();
    image::memory_buffer buffer;
    for (auto _ : state) {
        image::erase_image(buffer, s.model);
        std::int32_t loaded_top = 0;
        if (!image::read_hex_file(s.hex_path, buffer, s.model, loaded_top).accepted() ||
            loaded_top != flash_bytes)
            state.SkipWithError("the file was not read back");
        benchmark::DoNotOptimize(buffer.flash_image.data());
    }
    if (buffer.flash_image != s.buffer.flash_image)
        state.SkipWithError("the image read differs from the one written");
    set_rates(state);
}

// The file text only, in memory.
void write_hex_text(benchmark::State& state) {
    auto& s = setup();
    for (auto _ : state) {
        auto text = image::hex_file_text(s.buffer, s.model);
        benchmark::DoNotOptimize(text.data());
    }
    set_rates(state);
}

// The complete save: text, temporary file, fsync, rename.
void save_hex_file(benchmark::State& state) {
    auto& s = setup();
    for (auto _ : state) {
        if (!image::save_hex_file(s.out_path, s.buffer, s.model).ok())
            state.SkipWithError("save failed");
    }
    set_rates(state);
}

// srec_cat reading the same file and writing it again as Intel HEX.
void srec_cat_convert(benchmark::State& state) {
    auto& s = setup();
    const std::string command =
        "srec_cat " + s.hex_path + " -intel -o " + s.out_path + " -intel > /dev/null 2>&1";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("srec_cat failed (is srecord installed?)");
    }
    set_rates(state);
}

BENCHMARK(read_hex_file)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(write_hex_text)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(save_hex_file)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(srec_cat_convert)->Unit(benchmark::kMillisecond)->UseRealTime();

// Console output as usual, keeping each benchmark's real time for the ratios.
class ratio_reporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    ratio_reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    auto time_of = [&](const char* name) {
        const auto it = reporter.times.find(std::string(name) + "/real_time");
        return it == reporter.times.end() ? 0.0 : it->second;
    };
    // Each ratio is the benchmark's time over srec_cat's: below 1 means faster.
    const double srec = time_of("srec_cat_convert");
    for (const auto& [label, name] :
         {std::pair{"reader", "read_hex_file"}, std::pair{"writer", "write_hex_text"},
          std::pair{"save", "save_hex_file"}}) {
        if (srec > 0 && time_of(name) > 0)
            std::printf("%s/srec_cat = %.2f\n", label, time_of(name) / srec);
    }
    benchmark::Shutdown();
    return 0;
}
