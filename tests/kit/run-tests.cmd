@echo off
rem Runs the settings panel's test suites of this kit on Windows:
rem   run-tests.cmd [i686|x86_64|both] [--time-limit SECONDS] [SUITE...]
rem   run-tests.cmd --restore
rem Architecture both by default, every suite by default, each for at most SECONDS (default 600)
rem before it is ended and counted as failed. Each suite writes results\SUITE-ARCH.xml
rem (GoogleTest's own XML) and results\SUITE-ARCH.log (what it printed); results\summary.txt
rem holds the lines printed here. A suite that did not run (missing, ended without its results,
rem needs elevation) and an architecture asked for whose programs do not start here count as
rem one failure each. Exit code 0 when every test passed, 1 otherwise.
rem Before the first suite the installation key is exported (both registry views, the machine's
rem and the user's classes) into results\installation-key; after a suite that did not end
rem cleanly, and at the end, a key that differs from the export is put back from it.
rem --restore puts it back by hand, after a run that was itself ended from outside.
rem No delayed expansion anywhere: it would eat a "!" of the kit's folder name.
setlocal EnableExtensions DisableDelayedExpansion

rem The suites in the order they run, and the arguments each needs. Keep in step with the
rem Wine suites of the build: scripts/windows-kit.sh refuses a kit whose list differs.
set "suites=wine_core_tests wine_win32port_tests wine_resources_tests wine_framework_tests wine_install_tests wine_dialog_tests wine_levels_tests wine_commands_tests wine_refresh_tests"
rem The German readme cases need a German user interface; the rest of the suite an English one.
set "args_wine_install_tests=--gtest_filter=-GermanReadme.*"
rem Exit code of a suite that may not write the installation key without elevation.
set needs_elevation=77
rem Exit code of kitrun.exe when the time limit ended a suite.
set timed_out=124
set "key=CLSID\{5E2B91C4-07D3-4f6a-B812-3CA9D40E7F15}\TKID0340"
set "parent=CLSID\{5E2B91C4-07D3-4f6a-B812-3CA9D40E7F15}"

set "me=%~nx0"
set "kit=%~dp0"
set "results=%kit%results"
set "saved=%results%\installation-key"
set "unfinished=%saved%\run-not-finished.txt"
set "summary=%results%\summary.txt"

set archs=
set chosen=
set restore=
set limit=600
:arguments
if "%~1"=="" goto arguments_read
if /i "%~1"=="--restore" (
    set restore=1
) else if /i "%~1"=="--time-limit" (
    set "limit=%~2"
    shift
) else if /i "%~1"=="both" (
    set "archs=i686 x86_64"
) else if /i "%~1"=="i686" (
    set archs=i686
) else if /i "%~1"=="x86_64" (
    set archs=x86_64
) else (
    call :is_suite "%~1"
    if not defined found goto usage
    call set "chosen=%%chosen%% %~1"
)
shift
goto arguments
:arguments_read
set /a number=limit+0 2>nul
if not "%number%"=="%limit%" goto usage
if %limit% lss 1 goto usage
if not defined archs set "archs=i686 x86_64"
set "run_list=%suites%"
if defined chosen set "run_list=%chosen%"
call :find_kitrun
if defined restore goto restore_by_hand

if exist "%unfinished%" (
    echo A run of run-tests.cmd did not finish: the installation key it saved is in
    echo "%saved%".
    echo Put the key back first with "run-tests.cmd --restore" ^(elevated^), then run again.
    call :finish 1
    exit /b 1
)
if exist "%results%" rd /s /q "%results%"
md "%saved%" 2>nul
if not exist "%saved%\" (
    echo cannot make "%saved%"
    call :finish 1
    exit /b 1
)
type nul >"%summary%"
ver >"%results%\machine.txt"
>>"%results%\machine.txt" echo PROCESSOR_ARCHITECTURE=%PROCESSOR_ARCHITECTURE% PROCESSOR_ARCHITEW6432=%PROCESSOR_ARCHITEW6432%
>>"%results%\machine.txt" echo asked for: %archs%
if defined kitrun "%kitrun%" machine >>"%results%\machine.txt" 2>nul
if exist "%kit%commit.txt" copy /y "%kit%commit.txt" "%results%\commit.txt" >nul

call :save_key
if errorlevel 1 (
    call :say "the installation key could not be exported into results\installation-key; no suite ran; 0 passed, 1 failed"
    call :finish 1
    exit /b 1
)

set /a all_passed=0, all_failed=0
for %%a in (%archs%) do call :run_arch %%a
call :put_back_if_changed "after the last suite"
if not defined key_lost del "%unfinished%"
call :say "%all_passed% passed, %all_failed% failed"
if %all_failed% neq 0 (
    call :finish 1
    exit /b 1
)
call :finish 0
exit /b 0

:usage
echo usage: run-tests.cmd [i686^|x86_64^|both] [--time-limit SECONDS] [SUITE...]
echo        run-tests.cmd --restore
call :finish 2
exit /b 2

rem By hand: the saved key back in every view, whatever it holds now.
:restore_by_hand
if not exist "%saved%\HKLM-32.*" (
    echo nothing to put back: "%saved%" holds no saved installation key
    call :finish 1
    exit /b 1
)
call :restore_key
if defined restore_failed (
    echo the installation key could not be put back: run run-tests.cmd --restore from a
    echo command prompt opened with Run as administrator
    call :finish 1
    exit /b 1
)
if exist "%unfinished%" del "%unfinished%"
echo the installation key is back as it was saved before the run
call :finish 0
exit /b 0

rem Sets found when the name is one of the suites.
:is_suite
set found=
for %%s in (%suites%) do if /i "%%s"=="%~1" set found=1
exit /b 0

rem kitrun.exe of the first architecture whose programs start here (its "machine" succeeds).
:find_kitrun
set kitrun=
for %%a in (i686 x86_64) do call :try_kitrun %%a
exit /b 0

:try_kitrun
if defined kitrun exit /b 0
"%kit%%~1\kitrun.exe" machine >nul 2>&1
if not errorlevel 1 set "kitrun=%kit%%~1\kitrun.exe"
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
if not defined kitrun (
    call :say "%arch%: Windows started none of the kit's programs, of either architecture: an unsigned program may be blocked by Smart App Control, Microsoft Defender or SmartScreen, see README.txt, If Windows blocks the programs; none of its suites ran"
    set /a all_failed+=1
    exit /b 0
)
"%kitrun%" can-start "%dir%\wine_core_tests.exe" >nul 2>&1
set start=%errorlevel%
if not "%start%"=="0" (
    call :cannot_start %start%
    set /a all_failed+=1
    exit /b 0
)
for %%s in (%run_list%) do call :run_suite %%s
exit /b 0

rem Why the programs of an architecture did not start: kitrun's answer, a Win32 error.
:cannot_start
set "why=Windows did not start its programs (error %~1)"
if "%~1"=="1" set "why=its programs start but wine_core_tests.exe --gtest_list_tests failed"
if "%~1"=="193" set "why=this Windows cannot run %arch% programs (error 193)"
if "%~1"=="216" set "why=this Windows cannot run %arch% programs (error 216): 32-bit Windows runs only i686"
if "%~1"=="225" set "why=Microsoft Defender or another virus scanner blocked its unsigned programs (error 225), see README.txt, If Windows blocks the programs"
if "%~1"=="1260" set "why=a policy of this machine blocked its unsigned programs (error 1260), see README.txt, If Windows blocks the programs"
if %~1 geq 4550 if %~1 leq 4580 set "why=Smart App Control or an App Control policy blocked its unsigned programs (error %~1), see README.txt, If Windows blocks the programs"
call :say "%arch%: %why%; none of its suites ran"
exit /b 0

rem One suite of one architecture: runs it under the time limit and counts its XML.
:run_suite
set "suite=%~1"
set "name=%arch% %suite%"
set "exe=%dir%\%suite%.exe"
set "xml=%results%\%suite%-%arch%.xml"
set "log=%results%\%suite%-%arch%.log"
call set "extra=%%args_%suite%%%"
if not exist "%exe%" (
    call :say "%name%: missing from the kit; 0 passed, 1 failed"
    set /a all_failed+=1
    exit /b 0
)
echo %name%: running
"%kitrun%" run %limit% "%exe%" "--gtest_output=xml:%xml%" %extra% >"%log%" 2>&1
set code=%errorlevel%
set clean=
if exist "%xml%" if "%code%"=="0" set clean=1
if exist "%xml%" if "%code%"=="1" set clean=1
if "%code%"=="%needs_elevation%" set clean=1
if not defined clean call :put_back_if_changed "after %name%"
if "%code%"=="%needs_elevation%" (
    call :say "%name%: needs elevation, did not run: start run-tests.cmd from a command prompt opened with Run as administrator; 0 passed, 1 failed"
    set /a all_failed+=1
    exit /b 0
)
if "%code%"=="%timed_out%" (
    call :say "%name%: did not end within the time limit of %limit% s and was ended, see %suite%-%arch%.log; 0 passed, 1 failed"
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
if %skipped% neq 0 call set "note=%%note%% (%skipped% skipped)"
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

rem The installation key of each registry view, the machine's classes and the user's apart so
rem that each goes back where it was: KEY.reg, or KEY.absent, or KEY.no-parent when the key's
rem parent was missing too. run-not-finished.txt marks a run that has yet to check the key.
:save_key
>"%unfinished%" echo run-tests.cmd saved the installation key here; run-tests.cmd --restore puts it back
set save_failed=
for %%r in (HKLM HKCU) do for %%v in (32 64) do call :save_view %%r %%v
if defined save_failed exit /b 1
exit /b 0

:save_view
set "where=%~1\Software\Classes"
set "file=%saved%\%~1-%~2"
reg query "%where%\%parent%" /reg:%~2 >nul 2>&1
if errorlevel 1 (
    type nul >"%file%.no-parent"
    exit /b 0
)
reg query "%where%\%key%" /reg:%~2 >nul 2>&1
if errorlevel 1 (
    type nul >"%file%.absent"
    exit /b 0
)
reg export "%where%\%key%" "%file%.reg" /reg:%~2 /y >nul 2>&1
if errorlevel 1 set save_failed=1
exit /b 0

rem Every view whose key differs from its export is put back; a line says so.
:put_back_if_changed
rem Without kitrun.exe no suite ran.
if not defined kitrun exit /b 0
set changed=
for %%r in (HKLM HKCU) do for %%v in (32 64) do call :check_view %%r %%v
if not defined changed exit /b 0
call :restore_key
if defined restore_failed (
    set key_lost=1
    call :say "%~1: the installation key had changed and could not be put back: run run-tests.cmd --restore from a command prompt opened with Run as administrator"
) else (
    call :say "%~1: the installation key had changed and was put back as saved before the run"
)
exit /b 0

:check_view
set "where=%~1\Software\Classes"
set "file=%saved%\%~1-%~2"
set "what=%where%\%key%"
if exist "%file%.no-parent" set "what=%where%\%parent%"
if exist "%file%.reg" goto check_export
reg query "%what%" /reg:%~2 >nul 2>&1
if not errorlevel 1 set changed=1
exit /b 0
:check_export
if exist "%file%.now.reg" del "%file%.now.reg"
reg export "%what%" "%file%.now.reg" /reg:%~2 /y >nul 2>&1
if errorlevel 1 (
    set changed=1
    exit /b 0
)
"%kitrun%" same "%file%.reg" "%file%.now.reg"
if errorlevel 1 set changed=1
del "%file%.now.reg"
exit /b 0

:restore_key
set restore_failed=
for %%r in (HKLM HKCU) do for %%v in (32 64) do call :restore_view %%r %%v
exit /b 0

:restore_view
set "where=%~1\Software\Classes"
set "file=%saved%\%~1-%~2"
set "what=%where%\%key%"
if exist "%file%.no-parent" set "what=%where%\%parent%"
if exist "%file%.reg" goto restore_export
if not exist "%file%.absent" if not exist "%file%.no-parent" (
    set restore_failed=1
    exit /b 0
)
reg delete "%what%" /reg:%~2 /f >nul 2>&1
reg query "%what%" /reg:%~2 >nul 2>&1
if not errorlevel 1 set restore_failed=1
exit /b 0
:restore_export
reg delete "%what%" /reg:%~2 /f >nul 2>&1
reg import "%file%.reg" /reg:%~2 >nul 2>&1
if errorlevel 1 set restore_failed=1
exit /b 0

rem A window opened for this script alone (a double click, Run as administrator) closes when
rem it ends: keep it open until a key is pressed, unless the input is not a person's console.
:finish
setlocal EnableDelayedExpansion
set "line=!cmdcmdline!"
if /i "!line:/c=!"=="!line!" exit /b 0
if /i "!line:%me%=!"=="!line!" exit /b 0
endlocal
if not defined kitrun goto wait_for_key
"%kitrun%" console-input
if errorlevel 1 exit /b 0
:wait_for_key
echo.
pause
exit /b 0

rem A line on the console and in results\summary.txt.
:say
echo %~1
>>"%summary%" echo %~1
exit /b 0
