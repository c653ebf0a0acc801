// The driver link against a driver that answers anything: the table walks run on the real
// DrvDevTable with the fuzzer's input as the driver (FuzzPort.h), and each walk is replayed
// against the recorded calls in the order the operation must make them, request by request. The
// answers then go where the settings dialog takes them: the level model and the formatted texts.
//
// Input: one byte that chooses the operations (bit set = run; 0 = all of them), in this order:
//   0x01 ReadSettings   0x02 presence (AnyPresent and the four Opens of the device list)
//   0x04 clock query    0x08 the seven per-rate queries   0x10 GetStreamState
//   0x20 GetReferenceRate   0x40 WriteSettings of the record as the dialog stores it
//   0x80 IsIdle
// then, when presence is not run, one byte that selects the slot (value modulo 5, minus 1; -1 is
// none), then the driver's answers, consumed call by call as FuzzPort.h describes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "driver/DrvControlCodes.h"
#include "driver/DrvDevTable.h"
#include "driver/DrvRecords.h"
#include "model/LevelModel.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/FuzzPort.h"
#include "text/TextFormat.h"

namespace {

using fuzzcheck::Narrow;
using fuzzcheck::PrintfNumber;
using fuzzport::Event;

// The rates the rate list asks about, in its order.
constexpr int32_t kListRates[7] = {44100, 48000, 88200, 96000, 176400, 192000, 352800};

std::string Hex(uint32_t n) {
    char sz[16];
    std::snprintf(sz, sizeof sz, "0x%X", n);
    return sz;
}

// The oracle's copy of a record: its bytes, and which of them the program must send as they
// are. After an exchange every byte is what the driver left, and all of them go out again.
struct Record {
    explicit Record(size_t nSize) : bytes(nSize, 0), known(nSize, false) {}
    Record(const void* p, size_t nSize)
        : bytes(static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + nSize),
          known(nSize, true) {}

    void SetWord(size_t nOffset, int32_t nValue) {
        uint32_t v = static_cast<uint32_t>(nValue);
        for (size_t i = 0; i < 4; ++i) {
            bytes[nOffset + i] = static_cast<uint8_t>(v >> (8 * i));
            known[nOffset + i] = true;
        }
    }
    int32_t Word(size_t nOffset) const {
        uint32_t v = 0;
        for (size_t i = 0; i < 4; ++i)
            v |= static_cast<uint32_t>(bytes[nOffset + i]) << (8 * i);
        return static_cast<int32_t>(v);
    }
    // The program's copy agrees on every byte the oracle knows.
    bool Matches(const void* p, size_t nSize) const {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        for (size_t i = 0; i < nSize && i < bytes.size(); ++i) {
            if (known[i] && b[i] != bytes[i])
                return false;
        }
        return true;
    }

    std::vector<uint8_t> bytes;
    std::vector<bool> known;
};

// Walks the recorded calls in the order each operation must make them.
class Replay {
public:
    explicit Replay(const char* szOperation) : m_szOperation(szOperation) {}

    bool Opens(int nSlot) {
        const Event& open = Next(Event::kOpen, nSlot);
        if (open.bOk)
            Next(Event::kClose, nSlot);
        return open.bOk;
    }

    // One open-exchange-close with the record as both input and output.
    bool Control(int nSlot, uint32_t nCode, Record& record) {
        if (!Next(Event::kOpen, nSlot).bOk)
            return false;
        const Event& exchange = Next(Event::kExchange, nSlot);
        FUZZ_CHECK(exchange.nCode == nCode,
                   Where() + "code " + Hex(exchange.nCode) + ", expected " + Hex(nCode));
        FUZZ_CHECK(exchange.nSize == record.bytes.size(),
                   Where() + "size " + std::to_string(exchange.nSize));
        for (size_t i = 0; i < record.bytes.size(); ++i) {
            FUZZ_CHECK(!record.known[i] || exchange.before[i] == record.bytes[i],
                       Where() + "byte " + std::to_string(i) + " of " + Hex(nCode) + " sent as " +
                           std::to_string(exchange.before[i]) + ", expected " +
                           std::to_string(record.bytes[i]));
        }
        record.bytes = exchange.after;
        record.known.assign(record.bytes.size(), true);
        Next(Event::kClose, nSlot);
        return exchange.bOk;
    }

