@echo off
rem Runs the settings panel's test suites of this kit on Windows: run-tests.cmd [i686|x86_64|both]
rem (default both). Needs cmd.exe only. Each suite writes results\SUITE-ARCH.xml (GoogleTest's
rem own XML) and results\SUITE-ARCH.log (what it printed); results\summary.txt holds the lines
rem printed here. A suite that did not run (missing, ended without its results, needs
rem elevation) and an architecture asked for that this machine cannot run count as one failure
rem each. Exit code 0 when every test passed, 1 otherwise.
setlocal EnableExtensions EnableDelayedExpansion

rem The suites in the order they run, and the arguments each needs. Keep in step with the
rem Wine suites of the build: scripts/windows-kit.sh refuses a kit whose list differs.
set "suites=wine_core_tests wine_win32port_tests wine_resources_tests wine_framework_tests wine_install_tests wine_dialog_tests wine_levels_tests wine_commands_tests wine_refresh_tests"
rem The German readme cases need a German user interface; the rest of the suite an English one.
set "args_wine_install_tests=--gtest_filter=-GermanReadme.*"
rem Exit code of a suite that may not write the installation key without elevation.
set needs_elevation=77

set "want=%~1"
if "%want%"=="" set want=both
if /i "%want%"=="both" (
    set "archs=i686 x86_64"
) else if /i "%want%"=="i686" (
    set archs=i686
) else if /i "%want%"=="x86_64" (
    set archs=x86_64
) else (
    echo usage: run-tests.cmd [i686^|x86_64^|both]
    exit /b 2
)

set "kit=%~dp0"
set "results=%kit%results"
if exist "%results%" rd /s /q "%results%"
md "%results%"
if not exist "%results%\" (
    echo cannot make "%results%"
    exit /b 1
)
set "summary=%results%\summary.txt"
type nul >"%summary%"
ver >"%results%\machine.txt"
echo PROCESSOR_ARCHITECTURE=%PROCESSOR_ARCHITECTURE% PROCESSOR_ARCHITEW6432=%PROCESSOR_ARCHITEW6432%>>"%results%\machine.txt"
echo asked for: %want%>>"%results%\machine.txt"
if exist "%kit%commit.txt" copy /y "%kit%commit.txt" "%results%\commit.txt" >nul

set /a all_passed=0, all_failed=0
for %%a in (%archs%) do call :run_arch %%a
call :say "%all_passed% passed, %all_failed% failed"
if %all_failed% neq 0 exit /b 1
exit /b 0

rem One architecture: every suite, or one failure when its programs do not start here.
:run_arch
set "arch=%~1"
set "dir=%kit%%arch%"
if not exist "%dir%\wine_core_tests.exe" (
    call :say "%arch%: not in this kit"
    set /a all_failed+=1
    exit /b 0
)
rem A program Windows cannot start ends with a code other than 0, negative ones included.
"%dir%\wine_core_tests.exe" --gtest_list_tests >nul 2>&1
if %errorlevel% neq 0 (
    call :say "%arch%: its programs cannot run on this machine; none of its suites ran"
    set /a all_failed+=1
    exit /b 0
)
for %%s in (%suites%) do call :run_suite %%s
exit /b 0

rem One suite of one architecture: runs it and counts its XML.
:run_suite
set "suite=%~1"
set "name=%arch% %suite%"
set "exe=%dir%\%suite%.exe"
set "xml=%results%\%suite%-%arch%.xml"
set "log=%results%\%suite%-%arch%.log"
set "extra=!args_%suite%!"
if not exist "%exe%" (
    call :say "%name%: missing from the kit; 0 passed, 1 failed"
    set /a all_failed+=1
    exit /b 0
)
echo %name%: running
"%exe%" "--gtest_output=xml:%xml%" %extra% >"%log%" 2>&1
set code=%errorlevel%
if "%code%"=="%needs_elevation%" (
    call :say "%name%: needs elevation, did not run: start run-tests.cmd from a command prompt opened with Run as administrator; 0 passed, 1 failed"
    set /a all_failed+=1
    exit /b 0
)
if not exist "%xml%" (
    call :say "%name%: ended with exit code %code% and left no results, see %suite%-%arch%.log; 0 passed, 1 failed"
    set /a all_failed+=1
    exit /b 0
)
set /a tests=0, failures=0, disabled=0, errors=0, skipped=0
set seen=
for /f "usebackq tokens=1-9 delims== " %%a in ("%xml%") do (
    if "%%a"=="<testsuites" if not defined seen (
        set seen=1
        call :attributes %%b %%c %%d %%e %%f %%g %%h %%i
    )
)
for /f "usebackq tokens=1" %%a in ("%xml%") do if "%%a"=="<skipped" set /a skipped+=1
set /a failed=failures+errors
set /a passed=tests-failed-disabled-skipped
set note=
if %code% neq 0 if %failed% equ 0 (
    set /a failed=1
    set "note= (ended with exit code %code% though no test failed)"
)
if not defined seen (
    set /a passed=0, failed=1
    set "note= (its XML has no totals)"
)
if %skipped% neq 0 set "note=%note% (%skipped% skipped)"
call :say "%name%: %passed% passed, %failed% failed%note%"
set /a all_passed+=passed, all_failed+=failed
exit /b 0

rem Name-value pairs of the XML's first element: tests, failures, disabled, errors.
:attributes
if "%~1"=="" exit /b 0
if "%~1"=="tests" set /a tests=%~2
if "%~1"=="failures" set /a failures=%~2
if "%~1"=="disabled" set /a disabled=%~2
if "%~1"=="errors" set /a errors=%~2
shift
shift
goto attributes

rem A line on the console and in results\summary.txt.
:say
echo %~1
>>"%summary%" echo %~1
exit /b 0
