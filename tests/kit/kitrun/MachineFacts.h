// What machine.txt records of the machine the kit runs on, one "name: value" line each.
#pragma once

#include <cstdio>

namespace kitrun {

void PrintMachineFacts(std::FILE* out);

// Whether this program's standard input is a console a person types into.
bool InputIsConsole();

}  // namespace kitrun