    // Every recorded call was expected, and no handle is left open.
    void End() {
        FUZZ_CHECK(m_nNext == fuzzport::Events().size(),
                   Where() + "the program made " + std::to_string(fuzzport::Events().size()) +
                       " calls, expected " + std::to_string(m_nNext));
        FUZZ_CHECK(fuzzport::OpenHandles() == 0, Where() + "a control device was left open");
        fuzzport::ClearEvents();
    }

private:
    std::string Where() const {
        return std::string(m_szOperation) + ", call " + std::to_string(m_nNext) + ": ";
    }

    const Event& Next(Event::Kind kind, int nSlot) {
        static const char* const kKinds[] = {"open", "exchange", "close"};
        FUZZ_CHECK(m_nNext < fuzzport::Events().size(), Where() + "expected a " + kKinds[kind] +
                                                            " of slot " + std::to_string(nSlot) +
                                                            " that the program did not make");
        const Event& e = fuzzport::Events()[m_nNext];
        FUZZ_CHECK(e.kind == kind && e.nSlot == nSlot,
                   Where() + kKinds[e.kind] + " of slot " + std::to_string(e.nSlot) +
                       ", expected " + kKinds[kind] + " of slot " + std::to_string(nSlot));
        ++m_nNext;
        return e;
    }

