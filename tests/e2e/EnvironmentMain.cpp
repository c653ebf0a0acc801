// Every suite that runs Windows programs shares the prefix set-up of the harness.
#include "tests/e2e/Harness.h"

static ::testing::Environment* const g_pEnvironment =
    ::testing::AddGlobalTestEnvironment(new e2e::Environment);
