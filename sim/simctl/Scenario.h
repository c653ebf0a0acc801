// Scenario files: the four units' states as readable text, one section per slot.
//
//   # two units, a stream at 48 kHz
//   [slot 0]
//   stream-active = 1
//   stream-rate = 48000
//   [slot 2]
//   write-result = 2
//   fail = GET_CLOCK 3
//
// A section starts from the factory unit (sim::ResetUnit), present; a slot without a section is
// a factory unit that is absent. The keys, one field each, applied in order:
//   present          yes | no
//   opens            unlimited | N        opens that still succeed before the unit vanishes
//   answer-index     N                    nIndex of every answer that has one
//   option1 option2 buffer-level option3 no-rate-match offset1-enable offset1 offset2-enable
//   offset2 level-flag option4 option5 option6 option7
//                    N                    the settings record's fourteen words, in record order
//   row1 .. row10    RATE [A B C D E F]   a rate row; missing words are 0
//   rows             none                 all ten rows zero
//   read-result write-result in-use stream-active stream-rate device-flag rate unit-rate
//   current-rate external locked
//                    N
//   answer-delay     N                    ms the kernel-mode driver waits before it completes
//                                         each control request of the unit (at most 2000)
//   descriptor       HEX BYTES            data and length (e.g. 12 01 00 02)
//   descriptor-length N                   the length answered, even outside the data area
//   offers           RATE[:AVAIL] ...     offered rates, availability 1 unless given; or none
//   fail             CODE N | CODE always | none
//                                         the next N requests of CODE fail (GET_CLOCK, ...)
//   write-shift      N                    the next settings write stores, and answers, the
//                                         level sent plus N (0: none)
//   rate-lag         N                    a rate change takes N ms to show in the clock and the
//                                         rate read, as an asynchronous driver's does (0: none)
// Faults only the kernel-mode driver shows (the in-process port ignores them):
//   pend             CODE | none          requests of CODE are answered but left pending until
//                                         the handle is closed
//   name-shift       N                    the unit is published as \\.\Tkwm334000(slot+1+N)
// Numbers are decimal or 0x hexadecimal; '#' starts a comment.
#pragma once

#include <stdint.h>

#include <string>

#include "sim/UnitModel.h"

namespace scenario {

struct Units {
    sim::Unit aUnit[sim::kSlots];
};

// Parses a whole file; on failure returns false and error names the line, and units is untouched.
bool Parse(const std::string& text, Units& units, std::string& error);

// Applies one "key = value" line to a unit (the keys above).
bool ApplyLine(const std::string& line, sim::Unit& unit, std::string& error);

// The units as scenario text that parses back to the same states.
std::string Format(const Units& units);

// Control code by its short name (GET_CLOCK), its full name (IOCTL_DRV_GET_CLOCK) or in hex;
// false for a code the units do not know.
bool ParseCode(const std::string& name, uint32_t& nCode);
// Short name of a code the units know, or its hex.
std::string CodeName(uint32_t nCode);

// One line of the request log:
//   SLOT open OK - - - -
//   SLOT control OK 0xCODE SIZE SENT-HEX ANSWERED-HEX
// where the hex shows the bytes the log holds (at most sim::kLogBytes of each).
std::string FormatLogEntry(const sim::LogEntry& entry);

}  // namespace scenario