    const char* m_szOperation;
    size_t m_nNext = 0;
};

// What the dialog learns from one pass over the units.
struct Answers {
    DrvSettings settings;
    bool bRead = false;
    bool abPresent[DRV_SLOT_COUNT] = {};
    int nSel = -1;
    DrvClockStatus clock = {};
    bool bClock = false;
    int32_t anAvailable[7] = {};
    bool bStream = false;
    int32_t nStreamRate = 0;
    bool bReference = false;
    int32_t nReferenceRate = 0;
};

// The settings record's fourteen words and their defaults, from offset 280.
constexpr int32_t kDefaultWords[14] = {0, 0, 5, 1, 0, 1, 0, 1, 0, 0, 1, 0, 0, 0};

void ReadSettings(const DrvDevTable& table, Answers& answers) {
    DrvSettings out;
    std::memset(static_cast<void*>(&out), 0xA5, sizeof out);
    BOOL bOk = table.ReadSettings(out);

    Replay replay("ReadSettings");
    Record io(sizeof(DrvSettingsIo));
    for (size_t i = 0; i < 14; ++i)
        io.SetWord(280 + 4 * i, kDefaultWords[i]);
    bool bAnswered = false;
    for (int s = 0; s < DRV_SLOT_COUNT && !bAnswered; ++s)
        bAnswered = replay.Opens(s) && replay.Control(s, IOCTL_DRV_GET_SETTINGS, io);
    replay.End();

    FUZZ_CHECK(io.Matches(&out, sizeof out), "the record read is not the buffer's settings part");
    bool bExpected = bAnswered && io.Word(336) != 0;
    FUZZ_CHECK((bOk != FALSE) == bExpected, "ReadSettings returned " + std::to_string(bOk));
    answers.settings = out;
    answers.bRead = bOk != FALSE;
}

void Presence(const DrvDevTable& table, Answers& answers) {
    BOOL bAny = table.AnyPresent();
    bool abPresent[DRV_SLOT_COUNT];
    for (int s = 0; s < DRV_SLOT_COUNT; ++s)
        abPresent[s] = table[s].Opens() != FALSE;

    Replay replay("presence");
    int nOpened = 0;
    for (int s = 0; s < DRV_SLOT_COUNT; ++s)
        nOpened += replay.Opens(s) ? 1 : 0;
    for (int s = 0; s < DRV_SLOT_COUNT; ++s)
        FUZZ_CHECK(abPresent[s] == replay.Opens(s), "Opens of slot " + std::to_string(s));
    replay.End();
    FUZZ_CHECK((bAny != FALSE) == (nOpened > 0), "AnyPresent with " + std::to_string(nOpened));

    for (int s = DRV_SLOT_COUNT - 1; s >= 0; --s) {
        answers.abPresent[s] = abPresent[s];
        if (abPresent[s])
            answers.nSel = s;
    }
}

// The refresh's clock query on the selected slot; the record goes back as the last answer left it.
void ClockQuery(const DrvDevTable& table, Answers& answers) {
    if (answers.nSel < 0) {
        FUZZ_CHECK(fuzzport::Events().empty(), "a request with no slot selected");
        return;
    }
    Record sent(&answers.clock, sizeof answers.clock);
    BOOL bOk = table[answers.nSel].Control(IOCTL_DRV_GET_CLOCK, &answers.clock,
                                           static_cast<uint32_t>(sizeof answers.clock));
    Replay replay("clock query");
    bool bExpected = replay.Control(answers.nSel, IOCTL_DRV_GET_CLOCK, sent);
    replay.End();
    FUZZ_CHECK((bOk != FALSE) == bExpected, "clock query result");
    FUZZ_CHECK(sent.Matches(&answers.clock, sizeof answers.clock), "clock record not the answer");
    answers.bClock = bExpected;
}

// The rate list's availability queries, one exchange per rate, as the refresh makes them after
// a clock answer.
void RateQueries(const DrvDevTable& table, Answers& answers) {
    if (answers.nSel < 0 || !answers.bClock)
        return;
    for (int k = 0; k < 7; ++k) {
        DrvRateQuery query = {0, kListRates[k], 0};
        Record sent(&query, sizeof query);
        BOOL bOk = table[answers.nSel].Control(IOCTL_DRV_QUERY_RATE, &query,
                                               static_cast<uint32_t>(sizeof query));
        Replay replay("rate query");
        bool bExpected = replay.Control(answers.nSel, IOCTL_DRV_QUERY_RATE, sent);
        replay.End();
        FUZZ_CHECK((bOk != FALSE) == bExpected, "rate query result");
        answers.anAvailable[k] = bOk ? query.nAvailable : 0;
    }
}

void StreamState(const DrvDevTable& table, Answers& answers) {
    DrvStreamState st = {};
    BOOL bOk = table.GetStreamState(st);

    Replay replay("GetStreamState");
    Record rec(sizeof st);
    rec.SetWord(0, 0);
    bool bExpected = false;
    for (int s = 0; s < DRV_SLOT_COUNT && !bExpected; ++s)
        bExpected = replay.Control(s, IOCTL_DRV_GET_STREAM_STATE, rec) && rec.Word(4) != 0;
    replay.End();
    FUZZ_CHECK((bOk != FALSE) == bExpected, "GetStreamState returned " + std::to_string(bOk));
    FUZZ_CHECK(rec.Matches(&st, sizeof st), "stream record not the last answer");
    answers.bStream = bExpected;
    answers.nStreamRate = st.nRate;
}

// Lengths that differ, or one outside the data area, make descriptors differ.
bool Differ(const Record& a, const Record& b) {
    int32_t nLength = a.Word(4);
    if (nLength != b.Word(4))
        return true;
    if (nLength < 0 || nLength > DRV_DESCRIPTOR_DATA)
        return true;
    return std::memcmp(&a.bytes[8], &b.bytes[8], static_cast<size_t>(nLength)) != 0;
}

void ReferenceRate(const DrvDevTable& table, Answers& answers) {
    int32_t nCount = 0x7A7A7A7A;
    int32_t nRate = 0x7A7A7A7A;
    BOOL bOk = table.GetReferenceRate(nCount, nRate);

    Replay replay("GetReferenceRate");
    int32_t nExpectedCount = 0;
    int32_t nExpectedRate = 0;
    int nRateAnswers = 0;
    Record reference(sizeof(DrvDescriptor));
    reference.SetWord(0, 0);
    Record rate(sizeof(DrvRateValue));
    int nReference = -1;
    for (int s = 0; s < DRV_SLOT_COUNT && nReference < 0; ++s) {
        if (!replay.Control(s, IOCTL_DRV_GET_DESCRIPTOR, reference))
            continue;
        rate.SetWord(0, 0);
        if (replay.Control(s, IOCTL_DRV_GET_RATE, rate)) {
            nExpectedRate = rate.Word(4);
            nExpectedCount = 1;
            nRateAnswers = 1;
            nReference = s;
        }
    }
    if (nReference >= 0) {
        Record other(sizeof(DrvDescriptor));
        other.SetWord(0, 0);
        for (int s = nReference + 1; s < DRV_SLOT_COUNT; ++s) {
            if (!replay.Control(s, IOCTL_DRV_GET_DESCRIPTOR, other))
                continue;
            bool bDiffer = Differ(reference, other);
            Record flag(4);
            flag.SetWord(0, 0);
            bool bFlag = replay.Control(s, IOCTL_DRV_GET_DEVICE_FLAG, flag) && flag.Word(0) != 0;
            if (bDiffer == bFlag)
                continue;
            if (replay.Control(s, IOCTL_DRV_GET_RATE, rate)) {
                ++nRateAnswers;
                if (rate.Word(4) == nExpectedRate)
                    ++nExpectedCount;
            }
        }
    }
    replay.End();

    std::string got = std::to_string(bOk) + " count " + std::to_string(nCount) + " rate " +
                      std::to_string(nRate) + ", expected " + std::to_string(nReference >= 0) +
                      " count " + std::to_string(nExpectedCount) + " rate " +
                      std::to_string(nExpectedRate);
    FUZZ_CHECK((bOk != FALSE) == (nReference >= 0), got);
    FUZZ_CHECK(nCount == nExpectedCount && nRate == nExpectedRate, got);
    FUZZ_CHECK(nCount >= 0 && nCount <= nRateAnswers && nCount <= DRV_SLOT_COUNT, got);
    answers.bReference = bOk != FALSE;
    answers.nReferenceRate = nRate;
}

// The record as the dialog stores its controls into it before a write.
DrvSettings StoredRecord(const DrvSettings& read) {
    DrvSettings settings = read;
    settings.nBufferLevel = ClampLevel(settings.nBufferLevel);
    ClampOffsets(settings);
    settings.bNoRateMatch = settings.bNoRateMatch == 0 ? 0 : 1;
    settings.bLevelFlag = LevelTable[settings.nBufferLevel].bLevelFlag;
    return settings;
}

void WriteSettings(const DrvDevTable& table, const DrvSettings& in) {
    int32_t nResult = 0x5A5A5A5A;
    BOOL bOk = table.WriteSettings(in, nResult);

    Replay replay("WriteSettings");
    Record io(sizeof(DrvSettingsIo));
    std::memcpy(io.bytes.data(), &in, sizeof in);
    for (size_t i = 0; i < sizeof in; ++i)
        io.known[i] = true;
    int32_t nMerged = 0;
    bool bAnswered = false;
    for (int s = 0; s < DRV_SLOT_COUNT; ++s) {
        if (!replay.Opens(s) || !replay.Control(s, IOCTL_DRV_SET_SETTINGS, io))
            continue;
        bAnswered = true;
        int32_t r = io.Word(336);
        if (r == 1 && nMerged != 2)
            nMerged = 1;
        else if (r == 2 || r == 3)
            nMerged = 2;
    }
    replay.End();

    FUZZ_CHECK((bOk != FALSE) == bAnswered, "WriteSettings returned " + std::to_string(bOk));
    if (bAnswered) {
        FUZZ_CHECK(nResult == nMerged, "merged result " + std::to_string(nResult) + ", expected " +
                                           std::to_string(nMerged));
        FUZZ_CHECK(nResult >= DRV_RESULT_NONE && nResult <= DRV_RESULT_MIDI,
                   "merged result " + std::to_string(nResult));
    }
}

void IsIdle(const DrvDevTable& table) {
    BOOL bIdle = table.IsIdle();
    Replay replay("IsIdle");
    Record word(4);
    word.SetWord(0, 0);
    bool bExpected = true;
    for (int s = 0; s < DRV_SLOT_COUNT && bExpected; ++s) {
        if (replay.Opens(s) && replay.Control(s, IOCTL_DRV_GET_IN_USE, word) && word.Word(0) != 0)
            bExpected = false;
    }
    replay.End();
    FUZZ_CHECK((bIdle != FALSE) == bExpected, "IsIdle returned " + std::to_string(bIdle));
}

void CheckText(const std::u16string& got, const std::u16string& expected, const char* szFormat) {
    FUZZ_CHECK(got == expected, std::string(szFormat) + ": '" + Narrow(got) + "', expected '" +
                                    Narrow(expected) + "'");
}

// The ASIO figures and the texts of the dialog for whatever rates the units answered.
void ModelAndTexts(const Answers& answers) {
    DrvSettings settings = answers.settings;
    ClampOffsets(settings);
    int32_t nLimit =
        fuzzcheck::kReferenceLevels[fuzzcheck::ReferenceLevelIndex(settings.nBufferLevel)].nLimit;
    for (int32_t nOffset : {settings.nOffset1, settings.nOffset2}) {
        FUZZ_CHECK(nOffset >= -nLimit && nOffset <= nLimit,
                   "offset " + std::to_string(nOffset) + " beyond " + std::to_string(nLimit));
    }
    FUZZ_CHECK(settings.bOffset1 != 0 || settings.nOffset1 == 0, "disabled offset 1 not 0");
    FUZZ_CHECK(settings.bOffset2 != 0 || settings.nOffset2 == 0, "disabled offset 2 not 0");
    FUZZ_CHECK(settings.IsEqual(settings), "a record differs from itself");

    std::vector<int32_t> rates;
    if (answers.bStream)
        rates.push_back(answers.nStreamRate);
    if (answers.bReference)
        rates.push_back(answers.nReferenceRate);
    if (answers.bClock) {
        rates.push_back(answers.clock.nCurrentRate);
        rates.push_back(answers.clock.nUnitRate);
    }
    for (int32_t nRate : rates) {
        AsioBufferSize sizes = GetAsioBufferSize(settings, nRate);
        std::string what = "level " + std::to_string(settings.nBufferLevel) + " rate " +
                           std::to_string(nRate) + ": " + std::to_string(sizes.minSize);
        FUZZ_CHECK(sizes.minSize == sizes.maxSize && sizes.minSize == sizes.preferredSize, what);
        FUZZ_CHECK(sizes.granularity == 0, what);
        FUZZ_CHECK(sizes.minSize == fuzzcheck::ReferenceAsioSize(settings.nBufferLevel, nRate),
                   what);
        CheckText(FormatText(u"%5d samples (%6d Hz)", {sizes.minSize, nRate}),
                  PrintfNumber("", 5, sizes.minSize) + u" samples (" + PrintfNumber("", 6, nRate) +
                      u" Hz)",
                  "%5d samples (%6d Hz)");
    }

    for (int k = 0; k < 7; ++k) {
        if (answers.anAvailable[k] != 0) {
            CheckText(FormatText(u"%6d Hz", {kListRates[k]}),
                      PrintfNumber("", 6, kListRates[k]) + u" Hz", "%6d Hz");
        }
    }
    if (answers.bClock) {
        const DrvClockStatus& clock = answers.clock;
        CheckText(FormatText(u"%6dHz", {clock.nCurrentRate}),
                  PrintfNumber("", 6, clock.nCurrentRate) + u"Hz", "%6dHz");
        CheckText(FormatText(u"The unit's sampling frequency has been changed (%6d Hz). Please "
                             u"restart the program you're using.",
                             {clock.nUnitRate, 0}),
                  u"The unit's sampling frequency has been changed (" +
                      PrintfNumber("", 6, clock.nUnitRate) +
                      u" Hz). Please restart the program you're using.",
                  "rate notice");
        CheckText(FormatText(u"EXTERNAL (%6d Hz)", {clock.nUnitRate, 0}),
                  u"EXTERNAL (" + PrintfNumber("", 6, clock.nUnitRate) + u" Hz)",
                  "EXTERNAL (%6d Hz)");
    }
    for (int s = 0; s < DRV_SLOT_COUNT; ++s) {
        if (!answers.abPresent[s])
            continue;
        std::u16string name = MODEL_STRING;
        if (s == 0) {
            CheckText(FormatText(u"%s", {MODEL_STRING}), name, "%s");
        } else {
            CheckText(FormatText(u"%s(%d)", {MODEL_STRING, s + 1}),
                      name + u"(" + PrintfNumber("", 0, s + 1) + u")", "%s(%d)");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    fuzzport::Begin(pData, nSize);
    uint8_t nOps = 0;
    if (!fuzzport::TakeByte(nOps) || nOps == 0)
        nOps = 0xFF;

    DrvDevTable table;
    table.Build();
    for (int s = 0; s < DRV_SLOT_COUNT; ++s)
        FUZZ_CHECK(table[s].nSlot == s, "slot number of entry " + std::to_string(s));

    Answers answers;
    if (nOps & 0x01)
        ReadSettings(table, answers);
    if (nOps & 0x02) {
        Presence(table, answers);
    } else {
        uint8_t b = 0;
        answers.nSel = fuzzport::TakeByte(b) ? b % 5 - 1 : -1;
    }
    if (nOps & 0x04)
        ClockQuery(table, answers);
    if (nOps & 0x08)
        RateQueries(table, answers);
    if (nOps & 0x10)
        StreamState(table, answers);
    if (nOps & 0x20)
        ReferenceRate(table, answers);
    ModelAndTexts(answers);
    if (nOps & 0x40)
        WriteSettings(table, StoredRecord(answers.settings));
    if (nOps & 0x80)
        IsIdle(table);
    FUZZ_CHECK(fuzzport::OpenHandles() == 0, "a control device was left open");
    return 0;
}
