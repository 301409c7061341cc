// Port trace: the line format of accesses and waits, pass-through, and trace files.
#include "hardware/port_trace.h"
#include "hardware_test_support.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using hardware_test::recording_port;
using namespace Module94;

class PortTrace : public hardware_test::hardware_fixture {};

TEST_F(PortTrace, OneLinePerAccessAndWait) {
    std::ostringstream log;
    auto inner = std::make_unique<recording_port>(0x3BC);
    inner->open();
    inner->status_value = 0xAB;
    hardware::install_port_backend(std::make_unique<hardware::port_trace>(std::move(inner), log));
    port_settings.port_base = 0x3BC;
    power_up(1);
    program_pulse(3);
    hardware::install_port_backend(nullptr); // before `log` goes
    const std::string text = log.str();
    const std::string head = "W 03BC 04\nW 03BE 00\nR 03BD AB\nS 50\n"
                             "W 03BC 0C\nW 03BE 00\nR 03BD AB\nS 50\n";
    EXPECT_EQ(text.substr(0, head.size()), head);
    EXPECT_NE(text.find("R 03BD AB\nS 3\nW 03BC 0F\n"), std::string::npos) << "programming hold";
    EXPECT_NE(text.find("W 03BC 0F\nW 03BE 00\nR 03BD AB\n", text.size() - 30), std::string::npos)
        << "ends idle";
}

TEST_F(PortTrace, WritesAFileOrSaysWhyNot) {
    const auto path = std::filesystem::temp_directory_path() / "pinwright-trace-test.txt";
    auto traced = hardware::trace_port_to_file(std::make_unique<recording_port>(), path.string());
    ASSERT_TRUE(traced.failure.ok()) << hardware::failure_text(traced.failure);
    hardware::install_port_backend(std::move(traced.backend));
    vdd_on();
    wait_ms(2);
    hardware::install_port_backend(nullptr); // closes the file
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    EXPECT_EQ(text.str(), "W 0378 04\nW 037A 00\nR 0379 00\nS 2\n");
    std::filesystem::remove(path);

    auto inner = std::make_unique<recording_port>();
    hardware::port_backend* raw = inner.get();
    traced = hardware::trace_port_to_file(std::move(inner), "/nonexistent-folder/trace.txt");
    EXPECT_EQ(hardware::failure_text(traced.failure),
              "cannot write the port trace /nonexistent-folder/trace.txt: No such file or "
              "directory");
    EXPECT_EQ(traced.backend.get(), raw) << "the backend comes back untraced";
}

} // namespace
