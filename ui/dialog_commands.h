// The commands of the main window's Options and Help menus that open the settings
// dialogs: hardware settings, hardware check, port (by number, or from the ports the
// kernel lists), programming time, the adapter's voltages, the port's pacing, pinout, about
// and color themes.
// Each runs modally and stores what the user changes at once.
#pragma once

#include <functional>

namespace ui {

void show_hardware_settings();      // Form99
void show_hardware_check();         // Form98
void choose_adapter_preset();       // the adapter presets, in a dialog
void choose_port();                 // port LPT1..LPT3 prompt
void select_parallel_port();        // the ports the kernel lists, in a dialog
void change_programming_time();     // programming time prompt
void change_adapter_voltages();     // the adapter's VDD then VPP prompts
void set_fast_port_access(bool on); // Options > Fast Port Access, stored and in force at once
void change_port_delay();           // the wait after every port write, prompt
void show_pinout();                 // pinout text
void show_about();                  // about text
// Form34; `repaint_main` repaints the main window after each theme change.
void show_color_themes(const std::function<void()>& repaint_main);

} // namespace ui
