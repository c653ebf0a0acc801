/* Kernel-mode simulated driver: the unit control devices \Device\Tkwm3340001..4, answered by the
   unit model, and the private control device \Device\TkSimCtl through which simctl changes the
   units and reads the request log. Every request is completed before the dispatch returns, after
   the unit's answer delay, if any. */
#include <ntddk.h>

#include "sim/kernel/SimBus.h"

DRIVER_INITIALIZE DriverEntry;

#define CONTROL_SLOT (-1)
#define CONTROL_DEVICE L"\\Device\\TkSimCtl"
#define CONTROL_LINK L"\\DosDevices\\TkSimCtl"

typedef struct {
    int nSlot; /* 0..3 for a unit, CONTROL_SLOT for the control device */
} DEVICE_EXTENSION;

static KMUTEX g_Lock;
static PDEVICE_OBJECT g_apDevice[SIM_SLOTS + 1];
/* The last character of each unit's link name while the link exists, else 0. */
static WCHAR g_acLinked[SIM_SLOTS];
/* A request a unit leaves pending, completed when its handle is closed. */
static PIRP g_apPending[SIM_SLOTS];
static BOOLEAN g_bControlLinked;

/* Marks a create that the unit refused: Wine opens the handle all the same. */
#define REFUSED_OPEN ((PVOID)1)

static void NameEndingIn(const WCHAR* szHead, WCHAR cLast, WCHAR* szName) {
    int n = 0;
    for (; szHead[n]; ++n)
        szName[n] = szHead[n];
    szName[n] = cLast;
    szName[n + 1] = 0;
}

static void UnitName(const WCHAR* szHead, int nSlot, WCHAR* szName) {
    NameEndingIn(szHead, (WCHAR)(L'1' + nSlot), szName);
}

static void Lock(void) {
    KeWaitForSingleObject(&g_Lock, Executive, KernelMode, FALSE, NULL);
}
static void Unlock(void) {
    KeReleaseMutex(&g_Lock, FALSE);
}

/* A unit opens exactly while its link exists: Wine does not fail CreateFileW on a failed
   IRP_MJ_CREATE, so an absent unit, or one out of opens, must have no link. A unit published
   under another number gets its link under that name. */
static void SetLink(int nSlot, WCHAR cNumber, BOOLEAN bCreate) {
    WCHAR szDevice[32], szLink[32];
    UNICODE_STRING device, link;
    UnitName(L"\\Device\\Tkwm334000", nSlot, szDevice);
    NameEndingIn(L"\\DosDevices\\Tkwm334000", cNumber, szLink);
    RtlInitUnicodeString(&device, szDevice);
    RtlInitUnicodeString(&link, szLink);
    if (bCreate) {
        g_acLinked[nSlot] = NT_SUCCESS(IoCreateSymbolicLink(&link, &device)) ? cNumber : 0;
    } else {
        IoDeleteSymbolicLink(&link);
        g_acLinked[nSlot] = 0;
    }
}

static void SyncLinks(void) {
    for (int i = 0; i < SIM_SLOTS; ++i) {
        WCHAR cWant = SimBusWantsLink(i) ? (WCHAR)(L'0' + SimBusNameNumber(i)) : 0;
        if (cWant == g_acLinked[i])
            continue;
        if (g_acLinked[i])
            SetLink(i, g_acLinked[i], FALSE);
        if (cWant)
            SetLink(i, cWant, TRUE);
    }
}

/* Microseconds of the performance counter, wrapping: the log's timestamps, compared as
   differences. Wine updates the interrupt time only every few milliseconds. */
static uint32_t NowUs(void) {
    LARGE_INTEGER frequency;
    LONGLONG nCount = KeQueryPerformanceCounter(&frequency).QuadPart;
    LONGLONG nHz = frequency.QuadPart > 0 ? frequency.QuadPart : 1;
    return (uint32_t)((nCount / nHz) * 1000000 + (nCount % nHz) * 1000000 / nHz);
}

static NTSTATUS Complete(PIRP pIrp, NTSTATUS status, ULONG_PTR nInformation) {
    pIrp->IoStatus.Status = status;
    pIrp->IoStatus.Information = nInformation;
    IoCompleteRequest(pIrp, IO_NO_INCREMENT);
    return status;
}

static int SlotOf(PDEVICE_OBJECT pDevice) {
    return ((DEVICE_EXTENSION*)pDevice->DeviceExtension)->nSlot;
}

