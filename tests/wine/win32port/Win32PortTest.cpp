// The production port under Wine: a control device that does not exist fails to open, as on
// Windows, and the table walks then send nothing and report FALSE.
#include <gtest/gtest.h>

#include "driver/DevicePort.h"
#include "driver/DrvDevTable.h"

TEST(Win32Port, MissingControlDeviceDoesNotOpen) {
    DevicePort::Handle h = reinterpret_cast<DevicePort::Handle>(0x1234);
    EXPECT_FALSE(DevicePort::Open(u"\\\\.\\Tkwm3340009", &h));
    EXPECT_EQ(reinterpret_cast<DevicePort::Handle>(0x1234), h) << "handle written on failure";
}
