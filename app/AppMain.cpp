// The program's one application object.
#include "app/DrvPropApp.h"

CDrvPropApp theApp;