static NTSTATUS DispatchCreate(PDEVICE_OBJECT pDevice, PIRP pIrp) {
    int nSlot = SlotOf(pDevice);
    if (nSlot == CONTROL_SLOT)
        return Complete(pIrp, STATUS_SUCCESS, 0);
    PIO_STACK_LOCATION pStack = IoGetCurrentIrpStackLocation(pIrp);
    Lock();
    SimBusSetClock(NowUs());
    int bOk = SimBusOpen(nSlot);
    SyncLinks();
    Unlock();
    if (!bOk) {
        if (pStack->FileObject)
            pStack->FileObject->FsContext = REFUSED_OPEN;
        return Complete(pIrp, STATUS_NO_SUCH_DEVICE, 0);
    }
    return Complete(pIrp, STATUS_SUCCESS, 0);
}

static void CompletePending(int nSlot) {
    Lock();
    PIRP pIrp = g_apPending[nSlot];
    g_apPending[nSlot] = NULL;
    Unlock();
    if (pIrp)
        IoCompleteRequest(pIrp, IO_NO_INCREMENT);
}

/* The last close of a unit's handle (not its cleanup) is what the handle counts count. */
static NTSTATUS DispatchClose(PDEVICE_OBJECT pDevice, PIRP pIrp) {
    PIO_STACK_LOCATION pStack = IoGetCurrentIrpStackLocation(pIrp);
    if (SlotOf(pDevice) != CONTROL_SLOT)
        CompletePending(SlotOf(pDevice));
    if (SlotOf(pDevice) != CONTROL_SLOT && pStack->MajorFunction == IRP_MJ_CLOSE &&
        !(pStack->FileObject && pStack->FileObject->FsContext == REFUSED_OPEN)) {
        Lock();
        SimBusClose();
        Unlock();
    }
    return Complete(pIrp, STATUS_SUCCESS, 0);
}

static NTSTATUS UnitControl(int nSlot, PIRP pIrp, PIO_STACK_LOCATION pStack) {
    ULONG nCode = pStack->Parameters.DeviceIoControl.IoControlCode;
    ULONG nIn = pStack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG nOut = pStack->Parameters.DeviceIoControl.OutputBufferLength;
    if (pStack->FileObject && pStack->FileObject->FsContext == REFUSED_OPEN) {
        return Complete(pIrp, STATUS_NO_SUCH_DEVICE, 0);
    }
    /* The model checks the size against the code; a request whose two lengths differ, or that
       is not buffered, reaches it without a buffer, so that it is logged and fails. */
    PVOID pBuffer = NULL;
    if (nIn == nOut && METHOD_FROM_CTL_CODE(nCode) == METHOD_BUFFERED) {
        pBuffer = pIrp->AssociatedIrp.SystemBuffer;
    }
    Lock();
    SimBusSetClock(NowUs());
    int bOk = SimBusControl(nSlot, nCode, pBuffer, nIn);
    int nDelayMs = SimBusAnswerDelayMs(nSlot);
    PIRP pEarlier = NULL;
    if (bOk && nCode == SimBusPendCode(nSlot)) {
        /* Answered, but not completed: a driver that pends what the panel expects at once. */
        pEarlier = g_apPending[nSlot];
        pIrp->IoStatus.Status = STATUS_SUCCESS;
        pIrp->IoStatus.Information = nIn;
        IoMarkIrpPending(pIrp);
        g_apPending[nSlot] = pIrp;
    }
    Unlock();
    if (pEarlier)
        IoCompleteRequest(pEarlier, IO_NO_INCREMENT);
    if (bOk && nCode == SimBusPendCode(nSlot))
        return STATUS_PENDING;
    /* A slow unit: the caller waits, simctl (outside the lock) does not. */
    if (nDelayMs > 0) {
        LARGE_INTEGER interval;
        interval.QuadPart = -10000LL * nDelayMs;
        KeDelayExecutionThread(KernelMode, FALSE, &interval);
    }
    if (!bOk)
        return Complete(pIrp, STATUS_UNSUCCESSFUL, 0);
    return Complete(pIrp, STATUS_SUCCESS, nIn);
}

