// The adapter diagnosis on a simulated FTDI board whose wiring differs from the program's
// settings: the try that makes the chip answer is named as the FTDI setting to change, and
// the session's driver is back, open, with the settings' wiring.
#include "interpreter_fixture.h"

#include "devices/device_table.h"
#include "devices/model_select.h"
#include "devices/selected_model.h"
#include "hardware/ftdi_board_transport.h"
#include "hardware/ftdi_line_driver.h"
#include "hardware/virtual_chip_socket.h"
#include "interpreter/adapter_diagnosis.h"
#include "sim/virtual_chip.h"

namespace {

using AdapterDiagnosis = InterpreterTest;

TEST_F(AdapterDiagnosis, OnAnFtdiBoardNamesTheBitOrInversionThatMakesTheChipAnswer) {
    devices::device_table& table = devices::device_database();
    ASSERT_TRUE(
        devices::load_device_table(PINWRIGHT_SOURCE_DIR "/data/pinwrightdevices.txt", table).ok());
    int model = 1;
    while (model < table.model_count() &&
           table.models[static_cast<std::size_t>(model)].name != "PIC18F4520")
        ++model;
    ASSERT_TRUE(devices::select_model(table, model, devices::selected_model().values));

    settings::ftdi_wiring datain_on_dtr, datain_inverted, datain_on_ri_inverted;
    datain_on_dtr.data_in.bit = 4;
    datain_inverted.data_in.inverted = true;
    datain_on_ri_inverted.data_in = {7, true};
    const struct {
        settings::ftdi_wiring board;
        const char* says;
        std::vector<Module1::setting_change> fix;
    } rows[] = {
        {{}, "Verdict: the port, the lines and the chip answer as they should.", {}},
        {datain_on_dtr,
         "With \"FTDI DATAIN Bit\" set to 4 (D4 (DTR)) the chip answers as PIC18F4520",
         {{"FTDI DATAIN Bit", 4, "D4 (DTR)"}}},
        {datain_inverted,
         "change \"FTDI Invert DATAIN\" in Hardware > Settings. The chip answers with that change",
         {{"FTDI Invert DATAIN", 1, ""}}},
        {datain_on_ri_inverted,
         "With \"FTDI DATAIN Bit\" set to 7 (D7 (RI)) and \"FTDI Invert DATAIN\" to 1",
         {{"FTDI DATAIN Bit", 7, "D7 (RI)"}, {"FTDI Invert DATAIN", 1, ""}}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.says);
        auto chip = std::make_shared<sim::virtual_chip>(*sim::find_part("18F4520"));
        hardware::install_line_driver(hardware::open_simulated_ftdi_adapter(
            hardware::socket_virtual_chip(chip), {}, {.wiring = r.board}));
        const hardware::line_driver* session = &hardware::current_line_driver();
        const Module1::adapter_diagnosis diagnosis = Module1::diagnose_adapter();
        EXPECT_NE(diagnosis.report().find(r.says), std::string::npos) << diagnosis.report();
        EXPECT_TRUE(diagnosis.fix == r.fix);
        ASSERT_EQ(&hardware::current_line_driver(), session);
        EXPECT_TRUE(session->is_ready());
        EXPECT_EQ(dynamic_cast<const hardware::ftdi_line_driver*>(session)->wiring(),
                  settings::ftdi_wiring{});
        // A try with CLOCK inverted powers the chip with PGC high, which the chip refuses.
        if (r.fix.empty()) {
            EXPECT_TRUE(chip->protocol_errors().empty()) << chip->protocol_errors().front();
        }
    }
    hardware::install_line_driver(nullptr);
}

} // namespace
