// Every resource id of the program.
#pragma once

#define IDR_MANIFEST 1
