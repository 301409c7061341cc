// The five chip operations: captions, elapsed time, reports, and the sound stops (port
// not ready, algorithm that cannot run or holds an unknown instruction, a write that never
// ends, a loop that never ends, cancellation).
#include "interpreter_fixture.h"

#include "../support/queued_driver.h"

#include "devices/model_select.h"
#include "hardware/port_trace.h"
#include "interpreter/chip_operations.h"

#include <deque>
#include <sstream>

namespace {

using Module1::operation_outcome;

class ChipOperations : public InterpreterTest {
  protected:
    void use(devices::instruction_list devices::model_values::*list, const char* body) {
        devices::selected_model().values.*list = devices::make_instruction_list(body);
    }
    bool ends_with(const std::string& text, const std::string& end) {
        return text.size() >= end.size() &&
               text.compare(text.size() - end.size(), end.size(), end) == 0;
    }
};

TEST(ElapsedText, WholeSecondsAndTwoDigitHundredths) {
    EXPECT_EQ(Module1::elapsed_text(50'000), "0.05");
    EXPECT_EQ(Module1::elapsed_text(61'900'000), "61.90");
    EXPECT_EQ(Module1::elapsed_text(3'070'000), "3.07");
    EXPECT_EQ(Module1::elapsed_text(12'500'000), "12.50");
    EXPECT_EQ(Module1::elapsed_text(4'279'999), "4.27");
    EXPECT_EQ(Module1::elapsed_text(-5), "0.00");
}

TEST_F(ChipOperations, BlankCheckWithoutMismatchShowsOnlyTheCaption) {
    use(&devices::model_values::blankcheck_list,
        "begin,setflashloop,temp=s09,checkblankflash,loop,end");
    probe_.default_answer = 0xFF;
    const auto result = Module1::blank_check();
    EXPECT_EQ(result.outcome, operation_outcome::completed);
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(captions_.front(), "Begin blank check.");
    EXPECT_EQ(captions_.back().rfind("Chip is blank. ", 0), 0u) << captions_.back();
    EXPECT_TRUE(ends_with(captions_.back(), " seconds elapsed...")) << captions_.back();
    EXPECT_EQ(command_states_, (std::vector<bool>{false, true}));
    EXPECT_EQ(Module1::algorithm_run.failure_report, Module1::report_header);
    // 64 bytes of reads took virtual time at one microsecond per port access.
    EXPECT_GT(result.elapsed_us, 100'000);
}

TEST_F(ChipOperations, VerifyWithThreeMismatchesReportsThem) {
    use(&devices::model_values::verify_list, "begin,setflashloop,temp=s09,checkflash,loop,end");
    probe_.default_answer = 0xFF;
    probe_.answers = {0xFF, 0x00, 0xFF, 0x01, 0x02};
    const auto result = Module1::verify_all();
    EXPECT_EQ(result.outcome, operation_outcome::differences);
    EXPECT_EQ(captions_.back().rfind("Chip verify failed. ", 0), 0u);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, "Chip verify failed:\r\n\r\n"
                                 "Memory Location,   Read Value,   Expected,\r\n"
                                 "FLASH Byte 000001h,   00h,   FFh,\r\n"
                                 "FLASH Byte 000003h,   01h,   FFh,\r\n"
                                 "FLASH Byte 000004h,   02h,   FFh,\r\n");
    EXPECT_EQ(messages_[0].kind, 16);
    EXPECT_EQ(messages_[0].title, "Tarvellic Pinwright");
}

TEST_F(ChipOperations, ProgramEraseAndReadNeverShowTheReport) {
    probe_.default_answer = 0x00;
    const char* body = "begin,temp=s09,checkblankflash,end";
    use(&devices::model_values::program_list, body);
    use(&devices::model_values::erase_list, body);
    EXPECT_EQ(Module1::program_all().outcome, operation_outcome::completed);
    EXPECT_EQ(captions_.back().rfind("Chip programmed. ", 0), 0u);
    EXPECT_EQ(Module1::erase_all().outcome, operation_outcome::completed);
    EXPECT_EQ(captions_.back().rfind("Chip erased. ", 0), 0u);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(ChipOperations, ReadAllClearsTheImageAndRedraws) {
    auto& model = devices::selected_model().values;
    model.eeprom_size = 0;
    image::program_image().flash_image[3] = 0;
    use(&devices::model_values::read_list, "begin,flash=s09,end");
    probe_.default_answer = 0x5A;
    EXPECT_EQ(Module1::read_all().outcome, operation_outcome::completed);
    const auto& image = image::program_image();
    EXPECT_EQ(image.eeprom_image, std::vector<std::int32_t>{0});
    EXPECT_EQ(image.flash_image[0], 0x5A);
    EXPECT_EQ(image.flash_image[3], 0xFF);
    EXPECT_EQ(image.config_image[5], 5);
    EXPECT_EQ(redraws_, 2);
    EXPECT_EQ(captions_.back().rfind("Chip read. ", 0), 0u);
}

// Reads and comparisons that wait for a queued driver come out exactly as immediate ones:
// the same image, the same report in address order, the same cut at the 25th failure.
TEST_F(ChipOperations, AQueuedDriverGivesTheSameResults) {
    auto& model = devices::selected_model().values;
    use(&devices::model_values::verify_list,
        "begin,setflashloop,temp=s09,checkflash,loop,temp=s09,checkconfig2l,end");
    use(&devices::model_values::read_list,
        "begin,setflashloop,flash=s09,loop,config1h=s09,temp=s09,end");
    struct outcome {
        std::string report;
        std::vector<std::int32_t> flash;
        std::int32_t config1h = 0, temp = 0;
    };
    test_support::queued_driver* queued = nullptr;
    const auto run = [&](std::size_t batch) {
        if (batch != 0) {
            auto driver = std::make_unique<test_support::queued_driver>(
                std::make_unique<hardware::parallel_line_driver>(), batch);
            queued = driver.get();
            hardware::install_line_driver(std::move(driver));
        }
        std::deque<int> answers;
        for (int i = 0; i < model.flash_size + 2; ++i)
            answers.push_back(i % 2 == 0 ? 0xFF : i);
        probe_.answers = answers;
        messages_.clear();
        image::erase_image(image::program_image(), model);
        outcome out;
        Module1::verify_all();
        out.report = messages_.empty() ? "" : messages_.back().text;
        probe_.answers = answers;
        EXPECT_EQ(Module1::read_all().outcome, operation_outcome::completed);
        out.flash = image::program_image().flash_image;
        out.config1h = image::program_image().config_image[1];
        out.temp = Module1::algorithm_run.temp;
        EXPECT_FALSE(Module94::supplies_on());
        if (batch > 1000) {
            EXPECT_LE(queued->flushes, 8) << "reads waited for the power changes";
        }
        hardware::install_line_driver(nullptr);
        return out;
    };
    const outcome immediate = run(0);
    ASSERT_NE(immediate.report.find("FLASH Byte 000031h"), std::string::npos);
    EXPECT_EQ(immediate.report.find("CONF"), std::string::npos) << "cut at the 25th failure";
    for (const std::size_t batch : {std::size_t{7}, std::size_t{100'000}}) {
        const outcome got = run(batch);
        EXPECT_EQ(got.report, immediate.report) << batch;
        EXPECT_EQ(got.flash, immediate.flash) << batch;
        EXPECT_EQ(got.config1h, immediate.config1h) << batch;
        EXPECT_EQ(got.temp, immediate.temp) << batch;
    }
}

TEST_F(ChipOperations, PortThatIsNotReadyDoesNotStart) {
    hardware::port_status why;
    why.code = hardware::port_error::permission_denied;
    why.path = "/dev/parport0";
    hardware::install_port_backend(std::make_unique<hardware::unavailable_port>(why));
    use(&devices::model_values::program_list, "begin,end");
    EXPECT_EQ(Module1::program_all().outcome, operation_outcome::not_started);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].text.find("/dev/parport0"), std::string::npos) << messages_[0].text;
    EXPECT_TRUE(command_states_.empty());
}

TEST_F(ChipOperations, AlgorithmThatCannotRunIsRejectedBeforeAnyLineMoves) {
    struct refused {
        devices::instruction_list devices::model_values::*list;
        Module1::operation_result (*operation)(bool);
        const char* body;
        const char* fault;
    };
    const refused cases[] = {
        {&devices::model_values::erase_list, Module1::erase_all, "begin,setflashloop,s0d-flash,end",
         "Erase All algorithm of PIC18FTEST cannot run: loop head 'setflashloop' has no later "
         "'loop' (instruction 2)"},
        {&devices::model_values::program_list, Module1::program_all, "begin,s00-0e3f,bogus,end",
         "Program All algorithm of PIC18FTEST cannot run: unrecognised instruction 'bogus' "
         "(instruction 3)"},
        // A model without the algorithm has one empty instruction.
        {&devices::model_values::verify_list, Module1::verify_all, "",
         "Verify algorithm of PIC18FTEST cannot run: empty instruction (instruction 1; two "
         "commas in a row, or an empty algorithm)"},
    };
    std::ostringstream trace;
    hardware::install_port_backend(
        std::make_unique<hardware::port_trace>(hardware::install_port_backend(nullptr), trace));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        messages_.clear();
        use(c.list, c.body);
        EXPECT_EQ(c.operation(true).outcome, operation_outcome::not_started);
        ASSERT_EQ(messages_.size(), 1u);
        EXPECT_EQ(messages_[0].text,
                  std::string("The ") + c.fault + ".\r\nCheck the device database.");
    }
    EXPECT_EQ(trace.str(), "");
    EXPECT_TRUE(probe_.supply_events.empty());
    EXPECT_EQ(terminated_with_, -1);
    EXPECT_TRUE(command_states_.empty());
    hardware::install_port_backend(nullptr); // the trace writes to a local stream
}

TEST_F(ChipOperations, WriteThatNeverEndsStopsAndPowersDown) {
    use(&devices::model_values::program_list, "begin,waitwr,s00-1234,end");
    probe_.default_answer = 0x02; // write in progress, for ever
    const auto result = Module1::program_all();
    EXPECT_EQ(result.outcome, operation_outcome::write_timeout);
    EXPECT_FALSE(probe_.vdd);
    EXPECT_FALSE(probe_.vpp);
    EXPECT_GE(result.elapsed_us, Module1::write_wait_limit_us);
    EXPECT_TRUE(frames_of(0).empty() || frames_of(0).back().payload != 0x1234);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].text.find("never finished its write"), std::string::npos);
    EXPECT_EQ(command_states_.back(), true);
}

TEST_F(ChipOperations, LoopThatNeverEndsStopsAndPowersDown) {
    // At address 0 the page block is skipped, so the counter never moves: the algorithm
    // check leaves this to the run, which stops after 64 + 16 + 8 (ID) + 14 (configuration)
    // + 1024 passes.
    use(&devices::model_values::read_list,
        "begin,setflashloop,ifpage,flash=s09,endifpage,loop,end");
    const auto result = Module1::read_all();
    EXPECT_EQ(result.outcome, operation_outcome::runaway_loop);
    EXPECT_EQ(Module1::algorithm_run.loop_passes,
              64 + 16 + 8 + 14 + Module1::runaway_loop_margin + 1);
    EXPECT_FALSE(probe_.vdd);
    EXPECT_FALSE(probe_.vpp);
    EXPECT_NE(probe_.supply_events.front().find(" on"), std::string::npos);
    EXPECT_EQ(result.caption, "Read All stopped: a loop never ended; VDD and VPP are off.");
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text,
              "Read All of PIC18FTEST stopped: the loop that ends at instruction 6 ('loop') of "
              "its algorithm went round 1127 times, more than the model's memory sizes "
              "explain.\r\nVDD and VPP are off. Check the algorithm in the device database "
              "(pinwright-cli check-devices).");
}

