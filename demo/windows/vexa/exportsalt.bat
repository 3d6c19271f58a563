@echo off
rem The demo installation's stand-in for the script that exports a salt from
rem the secure store. zerinctl runs it once for each salt it exports:
rem
rem   exportsalt.bat VEXA-FOLDER SOPIN VEXA-INI NAME FILE PIN
rem
rem (zerinctl passes an empty argument after VEXA-INI, which cmd.exe drops.)
rem The store is the folder "store" in VEXA-FOLDER, one file NAME.salt per
rem salt; the export writes the salt's value to FILE, replacing it. SOPIN
rem and VEXA-INI are the installation's template files; PIN, the script
rem argument given to zerinctl, must equal the first line of SOPIN.
rem
rem Exit code: 0 exported; 1 wrong arguments or a template missing; 2 wrong
rem PIN; 3 no salt of that name in the store; 4 FILE not writable.
setlocal
if "%~6"=="" goto usage
if not "%~7"=="" goto usage
set "vexa=%~1"
set "name=%~4"
set "file=%~5"
set "pin=%~6"
set "missing="
if not exist "%~2" set "missing=%~2"
if not exist "%~3" set "missing=%~3"
if defined missing (
  echo exportsalt: no template file %missing% 1>&2
  exit /b 1
)
set "expected="
rem The first line only; set /p would do on Windows, but Wine's takes the
rem whole file.
for /f "usebackq delims=" %%G in ("%~2") do if not defined expected set "expected=%%G"
if not "%pin%"=="%expected%" (
  echo exportsalt: wrong PIN for the secure store 1>&2
  exit /b 2
)

if "%name:~0,1%"=="." goto noSalt
if not "%name:\=%"=="%name%" goto noSalt
if not "%name:/=%"=="%name%" goto noSalt
set "salt=%vexa%\store\%name%.salt"
if not exist "%salt%" goto noSalt
if exist "%file%" del /f /q "%file%"
copy /b "%salt%" "%file%" >nul 2>nul
if not exist "%file%" (
  echo exportsalt: cannot write %file% 1>&2
  exit /b 4
)
exit /b 0

:usage
echo usage: exportsalt.bat VEXA-FOLDER SOPIN VEXA-INI NAME FILE PIN 1>&2
exit /b 1

:noSalt
echo exportsalt: the secure store holds no salt named "%name%" 1>&2
exit /b 3
