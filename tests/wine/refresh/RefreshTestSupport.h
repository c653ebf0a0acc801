// What the refresh tests share: the simulated units, readable traces of their request log, and
// combo boxes read back through their own messages.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "sim/InProcessSim.h"
#include "tests/common/SimLogTrace.h"

namespace rftest {

inline sim::Bus& Bus() {
    return sim::InProcessBus();
}
inline sim::Unit& Unit(int nSlot) {
    return Bus().aUnit[nSlot];
}
inline void Plug(const std::vector<int>& slots) {
    for (int nSlot : slots)
        Unit(nSlot).bPresent = 1;
}
inline void Unplug(const std::vector<int>& slots) {
    for (int nSlot : slots)
        Unit(nSlot).bPresent = 0;
}
// The unit answers nAvailable for exactly these rates and 0 for every other one.
inline void Offer(int nSlot, std::initializer_list<std::pair<int32_t, int32_t>> offers) {
    sim::Unit& unit = Unit(nSlot);
    unit.nOffers = 0;
    for (const auto& offer : offers) {
        unit.aOffer[unit.nOffers].nRate = offer.first;
        unit.aOffer[unit.nOffers].nAvailable = offer.second;
        ++unit.nOffers;
    }
}
inline void FailNext(int nSlot, uint32_t nCode, int32_t nCount) {
    Unit(nSlot).anFail[sim::CodeIndex(nCode)] = nCount;
}

inline std::string Trace(int nFrom = 0) {
    return SimLogTrace(Bus(), nFrom);
}

// The control requests of the log with that code, in order.
inline std::vector<const sim::LogEntry*> Requests(uint32_t nCode) {
    std::vector<const sim::LogEntry*> list;
    for (int i = 0; i < Bus().nLog; ++i) {
        const sim::LogEntry& e = Bus().aLog[i];
        if (e.nKind == sim::kLogControl && e.nCode == nCode)
            list.push_back(&e);
    }
    return list;
}

inline int ControlRequestCount() {
    int n = 0;
    for (int i = 0; i < Bus().nLog; ++i)
        n += Bus().aLog[i].nKind == sim::kLogControl ? 1 : 0;
    return n;
}

inline int OpenCount() {
    int n = 0;
    for (int i = 0; i < Bus().nLog; ++i)
        n += Bus().aLog[i].nKind == sim::kLogOpen ? 1 : 0;
    return n;
}

inline int32_t SentWord(const sim::LogEntry* e, int nOffset) {
    return sim::GetWord(e->abSent + nOffset);
}

inline std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t ch : text)
        out += ch >= 0x20 && ch < 0x7F ? static_cast<char>(ch) : '?';
    return out;
}

// The items of a combo box as "'text'=data, ...", read with CB_GETLBTEXT and CB_GETITEMDATA.
inline std::string ItemsOf(HWND hCombo) {
    std::string text;
    const int nCount = static_cast<int>(::SendMessageW(hCombo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < nCount; ++i) {
        wchar_t szItem[128] = {};
        const LRESULT nLen = ::SendMessageW(hCombo, CB_GETLBTEXTLEN, i, 0);
        if (nLen >= 0 && nLen < 128)
            ::SendMessageW(hCombo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(szItem));
        const auto nData = static_cast<int32_t>(::SendMessageW(hCombo, CB_GETITEMDATA, i, 0));
        if (!text.empty())
            text += ", ";
        text += "'" + Narrow(szItem) + "'=" + std::to_string(nData);
    }
    return text;
}

// Item data of the current selection; -1 when nothing is selected.
inline int32_t SelectedData(HWND hCombo) {
    const LRESULT nSel = ::SendMessageW(hCombo, CB_GETCURSEL, 0, 0);
    if (nSel < 0)
        return -1;
    return static_cast<int32_t>(::SendMessageW(hCombo, CB_GETITEMDATA, nSel, 0));
}

// Index of the item with that data, looked up without the code under test; -1 if none.
inline int IndexOfData(HWND hCombo, int32_t nData) {
    const int nCount = static_cast<int>(::SendMessageW(hCombo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < nCount; ++i) {
        if (static_cast<int32_t>(::SendMessageW(hCombo, CB_GETITEMDATA, i, 0)) == nData)
            return i;
    }
    return -1;
}

inline std::string WindowText(HWND hWnd) {
    wchar_t szText[256] = {};
    ::GetWindowTextW(hWnd, szText, 256);
    return Narrow(szText);
}

}  // namespace rftest
