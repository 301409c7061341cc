// The parallel-port line driver: the five lines on connector pins chosen by the user, each
// possibly inverted, over the current port backend's registers (ppdev, raw I/O or the
// simulated adapter). It executes every call at once. By default every line change
// rewrites both output registers, reads the status register back and lets the user
// interface run its pending events; with fast port access it writes only the register that
// changed and reads the status register only where DATA IN is sampled.
#pragma once

#include "hardware/line_driver.h"
#include "settings/stored_wiring.h"

#include <array>
#include <cstdint>

namespace hardware {

// Shadow of the port registers.
struct line_image_record {
    std::int32_t data_image = 0;    // bits 0-7: next byte for the data register
    std::int32_t status_image = 0;  // last status register read
    std::int32_t control_image = 0; // bits 0-3: next byte for the control register
    // What the port registers last received; -1 before the first write, which therefore
    // always goes out.
    std::int32_t written_data = -1;
    std::int32_t written_control = -1;
};

// Register-level control of the lines: a wiring, a pacing and the register images, each
// either the program's own (the stored settings) or a copy held by one driver.
class register_lines {
  public:
    register_lines(settings::port_settings_record& wiring, settings::port_pacing_record& pacing,
                   line_image_record& image)
        : wiring_(&wiring), pacing_(&pacing), image_(&image) {}

    const settings::port_settings_record& wiring() const { return *wiring_; }
    const settings::port_pacing_record& pacing() const { return *pacing_; }
    line_image_record& image() const { return *image_; }

    // Electrical level of an output pin in the images (no port access).
    void set_pin(std::int32_t pin, bool high) const;
    // Electrical level (0/1) of an input pin from the status image; 0 for any other pin.
    std::int32_t read_pin(std::int32_t pin) const;
    // Data register, then control register, then a status read, then a yield; with fast
    // port access flush() instead.
    void write_port() const;
    // Only the registers whose images changed (data register first), then a yield.
    void flush() const;
    void read_status() const;

    // The logical levels of the four outputs in the images.
    line_levels levels() const;
    // A line to a logical level in the images only.
    void stage_vdd(bool on) const;
    void stage_vpp(bool on) const;
    void stage_clock(bool high) const;
    void stage_data(bool high) const;
    // Logical level of DATA IN in the status image.
    bool data_in() const;

  private:
    settings::port_settings_record* wiring_;
    settings::port_pacing_record* pacing_;
    line_image_record* image_;
};

class parallel_line_driver final : public line_driver {
  public:
    // Over the program's own wiring, pacing and register images (Module94's records).
    parallel_line_driver();
    // Over copies of its own, for an attempt with another wiring.
    parallel_line_driver(const settings::port_settings_record& wiring,
                         const settings::port_pacing_record& pacing);

    port_status open() override;
    void close() override;
    port_status status() const override;
    std::string description() const override;
    driver_capabilities capabilities() const override;
    void stage(const line_levels& levels) override;
    line_levels staged() const override { return lines_.levels(); }
    sample_ticket sample() override;
    void hold_ms(std::int64_t milliseconds) override;
    void hold_us(std::int64_t microseconds) override;
    void flush() override {}
    bool ready(sample_ticket) const override { return true; }
    bool value(sample_ticket ticket) override;

    const register_lines& lines() const { return lines_; }
    // Images back to 0, then the four outputs to their idle levels in four port writes.
    void drive_idle();

  private:
    settings::port_settings_record own_wiring_;
    settings::port_pacing_record own_pacing_;
    line_image_record own_image_;
    register_lines lines_;
    // The values of the most recent samples, by ticket modulo the size.
    std::array<bool, 4096> values_{};
    sample_ticket next_ticket_ = 1;
};

} // namespace hardware
