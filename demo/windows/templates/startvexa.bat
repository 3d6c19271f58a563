@echo off
rem The demo installation's stand-in for the script that starts the database
rem server. zerinctl runs it before it starts a repository's engine:
rem
rem   startvexa.bat REPOSITORIES-FOLDER
rem
rem The stand-in database keeps a state folder per repository in the data
rem folder (the folder above REPOSITORIES-FOLDER): databases\NAME, whose file
rem "online" says that the server serves it.
rem
rem Exit code, as zerinctl reads it: 104 when QUARRA_HOME, the database's
rem home folder, is not set; 0 when the server could not be started; anything
rem else (1 here) when it runs.
setlocal
if not defined QUARRA_HOME exit /b 104
if "%QUARRA_HOME%"=="" exit /b 104
if not exist "%QUARRA_HOME%\" (
  echo startvexa: the database home %QUARRA_HOME% is not a folder 1>&2
  exit /b 0
)
set "repositories=%~1"
if not defined repositories goto noRepositories
if not exist "%repositories%\" goto noRepositories

for %%G in ("%repositories%\..") do set "databases=%%~fG\databases"
rem The repositories' names come through dir's output, in the console's code
rem page: UTF-8 while they do, so that none comes out as "?".
set "codepage="
for /f "tokens=2 delims=:." %%C in ('chcp') do set "codepage=%%C"
chcp 65001 >nul 2>nul
rem One command a loop turn: Wine's cmd.exe loses the loop variable inside
rem a block nested in the loop's own block.
for /f "delims=" %%R in ('dir /b /ad "%repositories%"') do (
  if not exist "%databases%\%%R\" mkdir "%databases%\%%R"
  > "%databases%\%%R\online" echo online
)
set "failed="
for /f "delims=" %%R in ('dir /b /ad "%repositories%"') do if not exist "%databases%\%%R\online" set "failed=%%R"
if defined codepage chcp %codepage% >nul 2>nul
if defined failed (
  echo startvexa: cannot write the state of %failed% in %databases% 1>&2
  exit /b 0
)
exit /b 1

:noRepositories
echo startvexa: no repositories folder "%repositories%" 1>&2
exit /b 0
