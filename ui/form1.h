// Form1, the main window: the loaded-file line, the five chip operation buttons, the model
// lines, the FLASH and EEPROM tables with their scroll bars, the configuration grid, the
// byte editor and the status line, under the File, Tools, Hardware, Options and Help menus.
//
// The window is split over several files: form1.cpp builds it and holds the frame (theme,
// enable/disable, activation), form1_display.cpp the tables, scrolling and wheel rules,
// form1_editing.cpp the byte editor, form1_commands.cpp the commands, form1_loaded_file.cpp
// what the buffer holds (the loaded file, its reload for another model, the erased-buffer
// question), form1_stop.cpp the Stop button and a close during an operation, and
// form1_load.cpp the load that brings the program to its idle state.
#pragma once

#include "devices/selected_model.h"
#include "interpreter/chip_operations.h"

#include "ui/form1_layout.h"
#include "ui/mouse_wheel.h"

#include <QMainWindow>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

class QAction;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollBar;

namespace ui {

class click_label;
class hex_table_view;
class table_scroll_bar;

// A file dialog as the commands ask for it; the answer is the chosen path, or empty when
// the user cancelled.
struct file_request {
    QString title;
    QString filter; // Qt form: "Intel HEX files (*.hex *.HEX);;All files (*)"
    QString folder; // shown first
};

struct file_dialogs {
    std::function<QString(const file_request&)> open;
    std::function<QString(const file_request&)> save;
};

// The platform's file dialogs, without an owner window.
file_dialogs system_file_dialogs();

class Form1 final : public QMainWindow, public ui::wheel_target {
  public:
    Form1();
    ~Form1() override;

    // The load: theme, window shown, settings, model, image reset, port and its status.
    void Form_Load();

    // Display of the image (memory_tables).
    void updatedisplay();
    void MouseWheel(std::int32_t& key_state, std::int32_t& rotation, std::int32_t& x,
                    std::int32_t& y) override;

    // Frame.
    void enable();
    void disable();
    void settheme();
    bool commands_enabled() const { return commands_enabled_; }
    // A chip operation (or Identify Chip, Diagnose Adapter) begins or has ended to drive
    // the port: the commands are locked and the Stop button shown meanwhile.
    void operation_started();
    void operation_ended();
    bool operation_running() const { return operation_running_; }
    // Stop and Esc: the running operation ends at its next instruction, supplies off.
    void stop_operation();
    // Read All replaced the buffer with the chip's content: no file is loaded any more.
    void image_replaced();
    // The status line: a caption with a long reason after its first clause shows the
    // clause, and the whole caption in the tool tip.
    void show_status(const std::string& caption);

    // Commands.
    void menuclear_Click();
    void menuopen_Click();
    void load_hex_file(const std::string& name); // a file inside last_path
    void menusave_Click();
    void menumodel_Click();
    void Command1_Click(); // Program All
    void Command2_Click(); // Read All
    void Command3_Click(); // Erase All
    void Command4_Click(); // Blank Check
    void Command5_Click(); // Verify
    void menuidentify_Click();

    // Byte editor.
    void tabla_MouseUp(int table, Qt::MouseButton button, QPoint where);
    void label_conf_Click(int index);
    void label_id_Click(int index);
    void unosbox_Enter();
    void unosbox_Escape();

    // Which table the wheel scrolls: 0 none, 1 FLASH, 2 EEPROM.
    std::int32_t wheel_target = 0;
    // The open edit: 1 FLASH, 2 EEPROM, 3 configuration byte, 4 ID location; address,
    // configuration index from 1 or ID index from 0.
    std::int32_t edit_kind = 0;
    std::int32_t edit_address = 0;
    bool edit_pending = false;

    // The file dialogs the commands use (tests put their own here).
    file_dialogs dialogs = system_file_dialogs();

    // Controls, named as in the window's design.
    click_label* Label7;
    click_label* label_hex;
    std::array<QPushButton*, 5> commands{}; // Command1 .. Command5
    QPushButton* stop_button;               // shown only while an operation runs
    click_label* Label1;
    click_label* label_ime;
    click_label* label_info;
    click_label* Label3;
    hex_table_view* tabla_flash;
    table_scroll_bar* scrl1;
    click_label* Label4;
    hex_table_view* tabla_eeprom;
    table_scroll_bar* scrl2;
    // The configuration grid: its title, the bytes' names and their value cells, as many
    // shown as the model has.
    click_label* config_caption;
    std::array<click_label*, devices::largest_config_size> lfix{};
    std::array<click_label*, devices::largest_config_size> label_conf{};
    click_label* id_caption; // "ID locations (200000h)"
    // The ID cells, row by row, from the first ID byte the pager shows.
    std::array<click_label*, form1_layout::id_cells> label_id{};
    QScrollBar* id_pager; // shown when the model has more ID bytes than the cells
    QLineEdit* unosbox;
    click_label* Label5;
    click_label* label_status;