static NTSTATUS ControlDeviceControl(PIRP pIrp, PIO_STACK_LOCATION pStack) {
    ULONG nCode = pStack->Parameters.DeviceIoControl.IoControlCode;
    if (METHOD_FROM_CTL_CODE(nCode) != METHOD_BUFFERED) {
        return Complete(pIrp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
    uint32_t nAnswered = 0;
    Lock();
    int nOutcome =
        SimBusControlDevice(nCode, pIrp->AssociatedIrp.SystemBuffer,
                            pStack->Parameters.DeviceIoControl.InputBufferLength,
                            pStack->Parameters.DeviceIoControl.OutputBufferLength, &nAnswered);
    SyncLinks();
    Unlock();
    switch (nOutcome) {
        case SIM_DONE:
            return Complete(pIrp, STATUS_SUCCESS, nAnswered);
        case SIM_TOO_SMALL:
            return Complete(pIrp, STATUS_BUFFER_TOO_SMALL, 0);
        case SIM_BAD_REQUEST:
            return Complete(pIrp, STATUS_INVALID_PARAMETER, 0);
        default:
            return Complete(pIrp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
}

static NTSTATUS DispatchControl(PDEVICE_OBJECT pDevice, PIRP pIrp) {
    PIO_STACK_LOCATION pStack = IoGetCurrentIrpStackLocation(pIrp);
    int nSlot = SlotOf(pDevice);
    if (nSlot == CONTROL_SLOT)
        return ControlDeviceControl(pIrp, pStack);
    return UnitControl(nSlot, pIrp, pStack);
}

static void RemoveAll(void) {
    for (int i = 0; i < SIM_SLOTS; ++i)
        CompletePending(i);
    SimBusUnplugAll();
    SyncLinks();
    if (g_bControlLinked) {
        UNICODE_STRING link;
        RtlInitUnicodeString(&link, CONTROL_LINK);
        IoDeleteSymbolicLink(&link);
        g_bControlLinked = FALSE;
    }
    for (int i = 0; i <= SIM_SLOTS; ++i) {
        if (g_apDevice[i])
            IoDeleteDevice(g_apDevice[i]);
        g_apDevice[i] = NULL;
    }
}

static void DriverUnload(PDRIVER_OBJECT pDriver) {
    (void)pDriver;
    RemoveAll();
}

static NTSTATUS CreateDevice(PDRIVER_OBJECT pDriver, const WCHAR* szName, int nSlot,
                             PDEVICE_OBJECT* ppDevice) {
    UNICODE_STRING name;
    RtlInitUnicodeString(&name, szName);
    NTSTATUS status = IoCreateDevice(pDriver, sizeof(DEVICE_EXTENSION), &name, FILE_DEVICE_UNKNOWN,
                                     0, FALSE, ppDevice);
    if (!NT_SUCCESS(status))
        return status;
    ((DEVICE_EXTENSION*)(*ppDevice)->DeviceExtension)->nSlot = nSlot;
    (*ppDevice)->Flags |= DO_BUFFERED_IO;
    (*ppDevice)->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

NTSTATUS DriverEntry(PDRIVER_OBJECT pDriver, PUNICODE_STRING pRegistryPath) {
    (void)pRegistryPath;
    KeInitializeMutex(&g_Lock, 0);
    SimBusInit();

    pDriver->DriverUnload = DriverUnload;
    pDriver->MajorFunction[IRP_MJ_CREATE] = DispatchCreate;
    pDriver->MajorFunction[IRP_MJ_CLOSE] = DispatchClose;
    pDriver->MajorFunction[IRP_MJ_CLEANUP] = DispatchClose;
    pDriver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchControl;

    /* Units start absent, so only the devices exist; a scenario plugs them. */
    NTSTATUS status = STATUS_SUCCESS;
    for (int i = 0; i < SIM_SLOTS && NT_SUCCESS(status); ++i) {
        WCHAR szDevice[32];
        UnitName(L"\\Device\\Tkwm334000", i, szDevice);
        status = CreateDevice(pDriver, szDevice, i, &g_apDevice[i]);
    }
    if (NT_SUCCESS(status)) {
        status = CreateDevice(pDriver, CONTROL_DEVICE, CONTROL_SLOT, &g_apDevice[SIM_SLOTS]);
    }
    if (NT_SUCCESS(status)) {
        UNICODE_STRING device, link;
        RtlInitUnicodeString(&device, CONTROL_DEVICE);
        RtlInitUnicodeString(&link, CONTROL_LINK);
        status = IoCreateSymbolicLink(&link, &device);
        g_bControlLinked = NT_SUCCESS(status);
    }
    if (!NT_SUCCESS(status))
        RemoveAll();
    return status;
}
