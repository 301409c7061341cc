// The host hooks: defaults filled in, titles defaulted, the virtual clock.
#include "core/host_hooks.h"
#include "core/virtual_clock.h"

#include <gtest/gtest.h>

namespace {

class HostHooks : public ::testing::Test {
  protected:
    void TearDown() override { core::install_hooks(core::default_hooks()); }
};

TEST_F(HostHooks, EmptyTitleBecomesProgramTitle) {
    std::string seen_title;
    core::host_hooks hooks;
    hooks.message_box = [&](const std::string&, int, const std::string& title) {
        seen_title = title;
        return 6;
    };
    core::install_hooks(hooks);
    EXPECT_EQ(core::mymsgbox("text", core::msg_yes_no, ""), 6);
    EXPECT_EQ(seen_title, "Tarvellic Pinwright");
    core::mymsgbox("text", core::msg_plain, "Other");
    EXPECT_EQ(seen_title, "Other");
}

TEST_F(HostHooks, MissingMembersFallBackToDefaults) {
    core::install_hooks(core::host_hooks{});
    core::host_yield();
    core::set_status("x");
    EXPECT_EQ(core::myinputbox("p", "", "d"), "");
    EXPECT_GE(core::monotonic_us(), 0);
}

TEST_F(HostHooks, VirtualClockAdvancesOnSleepOnly) {
    core::virtual_clock clock;
    core::host_hooks hooks;
    clock.attach(hooks);
    core::install_hooks(hooks);
    EXPECT_EQ(core::monotonic_us(), 0);
    core::sleep_ms(50);
    EXPECT_EQ(core::monotonic_us(), 50000);
    core::hooks().sleep_us(-5);
    EXPECT_EQ(core::monotonic_us(), 50000);
}

} // namespace
