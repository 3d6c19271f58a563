@echo off
rem The demo installation's stand-in for the script that lists the salts of
rem the secure store. zerinctl runs it before it exports all salts:
rem
rem   listsalt.bat VEXA-FOLDER SOPIN VEXA-INI LIST-FILE
rem
rem The store is the folder "store" in VEXA-FOLDER, one file NAME.salt per
rem salt; LIST-FILE receives one salt name a line, in the order of the
rem names. SOPIN and VEXA-INI are the installation's template files.
rem
rem Exit code: 0 listed; 1 wrong arguments or a template missing; 4
rem LIST-FILE not writable.
setlocal
if "%~4"=="" goto usage
if not "%~5"=="" goto usage
set "missing="
if not exist "%~2" set "missing=%~2"
if not exist "%~3" set "missing=%~3"
if defined missing (
  echo listsalt: no template file %missing% 1>&2
  exit /b 1
)

set "list=%~4"
type nul> "%list%"
if not exist "%list%" (
  echo listsalt: cannot write %list% 1>&2
  exit /b 4
)
if not exist "%~1\store\*.salt" exit /b 0
rem The names travel through text (dir's output, then echo) in the console's
rem code page, where a character outside it would come out as "?": UTF-8,
rem as zerinctl reads the list, while the listing runs. (Wine's cmd.exe
rem reads dir's output back in its legacy code page whatever chcp says, and
rem without a console chcp changes nothing: zerinctl refuses the "?"s.)
set "codepage="
for /f "tokens=2 delims=:." %%C in ('chcp') do set "codepage=%%C"
chcp 65001 >nul 2>nul
for /f "delims=" %%G in ('dir /b /a-d /on "%~1\store\*.salt"') do >> "%list%" echo %%~nG
if defined codepage chcp %codepage% >nul 2>nul
exit /b 0

:usage
echo usage: listsalt.bat VEXA-FOLDER SOPIN VEXA-INI LIST-FILE 1>&2
exit /b 1
