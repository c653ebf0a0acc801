// Who speaks and about what: drvcheck's build, the installed driver's version, the system.
#pragma once

#include "drvcheck/CheckReport.h"

ReportIdentity ReadIdentity();
