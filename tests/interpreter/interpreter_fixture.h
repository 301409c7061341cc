// Shared set-up for the interpreter tests: a virtual clock, recording host hooks, and the
// simulated adapter at LPT1 with a frame probe in its socket and the default wiring.
#pragma once

#include "../support/frame_probe.h"

#include "core/host_hooks.h"
#include "core/virtual_clock.h"
#include "hardware/port_backend.h"
#include "hardware/port_lines.h"
#include "hardware/simulated_adapter.h"
#include "interpreter/algorithm_run.h"
#include "interpreter/program_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct shown_message {
    std::string text;
    int kind;
    std::string title;
};

class InterpreterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Module1::reset_program_state();
        core::host_hooks hooks;
        clock_.attach(hooks);
        hooks.set_status = [this](const std::string& caption) {
            captions_.push_back(caption);
            if (on_caption_)
                on_caption_(caption);
        };
        hooks.message_box = [this](const std::string& text, int kind, const std::string& title) {
            messages_.push_back({text, kind, title});
            return int{core::result_ok};
        };
        hooks.notify = [this](core::host_event event) {
            if (event == core::host_event::image_changed)
                ++redraws_;
            else
                command_states_.push_back(event == core::host_event::operation_ended);
        };
        hooks.terminate = [this](int code) { terminated_with_ = code; };
        core::install_hooks(hooks);

        auto adapter = std::make_unique<hardware::simulated_adapter>(
            888, std::make_unique<test_support::frame_probe>(probe_));
        adapter_ = adapter.get();
        adapter->open();
        hardware::install_port_backend(std::move(adapter));
        Module94::set_lines_idle();

        auto& model = devices::selected_model().values;
        model.name = "PIC18FTEST";
        model.flash_size = 64;
        model.eeprom_size = 16;
        model.page_size = 8;
        model.voltage_sequence = 1;
        model.program_time_ms = 2;
        model.eecon1_address = devices::default_eecon1_address;
        for (std::size_t k = 0; k < model.config_erased.size(); ++k)
            model.config_erased[k] = static_cast<std::int32_t>(k);
        model.config_mask.fill(255);
        image::erase_image(image::program_image(), model);
    }

    void TearDown() override {
        Module1::reset_program_state();
        core::install_hooks(core::default_hooks());
    }

    // Frames of command `command` only.
    std::vector<test_support::decoded_frame> frames_of(int command) const {
        std::vector<test_support::decoded_frame> found;
        for (const auto& frame : probe_.frames)
            if (frame.command == command)
                found.push_back(frame);
        return found;
    }

    core::virtual_clock clock_;
    test_support::probe_record probe_;
    hardware::simulated_adapter* adapter_ = nullptr;
    std::vector<std::string> captions_;
    std::function<void(const std::string&)> on_caption_;
    std::vector<shown_message> messages_;
    std::vector<bool> command_states_;
    int redraws_ = 0;
    int terminated_with_ = -1;
};
