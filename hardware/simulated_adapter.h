// A simulated programming adapter on a simulated parallel port. The port's three
// registers are modelled as on real hardware (hardware-inverted control bits 0, 1, 3 and
// status bit 7; unconnected inputs read high), and the adapter's wiring from connector
// pins to the chip's VDD, VPP, PGC and PGD, with a buffer per line that may invert, is
// data. A wrong pin or inversion in the program's settings therefore makes the chip stay
// silent exactly as it would on a bench.
//
// The chip's PGD input is the DATA OUT line. DATA IN sees PGD: the chip's output while it
// drives, otherwise the DATA OUT level through the adapter's series resistor.
//
// Every register access costs host time (1 microsecond unless changed, in nanoseconds so
// that faster ports can be modelled), spent through the host hooks' sleep, so on a virtual
// clock the chip sees realistic timing and a run's virtual duration estimates a real port.
// The chip gets nanosecond timestamps; while accesses cost time it is told that they come
// from a modelled clock, fine enough for its rules on single clock edges.
#pragma once

#include "hardware/port_backend.h"
#include "settings/stored_wiring.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace hardware {

// One adapter line: the connector pin it is soldered to and whether its buffer inverts.
struct adapter_line {
    std::int32_t pin = 0;
    bool inverted = false;
};

// The adapter's wiring; by default as the program's default settings wire it.
struct adapter_wiring {
    static constexpr settings::port_settings_record defaults{};
    adapter_line vdd{defaults.pin_vdd, defaults.invert_vdd != 0};
    adapter_line vpp{defaults.pin_vpp, defaults.invert_vpp != 0};
    adapter_line clock{defaults.pin_clock, defaults.invert_clock != 0};
    adapter_line dataout{defaults.pin_dataout, defaults.invert_dataout != 0};
    adapter_line datain{defaults.pin_datain, defaults.invert_datain != 0};
};

// What sits in the adapter's socket, seen at its programming pins (true = high).
// What a simulated adapter's VDD and VPP lines carry while on, in volts: the adapter's
// stated voltages, or a classic adapter's 5 V and 13 V. The front ends set it from the
// voltages they judged before powering a chip; every simulated socket tells its chip.
struct supply_volts {
    double vdd = 5.0, vpp = 13.0;
    bool operator==(const supply_volts&) const = default;
};
void set_simulated_supply(const supply_volts& volts);
supply_volts simulated_supply();

class target_chip {
  public:
    virtual ~target_chip() = default;
    // The voltages VDD and VPP take when high; told before the levels whenever they change.
    virtual void set_supply_volts(const supply_volts& /*volts*/) {}
    // Called whenever one of the levels changes; `now_ns` (nanoseconds) never decreases.
    virtual void set_pins(bool vdd, bool vpp, bool pgc, bool pgd, std::int64_t now_ns) = 0;
    // The level the chip drives on PGD, or nullopt while it does not drive.
    virtual std::optional<bool> pgd_output(std::int64_t now_ns) const = 0;
    // Whether the timestamps come from a modelled clock, so that the time between two
    // edges is meaningful below a microsecond (on the host's own clock several accesses
    // share one microsecond). A chip without such rules ignores it.
    virtual void set_edge_timing(bool /*modelled*/) {}
    // For status texts ("PIC18F4520").
    virtual std::string name() const = 0;
};

// Levels at a chip's programming pins as an adapter drives them.
struct socket_levels {
    bool vdd = false, vpp = false, pgc = false, pgd = false;
    bool operator==(const socket_levels&) const = default;
};

// Tells a chip its pin levels only when they differ from what it was last told, as a chip
// sees edges, not register writes.
class socket_notice {
  public:
    void tell(target_chip* chip, const socket_levels& levels, std::int64_t now_ns) {
        if (!chip || (told_ && *told_ == levels))
            return;
        if (const supply_volts volts = simulated_supply(); !told_volts_ || *told_volts_ != volts) {
            chip->set_supply_volts(volts);
            told_volts_ = volts;
        }
        chip->set_pins(levels.vdd, levels.vpp, levels.pgc, levels.pgd, now_ns);
        told_ = levels;
    }
    // A new chip in the socket has been told nothing yet.
    void forget() {
        told_.reset();
        told_volts_.reset();
    }
    // Whether the chip has been told any levels since it was put in the socket.
    bool has_told() const { return told_.has_value(); }

