#include "drvcheck/DriverChecks.h"

#include <windows.h>

#include "driver/DevicePort.h"
#include "driver/DrvControlCodes.h"
#include "drvcheck/TickModel.h"

std::vector<std::string> StrayNames(const DrvDevTable& table) {
    std::vector<std::string> stray;
    for (Utf16 cLast : {u'0', u'5', u'6', u'7', u'8', u'9'}) {
        DrvDevSlot slot = table[0];
        int n = 0;
        while (n + 1 < DRV_PATH_CHARS && slot.szPath[n + 1])
            ++n;
        slot.szPath[n] = cLast;
        DevicePort::Handle h;
        if (DevicePort::Open(slot.szPath, &h)) {
            DevicePort::Close(h);
            stray.push_back(PathText(slot.szPath));
        }
    }
    return stray;
}

namespace {

// The tick is priced with each checked unit's medians; a unit that opens but was not checked
// (--unit) is priced as the mean of the checked ones.
double TickCost(const TickPlan& plan, const std::vector<UnitFindings>& units) {
    double ms = 0;
    for (const TickRequest& r : plan.sent) {
        double sum = 0;
        int n = 0;
        for (const UnitFindings& u : units) {
            auto it = u.medianMs.find(r.nCode);
            if (it == u.medianMs.end())
                continue;
            if (u.nSlot == r.nSlot) {
                sum = it->second;
                n = 1;
                break;
            }
            sum += it->second;
            ++n;
        }
        ms += n > 0 ? sum / n : 0;
    }
    return ms;
}

}  // namespace

ReportSection CheckDriver(const SlotOpenings& openings, const bool (&abPresent)[4],
                          const std::vector<UnitFindings>& units) {
    ReportSection section;
    section.title = "driver";
    section.verdicts.push_back(JudgeOpenSlots(openings));

    bool abActive[4] = {};
    for (const UnitFindings& u : units)
        abActive[u.nSlot] = u.bStream && u.stream.nActive != 0;
    TickPlan plan = PanelTick(abPresent, abActive);
    if (units.empty()) {
        section.verdicts.push_back(MakeVerdict("tick.cost", RuleKind::Should, Outcome::Skip,
                                               "no unit was checked, so nothing was timed"));
    } else {
        section.verdicts.push_back(
            JudgeTickCost(TickCost(plan, units), plan.nRequests, plan.nOpensTried));
    }

    std::vector<UnitRate> rates;
    for (size_t i = 0; i < units.size(); ++i) {
        const UnitFindings& u = units[i];
        if (!u.bDescriptor || !u.bRate)
            continue;
        int nKind = static_cast<int>(i);
        for (size_t j = 0; j < i; ++j) {
            if (units[j].bDescriptor && !DrvDescriptorsDiffer(units[j].descriptor, u.descriptor)) {
                nKind = static_cast<int>(j);
                break;
            }
        }
        rates.push_back({u.nSlot + 1, nKind, u.rate.nRate});
    }
    section.verdicts.push_back(InfoSameRate(rates));
    return section;
}
