// Shared set-up of the native tests: a fresh simulated bus for every test, and readers of its
// request log.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "driver/DrvDevTable.h"
#include "sim/InProcessSim.h"
#include "tests/common/SimLogTrace.h"

class SimTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim::ResetBus(&Bus());
        table.Build();
    }
    void TearDown() override { EXPECT_EQ(0, sim::OpenHandleCount()) << "a handle was left open"; }

    static sim::Bus& Bus() { return sim::InProcessBus(); }
    static sim::Unit& Unit(int slot) { return Bus().aUnit[slot]; }
    static void Plug(std::initializer_list<int> slots) {
        for (int slot : slots)
            Unit(slot).bPresent = 1;
    }

    // The control requests of the log, in order.
    static std::vector<const sim::LogEntry*> Requests() {
        std::vector<const sim::LogEntry*> list;
        for (int i = 0; i < Bus().nLog; ++i) {
            if (Bus().aLog[i].nKind == sim::kLogControl)
                list.push_back(&Bus().aLog[i]);
        }
        return list;
    }

    static std::string Trace() { return SimLogTrace(Bus()); }

    static int32_t SentWord(const sim::LogEntry* e, int offset) {
        return sim::GetWord(e->abSent + offset);
    }
    static int32_t AnsweredWord(const sim::LogEntry* e, int offset) {
        return sim::GetWord(e->abAnswered + offset);
    }

    DrvDevTable table;
};
