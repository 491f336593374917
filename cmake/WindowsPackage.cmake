# The Windows packages, from build-windows: cpack -G ZIP gives a portable folder, cpack -G NSIS an installer made with
# Debian's makensis. The installer adds the window to the Start menu, offers to put varnuth-convert.exe on the PATH
# and to open .srt files with the window, and registers an uninstaller that undoes all three.
install(FILES README.md DESTINATION . RENAME README.txt)
install(FILES packaging/copyright DESTINATION . RENAME COPYRIGHT.txt)

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME Varnuth)
set(CPACK_PACKAGE_VENDOR Tavendrel)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "subtitle script converter for DVD and video subtitling")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://varnuth.org/")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Varnuth)
set(CPACK_SYSTEM_NAME win64)
set(CPACK_STRIP_FILES ON)
set(CPACK_NSIS_DISPLAY_NAME Varnuth)
set(CPACK_NSIS_PACKAGE_NAME Varnuth)
set(CPACK_NSIS_MODIFY_PATH ON)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MENU_LINKS README.txt "Varnuth README")
set(CPACK_NSIS_URL_INFO_ABOUT "${CPACK_PACKAGE_HOMEPAGE_URL}")
set(CPACK_PACKAGE_EXECUTABLES varnuth Varnuth)
set(CPACK_NSIS_MUI_ICON "${CMAKE_CURRENT_SOURCE_DIR}/win32/varnuth.ico")
set(CPACK_NSIS_MUI_UNIICON "${CMAKE_CURRENT_SOURCE_DIR}/win32/varnuth.ico")
# The values below reach the NSIS script as they stand, backslashes and quotes included.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_NSIS_INSTALLED_ICON_NAME [[bin\varnuth.exe]])

# .srt files open with the window when the user leaves the last page's box checked, which is not checked at first.
# The ProgID is the program's own; .srt's previous default is kept beside it and comes back when Varnuth is
# uninstalled. SHCTX is the machine's classes for an administrator, else the user's, as for the rest of the
# installation. SHChangeNotify(SHCNE_ASSOCCHANGED) has Explorer show the change at once.
set(CPACK_NSIS_DEFINES [[
!define MUI_FINISHPAGE_SHOWREADME
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Open .srt files with Varnuth"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION OpenSubRipWithVarnuth
Function OpenSubRipWithVarnuth
  WriteRegStr SHCTX "Software\Classes\Varnuth.SubRip" "" "SubRip subtitles"
  WriteRegStr SHCTX "Software\Classes\Varnuth.SubRip\DefaultIcon" "" "$INSTDIR\bin\varnuth.exe,0"
  WriteRegStr SHCTX "Software\Classes\Varnuth.SubRip\shell\open\command" "" '"$INSTDIR\bin\varnuth.exe" "%1"'
  ReadRegStr $0 SHCTX "Software\Classes\.srt" ""
  StrCmp $0 "Varnuth.SubRip" +2
  WriteRegStr SHCTX "Software\Classes\.srt" "Varnuth.Before" $0
  WriteRegStr SHCTX "Software\Classes\.srt" "" "Varnuth.SubRip"
  WriteRegStr SHCTX "Software\Classes\.srt\OpenWithProgids" "Varnuth.SubRip" ""
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
FunctionEnd
]])
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [[
  DeleteRegKey SHCTX "Software\Classes\Varnuth.SubRip"
  DeleteRegValue SHCTX "Software\Classes\.srt\OpenWithProgids" "Varnuth.SubRip"
  ReadRegStr $0 SHCTX "Software\Classes\.srt" ""
  StrCmp $0 "Varnuth.SubRip" 0 varnuthWasNotDefault
  ReadRegStr $0 SHCTX "Software\Classes\.srt" "Varnuth.Before"
  WriteRegStr SHCTX "Software\Classes\.srt" "" $0
  StrCmp $0 "" 0 varnuthWasNotDefault
  DeleteRegValue SHCTX "Software\Classes\.srt" ""
varnuthWasNotDefault:
  DeleteRegValue SHCTX "Software\Classes\.srt" "Varnuth.Before"
  DeleteRegKey /ifempty SHCTX "Software\Classes\.srt\OpenWithProgids"
  DeleteRegKey /ifempty SHCTX "Software\Classes\.srt"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
]])
include(CPack)
