// The port backend contract, one typed suite over every backend that can run here: the
// recording backend, the simulated adapter (empty socket and with a chip) and the trace
// decorator. The real backends are covered by their failure reporting.
#include "fake_chip.h"
#include "hardware/port_trace.h"
#include "hardware_test_support.h"

#include <initializer_list>
#include <sstream>

namespace {

using hardware::port_backend;

struct recording_kind {
    std::unique_ptr<port_backend> make(std::int32_t base) {
        return std::make_unique<hardware_test::recording_port>(base);
    }
};
struct simulated_empty_kind {
    std::unique_ptr<port_backend> make(std::int32_t base) {
        return std::make_unique<hardware::simulated_adapter>(base, nullptr);
    }
};
struct simulated_chip_kind {
    hardware_test::fake_chip_state chip;
    std::unique_ptr<port_backend> make(std::int32_t base) {
        return std::make_unique<hardware::simulated_adapter>(
            base, std::make_unique<hardware_test::fake_chip>(chip));
    }
};
template <class Inner> struct traced_kind {
    Inner inner;
    std::ostringstream log;
    std::unique_ptr<port_backend> make(std::int32_t base) {
        return std::make_unique<hardware::port_trace>(inner.make(base), log);
    }
};

template <class Kind> class PortBackendContract : public hardware_test::hardware_fixture {
  protected:
    std::unique_ptr<port_backend> opened(std::int32_t base) {
        auto backend = kind.make(base);
        const hardware::port_status status = backend->open();
        EXPECT_TRUE(status.ok() && backend->is_ready()) << hardware::failure_text(status);
        EXPECT_FALSE(backend->description().empty());
        return backend;
    }
    Kind kind;
};

using backend_kinds = ::testing::Types<recording_kind, simulated_empty_kind, simulated_chip_kind,
                                       traced_kind<simulated_chip_kind>>;
TYPED_TEST_SUITE(PortBackendContract, backend_kinds);

TYPED_TEST(PortBackendContract, OutputRegistersHoldWhatWasWritten) {
    for (const std::int32_t base : {0x378, 0x278, 0x3BC}) {
        auto backend = this->opened(base);
        const auto data = static_cast<std::uint16_t>(base), control = std::uint16_t(base + 2);
        for (int value = 0; value < 256; ++value) {
            backend->out32(data, static_cast<std::uint8_t>(value));
            backend->out32(control, static_cast<std::uint8_t>(value & 0x0F));
            ASSERT_EQ(backend->inp32(data), value) << base;
            ASSERT_EQ(backend->inp32(control) & 0x0F, value & 0x0F) << base;
        }
    }
}

TYPED_TEST(PortBackendContract, OtherAddressesAreNotThePorts) {
    auto backend = this->opened(0x378);
    backend->out32(0x378, 0xA5);
    backend->out32(0x37A, 0x05);
    for (const std::uint16_t foreign :
         std::initializer_list<std::uint16_t>{0x0000, 0x0377, 0x37B, 0x278, 0xFFFF}) {
        backend->out32(foreign, 0x5A);
        EXPECT_EQ(backend->inp32(foreign), 0xFF) << foreign;
    }
    backend->out32(0x379, 0x5A); // the status register cannot be written
    EXPECT_EQ(backend->inp32(0x378), 0xA5);
    EXPECT_EQ(backend->inp32(0x37A) & 0x0F, 0x05);
}

TYPED_TEST(PortBackendContract, LineProceduresDriveItWhenInstalled) {
    auto backend = this->opened(0x378);
    port_backend* raw = backend.get();
    hardware::install_port_backend(std::move(backend));
    EXPECT_TRUE(hardware::port_ready());
    Module94::set_lines_idle();
    Module94::vdd_on();
    EXPECT_EQ(raw->inp32(0x378), 0x07);
    EXPECT_EQ(raw->inp32(0x37A) & 0x0F, 0x00);
    EXPECT_EQ(Module94::line_image.status_image & ~0xFF, 0);
}

} // namespace
