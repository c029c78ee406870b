@echo off
rem Runs hemwright.exe as the host would, on a copy of examples\basic in a new
rem folder under %TEMP% (examples\basic stays as it is), and shows the
rem stamped file and output.xml. The copy is kept; its path is printed.
rem Ends with hemwright's exit code. (No parenthesised blocks: a folder name
rem such as "Program Files (x86)" would end them early.)
setlocal
set "here=%~dp0"
set "work=%TEMP%\hemwright-example-%RANDOM%%RANDOM%"
if exist "%work%" goto taken
mkdir "%work%"
if errorlevel 1 goto nocopy
xcopy "%here%examples\basic" "%work%\" /e /i /q >nul
if errorlevel 1 goto nocopy
echo == working folder (a copy of examples\basic): %work%
echo == files\report.txt before:
type "%work%\files\report.txt"
echo.
pushd "%work%"
"%here%hemwright.exe"
set "code=%ERRORLEVEL%"
popd
echo == exit code: %code%
echo == files\report.txt after:
type "%work%\files\report.txt"
echo.
echo == output.xml:
if exist "%work%\output.xml" type "%work%\output.xml"
echo == the copy is kept in %work%; delete it when done.
exit /b %code%

:taken
echo try-example: %work% exists already; run it again.
exit /b 1

:nocopy
echo try-example: could not copy %here%examples\basic to %work%
exit /b 1
