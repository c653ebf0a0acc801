// Shared set-up of the native tests: a fresh simulated bus for every test, and readers of its
// request log.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "driver/DrvDevTable.h"
#include "sim/InProcessSim.h"

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

    // The log as one readable line: "o1 o1 c1:2221E8" = open slot 1 (ok), open slot 1,
    // request to slot 1 with that code; a failed open or request is marked with '!'.
    static std::string Trace() {
        std::string text;
        char item[32];
        for (int i = 0; i < Bus().nLog; ++i) {
            const sim::LogEntry& e = Bus().aLog[i];
            if (e.nKind == sim::kLogOpen) {
                std::snprintf(item, sizeof item, "%so%d", e.bOk ? "" : "!", e.nSlot);
            } else {
                std::snprintf(item, sizeof item, "%sc%d:%X", e.bOk ? "" : "!", e.nSlot, e.nCode);
            }
            if (!text.empty())
                text += ' ';
            text += item;
        }
        return text;
    }

    static int32_t SentWord(const sim::LogEntry* e, int offset) {
        return sim::GetWord(e->abSent + offset);
    }
    static int32_t AnsweredWord(const sim::LogEntry* e, int offset) {
        return sim::GetWord(e->abAnswered + offset);
    }

    DrvDevTable table;
};
