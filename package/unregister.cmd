@echo off
rem Removes the Korvat DrumMap Export wizard's registration. Run as
rem administrator, from the folder that holds the DLL.
regsvr32 /u "%~dp0KorvatDrumMapExport.dll"
exit /b %errorlevel%
