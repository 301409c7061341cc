// The main window's controls, menus, theme, command locking and activation.
#include "ui/form1.h"
#include "ui/socket_identity.h"

#include "core/host_hooks.h"
#include "devices/model_select.h"
#include "ui/color_theme.h"
#include "ui/dialog_commands.h"
#include "ui/form1_layout.h"
#include "ui/port_session.h"
#include "ui/table_widgets.h"
#include "ui/theme_paint.h"
#include "ui/window_icon.h"
#include "ui/window_scale.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QKeySequence>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>

namespace ui {

namespace L = form1_layout;

namespace {

const QString open_hex_tip = QStringLiteral("Click to open HEX file!");
const QString model_tip = QStringLiteral("Click to change microcontroller model!");
const QString table_tip = QStringLiteral("Right click on the location to edit its value!");

} // namespace

file_dialogs system_file_dialogs() {
    file_dialogs dialogs;
    dialogs.open = [](const file_request& request) {
        return QFileDialog::getOpenFileName(nullptr, request.title, request.folder, request.filter);
    };
    // The command asks before replacing a file itself.
    dialogs.save = [](const file_request& request) {
        return QFileDialog::getSaveFileName(nullptr, request.title, request.folder, request.filter,
                                            nullptr, QFileDialog::DontConfirmOverwrite);
    };
    return dialogs;
}

Form1::Form1() {
    setWindowTitle(QString::fromLatin1(core::app_title));
    setWindowIcon(program_icon());
    setFont(window_font());
    build_controls();
    build_menus();
    connect_display();
    connect_editing();
}

Form1::~Form1() {
    removewheel();
}

void Form1::build_controls() {
    const twips_scale& scale = window_scale();
    background_ = new QWidget(this);
    background_->setFixedSize(scale.length(L::client_width), scale.length(L::client_height));
    background_->installEventFilter(this);
    setCentralWidget(background_);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    auto place = [&](QWidget* widget, const L::place& at) {
        scale.place(widget, at.left, at.top, at.width, at.height);
    };
    auto label = [&](const L::place& at, const QString& caption, bool field) {
        auto* made = new click_label(background_);
        place(made, at);
        made->setText(caption);
        made->setIndent(3);
        made->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        if (field)
            made->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        return made;
    };
    auto caption_of = [](const L::captioned& control) {
        return QString::fromLatin1(control.caption);
    };

    Label7 = label(L::Label7.at, caption_of(L::Label7), false);
    Label7->set_fixed_tip(open_hex_tip);
    label_hex = label(L::label_hex, QString(), true);
    label_hex->set_fixed_tip(open_hex_tip);
    label_hex->set_elide_mode(Qt::ElideLeft);

    const L::captioned* buttons[] = {&L::Command1, &L::Command2, &L::Command3, &L::Command4,
                                     &L::Command5};
    for (std::size_t k = 0; k < commands.size(); ++k) {
        commands[k] = new QPushButton(caption_of(*buttons[k]), background_);
        place(commands[k], buttons[k]->at);
        commands[k]->setAutoDefault(false);
    }
    stop_button = new QPushButton(caption_of(L::stop_button), background_);
    place(stop_button, L::stop_button.at);
    stop_button->setAutoDefault(false);
    stop_button->setToolTip(QStringLiteral("Stop the operation (Esc): VDD and VPP are switched "
                                           "off at its next step."));
    stop_button->setShortcut(QKeySequence(Qt::Key_Escape));
    stop_button->hide();

    Label1 = label(L::Label1.at, caption_of(L::Label1), false);
    label_ime = label(L::label_ime, QString(), false);
    label_info = label(L::label_info, QString(), false);
    for (click_label* model_label : {Label1, label_ime, label_info})
        model_label->set_fixed_tip(model_tip);

    Label3 = label(L::Label3.at, caption_of(L::Label3), false);
    tabla_flash = new hex_table_view(background_);
    place(tabla_flash, L::tabla_flash);
    scrl1 = new table_scroll_bar(background_);
    place(scrl1, L::scrl1);

    Label4 = label(L::Label4.at, caption_of(L::Label4), false);
    tabla_eeprom = new hex_table_view(background_);
    place(tabla_eeprom, L::tabla_eeprom);
    scrl2 = new table_scroll_bar(background_);
    place(scrl2, L::scrl2);
    for (hex_table_view* table : {tabla_flash, tabla_eeprom})
        table->setToolTip(table_tip);

    // Configuration grid: the title over the headings lfix and the value cells label_conf;
    // arrange_grid places them for the model.
    const QFont fixed = table_font();
    config_caption = label(L::lfix14.at, caption_of(L::lfix14), false);
    auto value_cell = [&] {
        click_label* cell = label({0, 0, 0, 0}, QString(), true);
        cell->setAlignment(Qt::AlignCenter);
        cell->setIndent(0);
        cell->setFont(fixed);
        return cell;
    };
    for (std::size_t k = 0; k < lfix.size(); ++k) {
        lfix[k] = label({0, 0, 0, 0}, QString(), false);
        lfix[k]->setAlignment(Qt::AlignCenter);
        label_conf[k] = value_cell();
        label_conf[k]->set_fixed_tip(QStringLiteral("Click to edit!"));
    }

    // ID locations: the title (its address follows the model) and its pager over the rows
    // of cells, edited like a configuration byte.
    id_caption = label(L::id_caption.at, caption_of(L::id_caption), false);
    for (click_label*& cell : label_id)
        cell = value_cell();
    id_pager = new QScrollBar(Qt::Horizontal, background_);
    id_pager->setFocusPolicy(Qt::NoFocus);
    id_pager->hide();

    // The byte editor: one box, moved over the byte being edited. It is a little taller
    // than a table line and is centred on it.
    unosbox = new QLineEdit(background_);
    unosbox->setFont(fixed);
    unosbox->setFrame(false);
    unosbox->setAlignment(Qt::AlignCenter);
    QPalette box_colors = unosbox->palette();
    box_colors.setColor(QPalette::Base, QColor(0xFF, 0xFF, 0xC8));
    box_colors.setColor(QPalette::Text, Qt::black);
    unosbox->setPalette(box_colors);
    const QRect box =
        scale.rect(L::unosbox.left, L::unosbox.top, L::unosbox.width, L::unosbox.height);
    unosbox->setGeometry(box.x(), box.y(), box.width(),
                         std::max(box.height(), QFontMetrics(fixed).height() + 2));
    unosbox->hide();

    Label5 = label(L::Label5.at, caption_of(L::Label5), false);
    label_status = label(L::label_status, QString(), true);
    arrange_grid();
}

void Form1::build_menus() {
    QMenuBar* bar = menuBar();
    menu1 = bar->addMenu(QStringLiteral("&File"));
    menuclear = menu1->addAction(QStringLiteral("&Clear Buffer"));
    menuopen = menu1->addAction(QStringLiteral("&Open HEX File"));
    menusave = menu1->addAction(QStringLiteral("&Save Buffer As"));
    menu3 = bar->addMenu(QStringLiteral("&Tools"));
    menuprogram = menu3->addAction(QStringLiteral("&Program All"));
    menuread = menu3->addAction(QStringLiteral("&Read All"));
    menuerase = menu3->addAction(QStringLiteral("&Erase All"));
    menublank = menu3->addAction(QStringLiteral("&Blank Check"));
    menuverify = menu3->addAction(QStringLiteral("&Verify"));
    menuidentify = menu3->addAction(QStringLiteral("Identify Chip"));
    menu4 = bar->addMenu(QStringLiteral("&Hardware"));
    menusettings = menu4->addAction(QStringLiteral("Settings"));
    menucheck = menu4->addAction(QStringLiteral("Check"));
    menuselectport = menu4->addAction(QStringLiteral("Select Parallel Port..."));
    menupreset = menu4->addAction(QStringLiteral("Adapter Preset..."));
    menuvoltages = menu4->addAction(QStringLiteral("Adapter Voltages..."));
    menudiagnose = menu4->addAction(QStringLiteral("Diagnose Adapter"));
    menu5 = bar->addMenu(QStringLiteral("&Options"));
    menumodel = menu5->addAction(QStringLiteral("Change Microcontroller Model"));
    menuport = menu5->addAction(QStringLiteral("Change Parallel Port Number"));
    menuprogtime = menu5->addAction(QStringLiteral("Change Default Programming Time"));
    menucolors = menu5->addAction(QStringLiteral("Change Color Theme"));
    menufastport = menu5->addAction(QStringLiteral("Fast Port Access"));
    menufastport->setCheckable(true);
    menuportdelay = menu5->addAction(QStringLiteral("Port Delay..."));
    menu6 = bar->addMenu(QStringLiteral("Help"));
    menuportinfo = menu6->addAction(QStringLiteral("Parallel Port Pinout"));
    menuabout = menu6->addAction(QStringLiteral("About Tarvellic Pinwright"));

    connect(stop_button, &QPushButton::clicked, this, [this] { stop_operation(); });
    connect(menuclear, &QAction::triggered, this, [this] { menuclear_Click(); });
    connect(menuopen, &QAction::triggered, this, [this] { menuopen_Click(); });
    connect(menusave, &QAction::triggered, this, [this] { menusave_Click(); });
    connect(menuprogram, &QAction::triggered, this, [this] { Command1_Click(); });
    connect(menuread, &QAction::triggered, this, [this] { Command2_Click(); });
    connect(menuerase, &QAction::triggered, this, [this] { Command3_Click(); });
    connect(menublank, &QAction::triggered, this, [this] { Command4_Click(); });
    connect(menuverify, &QAction::triggered, this, [this] { Command5_Click(); });
    connect(menuidentify, &QAction::triggered, this, [this] { menuidentify_Click(); });
    connect(menusettings, &QAction::triggered, this, [] { show_hardware_settings(); });
    connect(menucheck, &QAction::triggered, this, [] { show_hardware_check(); });
    connect(menumodel, &QAction::triggered, this, [this] { menumodel_Click(); });
    connect(menuport, &QAction::triggered, this, [] { choose_port(); });
    connect(menuselectport, &QAction::triggered, this, [] { select_parallel_port(); });
    connect(menupreset, &QAction::triggered, this, [] { choose_adapter_preset(); });
    connect(menuvoltages, &QAction::triggered, this, [] { change_adapter_voltages(); });
    connect(menudiagnose, &QAction::triggered, this, [this] {
        if (!commands_enabled_ || !voltages_allow_powering())
            return;
        running_command_ = "Diagnose Adapter";
        show_adapter_diagnosis();
        finish_command();
    });
    connect(menuprogtime, &QAction::triggered, this, [] { change_programming_time(); });
    connect(menufastport, &QAction::toggled, this, [](bool on) { set_fast_port_access(on); });
    connect(menuportdelay, &QAction::triggered, this, [] { change_port_delay(); });
    connect(menucolors, &QAction::triggered, this,
            [this] { show_color_themes([this] { settheme(); }); });
    connect(menuportinfo, &QAction::triggered, this, [] { show_pinout(); });
    connect(menuabout, &QAction::triggered, this, [] { show_about(); });

    const std::array<void (Form1::*)(), 5> handlers{&Form1::Command1_Click, &Form1::Command2_Click,
                                                    &Form1::Command3_Click, &Form1::Command4_Click,
                                                    &Form1::Command5_Click};
    for (std::size_t k = 0; k < commands.size(); ++k)
        connect(commands[k], &QPushButton::clicked, this,
                [this, handler = handlers[k]] { (this->*handler)(); });

    Label7->on_click = [this] { menuopen_Click(); };
    label_hex->on_click = [this] { menuopen_Click(); };
    for (click_label* model_label : {Label1, label_ime, label_info})
        model_label->on_click = [this] { menumodel_Click(); };
}

void Form1::show_model_tip(const std::string& ranges) {
    const QString tip =
        ranges.empty() ? model_tip : model_tip + QLatin1Char('\n') + QString::fromStdString(ranges);
    for (click_label* model_label : {Label1, label_ime, label_info})
        model_label->set_fixed_tip(tip);
}

void Form1::show_status(const std::string& caption) {
    label_status->set_shortened(QString::fromStdString(status_clause(caption)),
                                QString::fromStdString(caption));
}

void Form1::settheme() {
    using theme_paint::set_background;
    using theme_paint::set_text_color;
    auto paint = [](QWidget* widget, std::uint32_t background, std::uint32_t text) {
        set_background(widget, background);
        set_text_color(widget, text);
    };
    set_background(this, color_window);
    set_background(background_, color_window);
    // The menu bar keeps the system's colours, as its menus do: its captions would not
    // stand out on every theme's window colour.
    const QPalette system = QApplication::palette(menuBar());
    QPalette bar_colors;
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        for (int k = 0; k < QPalette::NColorRoles; ++k)
            if (const auto role = static_cast<QPalette::ColorRole>(k); role != QPalette::NoRole)
                bar_colors.setColor(group, role, system.color(group, role));
    menuBar()->setPalette(bar_colors);
    paint(label_ime, color_model, color_model_text);
    paint(label_info, color_info, color_info_text);
    paint(Label3, color_memory_title, color_memory_title_text);
    paint(Label4, color_memory_title, color_memory_title_text);
    paint(Label1, color_heading, color_heading_text);
    paint(Label5, color_model, color_model_text);
    paint(Label7, color_panel, color_panel_text);
    for (click_label* heading : lfix)
        paint(heading, color_selected, color_selected_text);
    paint(config_caption, color_selected, color_selected_text);
    paint(id_caption, color_selected, color_selected_text);
    paint(label_hex, color_field, color_field_text);
    paint(label_status, color_field, color_field_text);
    for (click_label* cell : label_conf)
        paint(cell, color_field, color_field_text);
    for (click_label* cell : label_id)
        paint(cell, color_field, color_field_text);
}

namespace {

// Locked commands do not invite clicks: the labels and tables keep their tool tips back.
void set_commands(Form1& window, bool enabled) {
    for (QMenu* menu : {window.menu1, window.menu3, window.menu4, window.menu5, window.menu6})
        menu->menuAction()->setEnabled(enabled);
    for (QPushButton* button : window.commands)
        button->setEnabled(enabled);
    for (click_label* label : window.findChildren<click_label*>())
        label->set_locked(!enabled);
    for (hex_table_view* table : {window.tabla_flash, window.tabla_eeprom})
        table->setToolTip(enabled ? table_tip : QString());
}

} // namespace

void Form1::disable() {
    commands_enabled_ = false;
    set_commands(*this, false);
    core::host_yield();
}

void Form1::enable() {
    commands_enabled_ = true;
    set_commands(*this, true);
    core::host_yield();
}

// The wheel reaches the tables only while this window is the active one.
void Form1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            installwheel(this, this);
        else
            removewheel();
    }
    QMainWindow::changeEvent(event);
}

} // namespace ui
