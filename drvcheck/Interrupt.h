// Ctrl-C during a run: the handler only raises a flag; the run notices it between two requests,
// puts back what it changed and ends.
#pragma once

void CatchInterrupt();
bool Interrupted();
