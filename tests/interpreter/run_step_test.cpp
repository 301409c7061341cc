// The interpreter core and its instructions, run through the simulated adapter with a
// frame probe decoding what reaches the chip.
#include "interpreter_fixture.h"

#include "devices/model_select.h"
#include "hardware/serial_transfer.h"

namespace {

using Module1::algorithm_run;

void run_list(const std::string& body) {
    Module1::start_run(devices::make_instruction_list(body));
    algorithm_run.ip = 1;
    while (Module1::run_continues())
        Module1::run_step();
}

using RunStep = InterpreterTest;

TEST_F(RunStep, FlashWordLoopSendsTablePointerAndWords) {
    auto& flash = image::program_image().flash_image;
    flash[0] = 0x12;
    flash[1] = 0x34;
    flash[2] = 0x56;
    run_list("begin,calcflash,setflashloop,movlw-upper,movlw-high,movlw-low,s0d-flash,loop,end");
    // Highest used byte is 2: the loop runs at 0 and 2.
    const auto words = frames_of(0x0D);
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[0].payload, 0x3412);
    EXPECT_EQ(words[1].payload, 0xFF56);
    const auto core_frames = frames_of(0);
    ASSERT_EQ(core_frames.size(), 6u);
    EXPECT_EQ(core_frames[5].payload, 0x0E02);   // movlw-low at address 2
    EXPECT_EQ(algorithm_run.address_counter, 0); // reset when the loop is left
    EXPECT_EQ((std::vector<std::string>{"VDD on", "VPP on", "VDD off", "VPP off"}),
              probe_.supply_events);
    EXPECT_EQ(captions_.front(), "F:1/3");
}

TEST_F(RunStep, BlankImageSkipsTheLoopBody) {
    run_list("calcflash,setflashloop,s0d-flash,loop");
    EXPECT_EQ(algorithm_run.flash_limit, -1);
    EXPECT_TRUE(probe_.frames.empty());
    EXPECT_EQ(algorithm_run.address_counter, 0);
}

TEST_F(RunStep, PageRoundingAndPageBlocks) {
    auto& model = devices::selected_model().values;
    model.page_size = 8;
    image::program_image().flash_image[9] = 0;
    run_list("calcflashpage");
    EXPECT_EQ(algorithm_run.flash_limit, 15);
    image::erase_image(image::program_image(), model);
    run_list("calcflashpage");
    EXPECT_EQ(algorithm_run.flash_limit, 7);

    // ifpage runs its block at 8 but not at 0 or 9.
    for (const auto& [start, runs] :
         std::vector<std::pair<int, bool>>{{0, false}, {8, true}, {9, false}}) {
        probe_.frames.clear();
        Module1::start_run(
            devices::make_instruction_list("begin,ifpage,s00-1111,endifpage,s00-2222,end"));
        algorithm_run.address_counter = start;
        algorithm_run.ip = 1;
        while (Module1::run_continues())
            Module1::run_step();
        ASSERT_EQ(probe_.frames.size(), runs ? 2u : 1u) << start;
        EXPECT_EQ(probe_.frames.back().payload, 0x2222) << start;
    }
}

TEST_F(RunStep, ProgrammingHoldsLastTheirProgrammingTimes) {
    devices::selected_model().values.program_time_ms = 3;
    devices::selected_model().values.config_program_time_ms = 7;
    run_list("begin,startprog,startconfigprog,end");
    ASSERT_EQ(probe_.frames.size(), 2u);
    for (const auto& frame : probe_.frames) {
        EXPECT_EQ(frame.command, 0);
        EXPECT_EQ(frame.payload, 0);
    }
    EXPECT_GE(probe_.frames[0].hold_us, 3000);
    EXPECT_LT(probe_.frames[0].hold_us, 3100);
    EXPECT_GE(probe_.frames[1].hold_us, 7000);
    EXPECT_LT(probe_.frames[1].hold_us, 7100);
}

