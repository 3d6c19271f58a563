@echo off
rem The demo installation's stand-in for the script that imports a salt into
rem the secure store. zerinctl runs it once for each salt it imports:
rem
rem   importsalt.bat VEXA-FOLDER SOPIN VEXA-INI VALID-SOPIN NAME FILE PIN
rem
rem The store is the folder "store" in VEXA-FOLDER, one file NAME.salt per
rem salt, holding the salt's value: FILE's content. SOPIN, VEXA-INI and
rem VALID-SOPIN are the installation's template files; PIN, the script
rem argument given to zerinctl, must equal the first line of SOPIN. A salt
rem that the store holds already is never replaced.
rem
rem Exit code: 0 imported; 1 wrong arguments or a template missing; 2 wrong
rem PIN; 3 the store holds a salt of that name; 4 FILE unreadable or the
rem store not writable.
setlocal
if "%~7"=="" goto usage
if not "%~8"=="" goto usage
set "vexa=%~1"
set "name=%~5"
set "file=%~6"
set "pin=%~7"
set "missing="
if not exist "%~2" set "missing=%~2"
if not exist "%~3" set "missing=%~3"
if not exist "%~4" set "missing=%~4"
if defined missing (
  echo importsalt: no template file %missing% 1>&2
  exit /b 1
)
if "%name:~0,1%"=="." goto badName
if not "%name:\=%"=="%name%" goto badName
if not "%name:/=%"=="%name%" goto badName
set "expected="
rem The first line only; set /p would do on Windows, but Wine's takes the
rem whole file.
for /f "usebackq delims=" %%G in ("%~2") do if not defined expected set "expected=%%G"
if not "%pin%"=="%expected%" (
  echo importsalt: wrong PIN for the secure store 1>&2
  exit /b 2
)

set "salt=%vexa%\store\%name%.salt"
if exist "%salt%" (
  echo importsalt: the secure store holds a salt named %name% already 1>&2
  exit /b 3
)
if not exist "%file%" (
  echo importsalt: cannot read %file% 1>&2
  exit /b 4
)
if not exist "%vexa%\store\" mkdir "%vexa%\store"
copy /b "%file%" "%salt%" >nul 2>nul
if not exist "%salt%" (
  echo importsalt: cannot write %salt% 1>&2
  exit /b 4
)
exit /b 0

:usage
echo usage: importsalt.bat VEXA-FOLDER SOPIN VEXA-INI VALID-SOPIN NAME FILE PIN 1>&2
exit /b 1

:badName
echo importsalt: "%name%" is no salt name 1>&2
exit /b 1
