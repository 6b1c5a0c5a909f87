@echo off
rem Registers the Korvat DrumMap Export wizard, so that Vemba finds it.
rem Run as administrator, from the folder that holds the DLL. On 64-bit
rem Windows regsvr32 hands a 32-bit module to its 32-bit counterpart itself.
regsvr32 "%~dp0KorvatDrumMapExport.dll"
exit /b %errorlevel%