TEST_F(RunStep, TransfersAndReads) {
    auto& image = image::program_image();
    image.config_image[3] = 0x0F;
    image.eeprom_image[0] = 0xA5;
    probe_.answers = {0x11, 0x22, 0x33, 0x44};
    run_list("begin,s0c-config2h,movlw-eeprom,s00-0e3f,flash=s09,eeprom=s02,config7h=s09,"
             "temp=s08,temp=s,sxx-flash,end");
    ASSERT_GE(probe_.frames.size(), 7u);
    EXPECT_EQ(probe_.frames[0].command, 0x0C);
    EXPECT_EQ(probe_.frames[0].payload, 0x0F0F);
    EXPECT_EQ(probe_.frames[1].payload, 0x0EA5);
    EXPECT_EQ(probe_.frames[2].payload, 0x0E3F);
    EXPECT_EQ(probe_.frames[3].command, 9);
    EXPECT_EQ(image.flash_image[1], 0x11); // address_counter was 1 after movlw-eeprom
    EXPECT_EQ(image.eeprom_image[2], 0x22);
    EXPECT_EQ(image.config_image[13], 0x33);
    EXPECT_EQ(probe_.frames.size(), 7u);         // temp=s and sxx-flash send nothing
    EXPECT_EQ(algorithm_run.temp, 0);            // temp=s without digits stores 0
    EXPECT_EQ(algorithm_run.address_counter, 5); // sxx-flash still moved it by 2
    EXPECT_NE(std::find(captions_.begin(), captions_.end(), "CONF2H:"), captions_.end());
    EXPECT_NE(std::find(captions_.begin(), captions_.end(), "CONF7H:"), captions_.end());
}

TEST_F(RunStep, WaitwrPollsUntilTheWriteBitClears) {
    probe_.answers = {0x02, 0x02, 0x00};
    run_list("begin,waitwr,end");
    EXPECT_EQ(frames_of(2).size(), 3u);
    EXPECT_EQ(algorithm_run.temp, 0);
    EXPECT_EQ(algorithm_run.stop, Module1::run_stop::none);
    const auto polls = frames_of(0);
    ASSERT_EQ(polls.size(), 6u);
    EXPECT_EQ(polls[0].payload, 0x50A6);
    EXPECT_EQ(polls[1].payload, 0x6EF5);

    // The model's EECON1 (xxK80: F7Fh) is read instead; only WR keeps the poll going.
    probe_.frames.clear();
    devices::selected_model().values.eecon1_address = 0xF7F;
    probe_.answers = {0x02, 0xFD};
    run_list("begin,waitwr,end");
    EXPECT_EQ(frames_of(2).size(), 2u);
    EXPECT_EQ(frames_of(0).front().payload, 0x507F);
}

TEST_F(RunStep, WaitDelaysAndTheWaitwrKeyword) {
    auto waited = [this](const char* list) {
        const auto before = clock_.now_us();
        run_list(list);
        return clock_.now_us() - before;
    };
    EXPECT_GE(waited("w25,wx,w-3"), 25000);
    EXPECT_LT(waited("w25,wx,w-3"), 26000);
    // A fast form changes nothing by default; with fast port access "w15/6" waits 6 ms and
    // "w10/poll" polls WR with a NOP before each shift-out instead of waiting.
    EXPECT_EQ(waited("w15/6,w10/poll"), 25000);
    EXPECT_TRUE(probe_.frames.empty());
    Module94::port_pacing.fast = true;
    EXPECT_EQ(waited("w15/6,w7"), 13000);
    probe_.answers = {0x02, 0x00};
    run_list("begin,w10/poll,end");
    EXPECT_EQ(frames_of(2).size(), 2u);
    std::vector<int> polls;
    for (const auto& frame : frames_of(0))
        polls.push_back(frame.payload);
    EXPECT_EQ(polls, (std::vector<int>{0x50A6, 0x6EF5, 0x0000, 0x50A6, 0x6EF5, 0x0000}));
    EXPECT_EQ(devices::decode_instruction("w15/x").op, devices::opcode::unrecognised);
}