TEST_F(ChipOperations, CancelPowersDown) {
    use(&devices::model_values::verify_list, "begin,setflashloop,temp=s09,checkflash,loop,end");
    on_caption_ = [](const std::string& caption) {
        if (caption == "F:10/64")
            Module1::cancel_requested = true;
    };
    EXPECT_EQ(Module1::verify_all().outcome, operation_outcome::cancelled);
    EXPECT_FALSE(probe_.vdd);
    EXPECT_FALSE(probe_.vpp);
    EXPECT_LT(frames_of(9).size(), 12u);
}

// The ID is read right after the first power-up; only the selected model's chip goes on to
// the rest of the algorithm, and every run ends with both supplies off, even one whose
// algorithm never powers down.
TEST_F(ChipOperations, IdentityCheckDecidesAndEveryRunEndsUnpowered) {
    struct row {
        const char* body;
        std::deque<int> id_bytes; // DEVID1, DEVID2; empty: the model has no ID
        bool check;
        operation_outcome outcome;
        std::size_t programmed; // table-write frames that reached the chip
    };
    const row rows[] = {
        {"begin,s0d-flash", {}, true, operation_outcome::completed, 1},
        {"begin,s0d-flash,end", {0x87, 0x10}, true, operation_outcome::completed, 1},
        {"begin,s0d-flash,end", {0xFF, 0xFF}, true, operation_outcome::no_chip, 0},
        {"begin,s0d-flash,end", {0x00, 0x00}, true, operation_outcome::no_chip, 0},
        {"begin,s0d-flash,end", {0x00, 0x0C}, true, operation_outcome::wrong_chip, 0},
        {"begin,s0d-flash,end", {0x00, 0x0C}, false, operation_outcome::completed, 1},
        {"s00-0000,begin,s0d-flash,end", {0x00, 0x0C}, true, operation_outcome::wrong_chip, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.body) + (r.id_bytes.empty() ? "" : " with an ID"));
        probe_.frames.clear();
        probe_.supply_events.clear();
        messages_.clear();
        auto& model = devices::selected_model().values;
        model.device_id.reset();
        if (!r.id_bytes.empty())
            model.device_id = 0x1080;
        model.device_id_mask = 0xFFF0;
        probe_.answers = r.id_bytes;
        use(&devices::model_values::program_list, r.body);
        const auto result = Module1::program_all(r.check);
        EXPECT_EQ(result.outcome, r.outcome);
        EXPECT_EQ(frames_of(0x0D).size(), r.programmed);
        ASSERT_FALSE(probe_.supply_events.empty());
        EXPECT_FALSE(probe_.vdd);
        EXPECT_FALSE(probe_.vpp);
        if (r.outcome == operation_outcome::no_chip) {
            ASSERT_EQ(messages_.size(), 1u);
            EXPECT_NE(messages_[0].text.find("Nothing was written."), std::string::npos);
        } else {
            EXPECT_TRUE(messages_.empty());
        }
        if (r.check && !r.id_bytes.empty() && r.outcome == operation_outcome::completed) {
            ASSERT_TRUE(result.identity);
            EXPECT_EQ(Module1::part_and_revision(model, result.identity->raw), "PIC18FTEST rev 7");
        }
    }
    // Read All keeps the image when it may not read.
    auto& model = devices::selected_model().values;
    model.device_id = 0x1080;
    image::program_image().flash_image[3] = 0;
    use(&devices::model_values::read_list, "begin,flash=s09,end");
    probe_.answers = {0x00, 0x0C};
    EXPECT_EQ(Module1::read_all().outcome, operation_outcome::wrong_chip);
    EXPECT_EQ(image::program_image().flash_image[3], 0);
}

TEST_F(ChipOperations, PortLostDuringARunStopsItAndSaysSo) {
    use(&devices::model_values::program_list, "begin,setflashloop,s0d-flash,loop,end");
    adapter_->lose_port_after(300);
    const auto result = Module1::program_all();
    EXPECT_EQ(result.outcome, operation_outcome::port_failed);
    EXPECT_LT(frames_of(0x0D).size(), 10u);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].text.find("failed while in use"), std::string::npos)
        << messages_[0].text;
    EXPECT_NE(messages_[0].text.find("may be partly written"), std::string::npos);
    EXPECT_EQ(captions_.back().rfind("Program All stopped: ", 0), 0u) << captions_.back();
    EXPECT_FALSE(hardware::port_ready());
}

} // namespace
