# The benchmark programs (i686), defined in the panel's own top-level directory by bench.cmake.
set(kp_bench ${CMAKE_CURRENT_LIST_DIR})
if(NOT WIN32)
    message(FATAL_ERROR "the benchmark programs are Windows programs: use cmake/mingw-i686.cmake")
endif()

# The settings dialog's refresh tick in process: against the in-process simulation loaded from a
# scenario file, and against whatever driver the system has (the Win32 port).
set(kp_bench_tick_libs kp_dialog kp_app_core kp_install kp_framework kp_model kp_text kp_driver
    kp_wine_support comctl32 user32)

add_executable(tickbench_sim ${kp_bench}/tick/TickBench.cpp ${kp_bench}/tick/TickRules.cpp
               ${CMAKE_SOURCE_DIR}/sim/simctl/Scenario.cpp $<TARGET_OBJECTS:kp_res>)
target_compile_definitions(tickbench_sim PRIVATE KP_TICK_IN_PROCESS=1)
target_link_libraries(tickbench_sim PRIVATE ${kp_bench_tick_libs} kp_sim_port kp_warnings)

add_executable(tickbench_drv ${kp_bench}/tick/TickBench.cpp ${kp_bench}/tick/TickRules.cpp
               ${kp_bench}/tick/DriverLog.cpp $<TARGET_OBJECTS:kp_res>)
target_link_libraries(tickbench_drv PRIVATE ${kp_bench_tick_libs} kp_driver_port_win32
                      kp_sim_model kp_warnings)

# Launch-to-visible-dialog times and the working set of dialog programs, started one after the
# other in the same run.
add_executable(launchbench ${kp_bench}/launch/LaunchBench.cpp)
target_compile_definitions(launchbench PRIVATE UNICODE _UNICODE)
target_link_libraries(launchbench PRIVATE kp_warnings user32 psapi)
target_link_options(launchbench PRIVATE -municode)

# The smallest dialog program: one template, DialogBoxParamW, nothing else. The reference of the
# launch figures.
add_executable(mindialog WIN32 ${kp_bench}/mindialog/MinDialog.cpp
               ${kp_bench}/mindialog/MinDialog.rc)
target_compile_definitions(mindialog PRIVATE UNICODE _UNICODE)
target_link_libraries(mindialog PRIVATE kp_warnings user32)
target_link_options(mindialog PRIVATE -municode)

# The settings template alone, from Tkdp3340.exe's resources: the reference of the launch
# overhead.
add_executable(baretemplate WIN32 ${kp_bench}/baretemplate/BareTemplate.cpp
               ${kp_bench}/baretemplate/BareTemplate.rc)
# The x86_64 build's manifest is made in the binary folder of res/.
target_include_directories(baretemplate PRIVATE ${CMAKE_SOURCE_DIR}/res ${CMAKE_BINARY_DIR}/res)
target_compile_definitions(baretemplate PRIVATE UNICODE _UNICODE)
target_link_libraries(baretemplate PRIVATE kp_warnings comctl32 user32)
target_link_options(baretemplate PRIVATE -municode)

# The panel's opening, part by part, through the Win32 port.
add_executable(openbench ${kp_bench}/open/OpenBench.cpp ${kp_bench}/tick/DriverLog.cpp
               ${kp_bench}/tick/TickRules.cpp ${CMAKE_SOURCE_DIR}/sim/simctl/Scenario.cpp
               $<TARGET_OBJECTS:kp_res>)
target_link_libraries(openbench PRIVATE kp_dialog kp_app_core kp_install kp_framework kp_model
                      kp_text kp_driver kp_driver_port_win32 kp_sim_model kp_warnings comctl32
                      user32)