TEST_F(RunStep, WordWriteAtTheLastAddressStaysInsideTheImage) {
    auto& model = devices::selected_model().values;
    model.flash_size = 7;
    image::erase_image(image::program_image(), model);
    image::program_image().flash_image[6] = 0x42;
    run_list("begin,calcflash,setflashloop,s0d-flash,loop,flash=s09,end");
    const auto words = frames_of(0x0D);
    ASSERT_EQ(words.size(), 4u);
    EXPECT_EQ(words[3].payload, 0xFF42); // the byte past the end reads as erased
}

TEST_F(RunStep, UnrecognisedInstructionSwitchesSuppliesOffAndEndsTheProgram) {
    run_list("begin,begin ,end");
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text,
              "Unrecognized symbolic instruction 'begin '.\r\nThe program must end.");
    EXPECT_EQ(messages_[0].kind, 16);
    EXPECT_EQ(messages_[0].title, "Tarvellic Pinwright");
    EXPECT_EQ(terminated_with_, 2);
    EXPECT_FALSE(probe_.vdd);
    EXPECT_FALSE(probe_.vpp);
    EXPECT_EQ(algorithm_run.stop, Module1::run_stop::unrecognised);
}

TEST_F(RunStep, FailureReportAndTheTwentyFifthMismatch) {
    Module1::reset_report();
    EXPECT_EQ(algorithm_run.failure_report, "Memory Location,   Read Value,   Expected,\r\n");
    probe_.default_answer = 0x3F;
    run_list("begin,setflashloop,temp=s09,checkblankflash,loop,end");
    EXPECT_EQ(algorithm_run.failure_count, 25);
    EXPECT_NE(algorithm_run.failure_report.find("FLASH Byte 000018h,   3Fh,   FFh,\r\n"),
              std::string::npos);
    EXPECT_EQ(algorithm_run.failure_report.find("FLASH Byte 000019h"), std::string::npos);
    EXPECT_FALSE(probe_.vdd); // the last instruction, "end", still ran

    Module1::reset_report();
    probe_.default_answer = 0x00;
    image::program_image().eeprom_image[5] = 0;
    run_list("begin,seteepromloop,temp=s02,checkeeprom,loop,temp=s09,checkconfig6h,"
             "temp=s09,checkblankconfig1l,end");
    EXPECT_EQ(algorithm_run.failure_count, 16) << algorithm_run.failure_report;
    EXPECT_NE(algorithm_run.failure_report.find("EEPROM Byte 0000h,   00h,   FFh,\r\n"),
              std::string::npos);
    EXPECT_EQ(algorithm_run.failure_report.find("EEPROM Byte 0005h"), std::string::npos);
    EXPECT_NE(algorithm_run.failure_report.find("CONF Byte 30000Bh,   00h,   0Bh,\r\n"),
              std::string::npos);
    // CONFIG1L's erased value is 0 in this model: no mismatch.
    EXPECT_EQ(algorithm_run.failure_report.find("CONF Byte 300000h"), std::string::npos);
}

TEST_F(RunStep, ConfigMaskComparesImplementedBitsOnly) {
    auto& model = devices::selected_model().values;
    model.has_config_mask = true;
    model.config_mask[0] = 0x0F;
    image::program_image().config_image[0] = 0xFF;
    Module1::reset_report();
    probe_.answers = {0x0F, 0x07};
    run_list("begin,temp=s09,checkconfig1l,temp=s09,checkconfig1l,end");
    EXPECT_EQ(algorithm_run.failure_count, 1);
    EXPECT_NE(algorithm_run.failure_report.find("CONF Byte 300000h,   07h,   FFh,"),
              std::string::npos);
}

} // namespace
