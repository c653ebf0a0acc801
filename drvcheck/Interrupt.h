// How a run is ended from outside: Ctrl-C, Ctrl-Break, closing the console, logging off or
// shutting down. The handler only raises a flag; the run notices it between two requests, puts
// back what it changed and ends. For the events after which Windows ends the process once the
// handler returns, the handler waits (bounded) until the run says it has finished.
#pragma once

void CatchInterrupt();
bool Interrupted();
// "Ctrl-C", "Ctrl-Break", "console closed", "log-off", "shutdown"; empty when not interrupted.
const char* InterruptName();
// The run has put back what it changed and written its report: a waiting handler may return.
void RunFinished();