    QMenu* menu1;
    QMenu* menu3;
    QMenu* menu4;
    QMenu* menu5;
    QMenu* menu6;
    QAction* menuclear;
    QAction* menuopen;
    QAction* menusave;
    QAction* menuprogram;
    QAction* menuread;
    QAction* menuerase;
    QAction* menublank;
    QAction* menuverify;
    QAction* menuidentify;
    QAction* menusettings;
    QAction* menucheck;
    QAction* menumodel;
    QAction* menuport;
    QAction* menuselectport;
    QAction* menupreset;
    QAction* menuvoltages;
    QAction* menudiagnose;
    QAction* menuprogtime;
    QAction* menufastport;
    QAction* menuportdelay;
    QAction* menucolors;
    QAction* menuportinfo;
    QAction* menuabout;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void build_controls();
    void build_menus();
    void connect_display();
    void connect_editing();
    // Runs a chip operation; when it found another chip in the socket, offers the ways out.
    void run_chip_operation(Module1::operation_result (*operation)(bool), const char* name);
    // Selects model `number` as the model dialog does: stored, the socket follows, and the
    // loaded file is reloaded for it (or the buffer cleared when none is loaded).
    void select_detected_model(int number);
    // Runs at the end of every command that may drive the port: closes the window when the
    // user asked for that during the operation.
    void finish_command();

    // What the buffer holds (form1_loaded_file.cpp).
    // The file now in the buffer (empty: none), unedited since it was loaded.
    void note_loaded_file(const std::string& path);
    // Loads the loaded file again for the selected model and says so in the status line;
    // clears the buffer when none is loaded.
    void reload_for_selected_model();
    // What a model change does to the buffer, for the questions that offer one.
    std::string buffer_after_model_change() const;
    // After the model dialog selected another model over an edited buffer: true when the
    // user agrees to lose the edits (the file is reloaded); otherwise the previous model
    // is selected again.
    bool edits_may_be_replaced(const devices::model_selection& previous);
    // Before Program All writes a buffer of only erased values: true when the user says so.
    bool erased_buffer_may_be_programmed();
    // The voltage check before a command powers the chip: a refusal in the error box, a
    // warning with OK, or the question for a part the voltages would take above its
    // programming range or (assumed) above its limit, asked once per model selection. True
    // when the command may go on.
    bool voltages_allow_powering();
    // The same before Identify Chip powers a chip nobody has named: with a voltage only
    // assumed, asked once (for the same voltages) when some model would be taken above its
    // limit.
    bool voltages_allow_unnamed_chip();

    // Focus and pointer rules of the tables.
    void scrl_GotFocus(int table);
    void tabla_GotFocus(int table);
    void tabla_MouseMove(int table);
    void show_pending_edit();
    void unosbox_LostFocus();
    void close_scrolled_edit(std::int32_t kind);
    // The model lines' tool tip, with the part's voltage ranges (when the database gives
    // them) on a line of its own.
    void show_model_tip(const std::string& ranges);
    // The loaded-file line: the shortened path, and the whole path in the tool tip.
    void show_hex_path(const std::string& path);
    void focus_edit_bar();
    // Opens the edit box over `cell` for edit `kind` at `address`.
    void open_box_over(QWidget* cell, std::int32_t kind, std::int32_t address);
    // Stores `value` at what edit `kind` and `address` name, redraws, and parts the image
    // from the loaded file.
    void store_edit(std::int32_t kind, std::int32_t address, std::int32_t value);
    // The configuration grid and the ID rows placed for the selected model's sizes, the
    // window grown to hold them (form1_grid.cpp).
    void arrange_grid();
    // The grid's names, values and tips from the image and the model.
    void show_config_grid();
    // The ID rows and their title from the image and the model's layout.
    void show_id_locations();
    // The ID byte shown in the first ID cell.
    int first_id_shown() const;

    bool commands_enabled_ = true;
    // The loaded file's whole path while the buffer holds it (empty: none), and whether a
    // byte or configuration value was edited since.
    std::string loaded_file_;
    bool image_edited_ = false;
    bool operation_running_ = false;
    std::string running_command_;        // for the question when the window is closed
    bool close_after_operation_ = false; // the user answered Yes to that question
    // The user said Yes to powering the selected model with voltages above its programming
    // range or assumed above its limit; forgotten when a model is selected.
    bool voltages_confirmed_ = false;
    // The question about powering a chip nobody has named that the user said Yes to.
    std::string unnamed_chip_confirmed_;
    QWidget* background_;
    form1_layout::grid_shape shape_; // as the grid is now placed
    bool grid_placed_ = false;
};

} // namespace ui
