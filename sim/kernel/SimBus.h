/* The simulated units behind the kernel-mode driver, for its C dispatch code. The caller holds
   the driver's lock around every call. */
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum { SIM_SLOTS = 4 };

/* Outcome of a request on the control device. */
enum { SIM_DONE = 0, SIM_BAD_REQUEST = 1, SIM_TOO_SMALL = 2, SIM_UNKNOWN_CODE = 3 };

void SimBusInit(void);
/* The driver's clock in microseconds (it wraps), stamped on the requests logged from now on. */
void SimBusSetClock(uint32_t nNowUs);
/* An open of a unit's control device, logged; nonzero when the unit lets it open. */
int SimBusOpen(int nSlot);
/* The close of a unit's handle that SimBusOpen let open. */
void SimBusClose(void);
/* One request on an opened unit, logged; nonzero when the unit completed it. pBuffer may be
   null for a request that must fail. */
int SimBusControl(int nSlot, uint32_t nCode, void* pBuffer, uint32_t nSize);
/* How long the unit's control requests take, in ms, bounded to 0..2000. */
int SimBusAnswerDelayMs(int nSlot);
/* Nonzero while the unit's link must exist: present, with opens left. */
int SimBusWantsLink(int nSlot);
/* The number 0..9 at the end of the name the unit is published under. */
int SimBusNameNumber(int nSlot);
/* The code whose requests the unit leaves pending until the handle closes, or 0. */
uint32_t SimBusPendCode(int nSlot);
/* Every unit absent, as on unload. */
void SimBusUnplugAll(void);
/* A request of the private control device; the buffer is METHOD_BUFFERED's system buffer. */
int SimBusControlDevice(uint32_t nCode, void* pBuffer, uint32_t nIn, uint32_t nOut,
                        uint32_t* pnAnswered);

#ifdef __cplusplus
}
#endif
