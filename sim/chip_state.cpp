// The shared state of the virtual chip: its power-on contents, the timing limits of its
// part, the protocol-error log every module reports to, and the
// P10 waits both the serial engine and the bulk erase end.
#include "sim/chip_state.h"

#include "sim/memory_model.h"

#include <algorithm>
#include <cstdio>

namespace sim::detail {

namespace {

constexpr std::size_t max_errors = 1000;

std::string format_ms(std::int64_t us) {
    char text[48];
    std::snprintf(text, sizeof text, "%lld.%03lld ms", static_cast<long long>(us / 1000),
                  static_cast<long long>(us % 1000));
    return text;
}

} // namespace

timing_limits limits_for(const part_info& part) {
    const family_profile& f = profile_of(part.family);
    timing_limits limits{f.p9_us,
                         f.p9_config_us,
                         f.p10_us,
                         f.p11_us,
                         part.flash_bytes >= 32768 ? f.p11_erase_32k_us : f.p11_erase_us,
                         f.p12_us,
                         f.write_start_clock};
    limits.p5_ns = f.p5_ns;
    limits.p5a_ns = f.p5a_ns;
    return limits;
}

chip_state::chip_state(const part_info& p)
    : part(p), profile(profile_of(p.family)), limits(limits_for(p)), regs(profile.registers),
      flash(static_cast<std::size_t>(std::max<std::int32_t>(p.flash_bytes, 0)), 0xFF),
      eeprom(static_cast<std::size_t>(std::max<std::int32_t>(p.eeprom_bytes, 0)), 0xFF),
      id(static_cast<std::size_t>(std::max<std::int32_t>(p.id_bytes, 0)), 0xFF) {
    for (std::size_t i = 0; i < config.size(); ++i)
        config[i] = part.config_erased[i] & part.config_mask[i];
    reset_write_latches(*this);
}

std::string hex_text(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(value));
    return std::string(text) + "h";
}

void report(chip_state& s, const std::string& text) {
    if (s.errors.size() < max_errors) {
        s.errors.push_back(text + " at " + format_ms(s.now_us));
    } else if (s.errors.size() == max_errors) {
        s.errors.push_back("further protocol errors not recorded");
    }
}

std::optional<std::int64_t> end_p10_wait(const chip_state& s,
                                         std::optional<std::int64_t>& low_until) {
    std::optional<std::int64_t> early;
    if (low_until && s.now_us < *low_until)
        early = s.now_us - (*low_until - s.limits.p10);
    low_until.reset();
    return early;
}

} // namespace sim::detail
