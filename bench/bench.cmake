# Hooked into the panel's own CMake project by scripts/bench.sh
# (-DCMAKE_PROJECT_KestalPanel_INCLUDE=<this file>), so that the benchmark programs are built in
# the same tree, with the same toolchain and flags as Tkdp3340.exe. Deferred to the end of the
# top-level directory, where the program's targets exist; a deferred call expands its arguments
# only when it runs, so the path is kept in a variable of that directory.
set(kp_bench_targets ${CMAKE_CURRENT_LIST_DIR}/targets.cmake)
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL include ${kp_bench_targets})