  private:
    std::optional<socket_levels> told_;
    std::optional<supply_volts> told_volts_;
};

class simulated_adapter final : public port_backend {
  public:
    // A null chip is an empty socket.
    simulated_adapter(std::int32_t base, std::unique_ptr<target_chip> chip,
                      adapter_wiring wiring = {});

    port_status open() override;
    port_status status() const override { return status_; }
    std::string description() const override;
    void out32(std::uint16_t address, std::uint8_t value) override;
    std::uint8_t inp32(std::uint16_t address) override;

    const adapter_wiring& wiring() const { return wiring_; }
    void set_wiring(const adapter_wiring& wiring);
    // Host time charged per register access, in nanoseconds (0 charges nothing). Parts of
    // a microsecond add up from access to access.
    void set_access_cost_ns(std::int64_t nanoseconds);
    std::int64_t access_cost_ns() const { return access_cost_ns_; }
    // The same in whole microseconds.
    void set_access_cost_us(std::int64_t microseconds) { set_access_cost_ns(microseconds * 1000); }
    std::int64_t access_cost_us() const { return access_cost_ns_ / 1000; }
    // A fault for tests and demonstrations: the port fails, as an unplugged USB adapter
    // would, after `accesses` more register accesses; every access after that fails too.
    void lose_port_after(std::int64_t accesses) { accesses_left_ = accesses; }
    // Replaces the chip in the socket (null empties it).
    void insert_chip(std::unique_ptr<target_chip> chip);
    target_chip* chip() const { return chip_.get(); }

    // Levels at the chip's pins as the adapter drives them.
    using chip_levels = socket_levels;
    chip_levels levels() const;
    // Electrical level of a connector pin (1-25; ground pins and others read low).
    bool connector_level(std::int32_t pin) const;

  private:
    // Where a chip line's level comes from: the register bit behind its connector pin, and
    // whether the port and the line's buffer invert it an odd number of times. A line on no
    // output pin has neither mask and is held low.
    struct line_source {
        std::uint8_t data_mask = 0;
        std::uint8_t control_mask = 0;
        bool flip = false;
    };
    static line_source source_of(const adapter_line& line);
    bool level_of(const line_source& source) const {
        return ((data_register_ & source.data_mask) != 0 ||
                (control_register_ & source.control_mask) != 0) != source.flip;
    }
    // Works the line sources and the status register's fixed bits out of the wiring, so that a
    // register access looks nothing up.
    void follow_wiring();

    // Charges the access's time; false when the port is (now) lost.
    bool take_access();
    // The current access's time: the host clock plus the part of a microsecond charged but
    // not yet slept. Never decreases.
    std::int64_t now_ns() const;
    void tell_edge_timing();
    bool pgd_line_level() const;
    void update_chip();

    std::int32_t base_;
    std::unique_ptr<target_chip> chip_;
    adapter_wiring wiring_;
    std::int64_t access_cost_ns_ = 1000;
    std::int64_t pending_ns_ = 0;               // charged, not yet slept: 0..999
    std::optional<std::int64_t> accesses_left_; // until the port is lost
    std::uint8_t data_register_ = 0;
    std::uint8_t control_register_ = 0; // as written: bits 0-5
    socket_notice notice_;
    port_status status_;
    // From the wiring (follow_wiring).
    line_source vdd_, vpp_, clock_, dataout_;
    std::uint8_t status_fixed_ = 0; // bits that read the same whatever the chip does
    std::uint8_t datain_mask_ = 0;  // the status bit DATA IN reaches; 0 on no input pin
    bool datain_flip_ = false;      // that bit reads the complement of PGD
};

} // namespace hardware
