@echo off
rem The demo installation's stand-in for the script that removes a
rem repository's database. zerinctl runs it when a delete is confirmed:
rem
rem   removevexa.bat REPOSITORIES-FOLDER NAME [USER PASSWORD]
rem
rem USER and PASSWORD come only when QUARRANODENAME is set (a database on a
rem remote node). The stand-in removes the state folder databases\NAME from
rem the data folder (the folder above REPOSITORIES-FOLDER); a repository
rem without one has nothing to remove, which is no error.
rem
rem Exit code, as zerinctl reads it: 104 when QUARRA_HOME, the database's
rem home folder, is not set; 0 when the database could not be removed;
rem anything else (1 here) when it is gone.
setlocal
if not defined QUARRA_HOME exit /b 104
if "%QUARRA_HOME%"=="" exit /b 104
set "name=%~2"
if not defined name goto badName
if "%name:~0,1%"=="." goto badName
if not "%name:\=%"=="%name%" goto badName
if not "%name:/=%"=="%name%" goto badName
if defined QUARRANODENAME if "%~3"=="" (
  echo removevexa: node %QUARRANODENAME% needs a user name and a password 1>&2
  exit /b 0
)

for %%G in ("%~1\..") do set "state=%%~fG\databases\%name%"
if exist "%state%\" rmdir /s /q "%state%"
if exist "%state%\" (
  echo removevexa: cannot remove %state% 1>&2
  exit /b 0
)
exit /b 1

:badName
echo removevexa: "%name%" is no repository name 1>&2
exit /b 0
