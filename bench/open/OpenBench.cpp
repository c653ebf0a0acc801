// openbench: what the panel does when it opens, part by part, measured in process through the
// Win32 port against whatever driver the system has (in scripts/bench.sh: the simulated
// kernel-mode driver with the demo scenario). Every part is the program's own code:
//   start-up probe        DrvDevTable::Build and AnyPresent, which start-up runs before the dialog
//   template and controls DoModal up to OnInitDialog: the template 187 created with its controls
//   OnInitDialog          the dialog's whole initialisation, and within it, run again on the open
//                         dialog: the settings read; the registry and file look-ups (version and
//                         copyright lines, the readme's presence); the first refresh (live
//                         status and ASIO figures with lists that hold nothing yet); the rest
//                         (title, labels from the string table, level controls, layout) is what
//                         remains of the whole
// Medians over ROUNDS rounds after one warm-up round; the first load of shell32.dll in this
// process, for scale; then the driver's requests of one whole opening, from its log. Prints
// "opening total: X ms" (probe, template and OnInitDialog).
//
//   openbench [ROUNDS]
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/tick/DriverLog.h"
#include "dialog/DrvPropDlg.h"
#include "driver/DrvControlCodes.h"
#include "framework/AppStrings.h"
#include "install/InstallInfo.h"
#include "res/resource.h"
#include "sim/simctl/Scenario.h"
#include "text/TextFormat.h"
#include "text/WideText.h"

namespace {

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double TimeMs(const std::function<void()>& part) {
    const double start = NowMs();
    part();
    return NowMs() - start;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The settings dialog, timed from inside: its own OnInitDialog, then the measuring of the parts
// on the open dialog, then it ends before it is ever shown.
class COpenTimedDlg : public CDrvPropDlg {
public:
    std::function<void(COpenTimedDlg&)> m_measureParts;
    double m_nInitStartMs = 0;
    double m_nInitMs = 0;

    // The lists as a new dialog has them, so that the next refresh is a first refresh.
    void ForgetLists() {
        m_cmbDev.Init(&m_aDevSlot, ToWide(MODEL_STRING).c_str());
        m_nDevSel = -1;
        for (int32_t& nState : m_cmbFreq.m_anRateState)
            nState = 0;
    }

protected:
    BOOL OnInitDialog() override {
        m_nInitStartMs = NowMs();
        BOOL bResult = CDrvPropDlg::OnInitDialog();
        m_nInitMs = NowMs() - m_nInitStartMs;
        if (m_measureParts)
            m_measureParts(*this);
        EndDialogAndStopTimer(IDCANCEL);
        return bResult;
    }
};

struct Part {
    const char* szName;
    std::vector<double> ms;
};

void PrintRequests(const tickbench::Counts& counts) {
    const uint32_t kCodesByUse[] = {IOCTL_DRV_GET_SETTINGS,   IOCTL_DRV_GET_CLOCK,
                                    IOCTL_DRV_QUERY_RATE,     IOCTL_DRV_GET_STREAM_STATE,
                                    IOCTL_DRV_GET_DESCRIPTOR, IOCTL_DRV_GET_DEVICE_FLAG,
                                    IOCTL_DRV_GET_RATE,       IOCTL_DRV_GET_IN_USE,
                                    IOCTL_DRV_SET_SETTINGS,   IOCTL_DRV_SET_RATE};
    int nAll = 0;
    std::string detail;
    for (uint32_t nCode : kCodesByUse) {
        int n = counts.anCode[sim::CodeIndex(nCode)];
        nAll += n;
        if (n != 0)
            detail +=
                (detail.empty() ? "" : ", ") + scenario::CodeName(nCode) + " " + std::to_string(n);
    }
    std::printf("driver requests of one opening: %d (%s); control-device opens: %d\n", nAll,
                detail.c_str(), counts.nOpens);
}

}  // namespace

int main(int argc, char** argv) {
    const int nRounds = argc > 1 ? std::atoi(argv[1]) : 21;
    if (nRounds < 1) {
        std::fprintf(stderr, "openbench: ROUNDS must be at least 1\n");
        return 2;
    }
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    // Nothing in this program imports the shell; its first load is what the panel's readme
    // button costs, and what every opening cost while the panel imported it.
    const double nShellMs = TimeMs([] { LoadLibraryW(L"shell32.dll"); });
    {
        DrvDevTable table;
        table.Build();
        if (!table.AnyPresent()) {
            std::fprintf(stderr, "openbench: no unit present\n");
            return 1;
        }
    }

    // One opening as the program makes it, counted in the driver's log.
    tickbench::ClearKernelDriverLog();
    {
        COpenTimedDlg dlg;
        dlg.m_aDevSlot.Build();
        dlg.m_aDevSlot.AnyPresent();
        dlg.DoModal();
    }
    const tickbench::Counts requests = tickbench::CountKernelDriverLog();

    Part probe = {"start-up probe of the four units (Build, AnyPresent)", {}};
    Part create = {"template 187 created with its 47 controls", {}};
    Part init = {"OnInitDialog, whole", {}};
    Part read = {"  settings read", {}};
    Part lookups = {"  registry and file look-ups (version, copyright, readme)", {}};
    Part refresh = {"  first refresh (device list, clock, rates, ASIO figures)", {}};
    Part rest = {"  the rest (title, labels from the string table, level controls)", {}};
    Part load = {"one string-table load (LoadStringText), for scale", {}};
    std::vector<double> total;
    for (int round = 0; round <= nRounds; ++round) {
        COpenTimedDlg dlg;
        const double nProbe = TimeMs([&] {
            dlg.m_aDevSlot.Build();
            dlg.m_aDevSlot.AnyPresent();
        });
        double nRead = 0, nLookups = 0, nRefresh = 0, nLoad = 0;
        dlg.m_measureParts = [&](COpenTimedDlg& d) {
            DrvSettings settings;
            nRead = TimeMs([&] { d.m_aDevSlot.ReadSettings(settings); });
            nLookups = TimeMs([] {
                std::wstring line;
                MakeDriverVersionLine();
                MakeCopyrightLine(line);
                IsReadmeAvailable();
            });
            d.ForgetLists();
            nRefresh = TimeMs([&] {
                d.RefreshLiveStatus();
                d.UpdateAsioFigures();
            });
            std::wstring text;
            nLoad = TimeMs([&] { LoadStringText(IDS_STR_TITLE, text); });
        };
        const double nStart = NowMs();
        dlg.DoModal();
        if (round == 0)
            continue;
        const double nCreate = dlg.m_nInitStartMs - nStart;
        probe.ms.push_back(nProbe);
        create.ms.push_back(nCreate);
        init.ms.push_back(dlg.m_nInitMs);
        read.ms.push_back(nRead);
        lookups.ms.push_back(nLookups);
        refresh.ms.push_back(nRefresh);
        rest.ms.push_back(dlg.m_nInitMs - nRead - nLookups - nRefresh);
        load.ms.push_back(nLoad);
        total.push_back(nProbe + nCreate + dlg.m_nInitMs);
    }

    std::printf("the opening, part by part (Win32 port; medians of %d rounds):\n", nRounds);
    for (const Part* part : {&probe, &create, &init, &read, &lookups, &refresh, &rest, &load})
        std::printf("  %-66s %8.3f ms\n", part->szName, Median(part->ms));
    std::printf("  %-66s %8.3f ms\n",
                "loading shell32.dll, once, for scale (only the readme button does)", nShellMs);
    PrintRequests(requests);
    std::printf("opening total: %.3f ms\n", Median(total));
    std::fflush(stdout);
    return 0;
}
