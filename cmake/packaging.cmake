# Where the programs go when installed, and the packages CPack makes of that:
#   on Linux a Debian package (cpack -G DEB, or the target `package`): the programs in /usr/bin,
#     the help text in /usr/share/varkon, the README and a sample param.ini in
#     /usr/share/doc/varkon, the service unit varkond@.service and its system user;
#   on Windows (the mingw cross build) an NSIS installer: everything in one program folder,
#     C:\Varkon unless the installer is told otherwise, which is also the working folder of the
#     Start-menu entries, so that param.ini and the help text lie where the programs look.
set(CPACK_PACKAGE_NAME varkon)
set(CPACK_PACKAGE_VENDOR Varkon)
set(CPACK_PACKAGE_CONTACT "Varkon developers <varkon@varkon.gr>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Prints shop receipts on a Greek cash register")
set(CPACK_PACKAGE_DESCRIPTION [[
Varkon sits beside the shop's host application: it takes the print files
the host writes, sends each receipt to the cash register over a serial line
and tells the host the outcome. varkon is the desktop program, varkond the
same engine as a service (varkond@.service runs one till per instance), and
varkon-sim a virtual register for trying it out.]])
set(CPACK_STRIP_FILES ON)
# The licence (LICENSE) and the changelog reach the packages as copies made here.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/packaging/changelog)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
# The values below reach the package tools as written here.
set(CPACK_VERBATIM_VARIABLES ON)
set(packaging ${PROJECT_SOURCE_DIR}/packaging)

if(WIN32)
    install(TARGETS varkond RUNTIME DESTINATION .)
    install(FILES varkon.txt DESTINATION .)
    install(FILES ${packaging}/param.ini DESTINATION examples)
    # The desktop program is built with Qt's own kit into a folder of its own (varkon.exe, the Qt
    # DLLs and plugin folders beside it). When the environment variable VARKON_DESKTOP_DIR names
    # that folder at install time (cpack), it is taken whole, less the test and benchmark
    # programs and a varkond.exe of its own: this build's is the one tested under wine.
    install(CODE [[
        set(desktop "$ENV{VARKON_DESKTOP_DIR}")
        if(desktop)
            if(NOT EXISTS "${desktop}/varkon.exe")
                message(FATAL_ERROR "VARKON_DESKTOP_DIR ${desktop} holds no varkon.exe")
            endif()
            file(INSTALL "${desktop}/" DESTINATION "${CMAKE_INSTALL_PREFIX}" USE_SOURCE_PERMISSIONS
                PATTERN "*_tests.exe" EXCLUDE
                PATTERN "*_bench.exe" EXCLUDE
                PATTERN "varkond.exe" EXCLUDE)
        endif()
    ]])

    # NSIS on Linux: Debian's makensis has the 64-bit stubs, and a 64-bit installer is what a
    # wine without its 32-bit half can run. The program the Start menu and Add/Remove Programs
    # show is the desktop program when the installer holds it.
    set(CPACK_GENERATOR NSIS)
    # The installer shows the licence before it installs (a page the silent install skips);
    # its text box wants CR LF line ends.
    file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
    string(REPLACE "\n" "\r\n" licence "${licence}")
    file(WRITE ${CMAKE_BINARY_DIR}/packaging/LICENSE.txt "${licence}")
    set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_BINARY_DIR}/packaging/LICENSE.txt)
    set(CPACK_NSIS_DEFINES [[
Target amd64-unicode
!macro VarkonMainProgram VAR
  StrCpy ${VAR} "varkond.exe"
  IfFileExists "$INSTDIR\varkon.exe" 0 +2
    StrCpy ${VAR} "varkon.exe"
!macroend]])
    set(CPACK_PACKAGE_FILE_NAME varkon-${PROJECT_VERSION}-setup)
    # A folder the shop's user may write to: the program writes receipt.txt, its job record and
    # (through the settings dialog) param.ini where it runs.
    set(CPACK_NSIS_INSTALL_ROOT "C:")
    set(CPACK_PACKAGE_INSTALL_DIRECTORY Varkon)
    set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Varkon)
    set(CPACK_NSIS_PACKAGE_NAME Varkon)
    set(CPACK_NSIS_DISPLAY_NAME Varkon)
    # An upgrade runs the installed uninstaller first (without asking when silent); that leaves
    # the shop's param.ini and everything the program wrote.
    set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
    # The sample settings become param.ini only where there is none yet; Add/Remove Programs
    # learns where the program is and how to remove it without questions.
    set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [[
  IfFileExists "$INSTDIR\param.ini" +2 0
    CopyFiles /SILENT "$INSTDIR\examples\param.ini" "$INSTDIR\param.ini"
  !insertmacro VarkonMainProgram $0
  WriteRegStr SHCTX "Software\Microsoft\Windows\CurrentVersion\Uninstall\Varkon" "DisplayIcon" "$INSTDIR\$0"
  WriteRegStr SHCTX "Software\Microsoft\Windows\CurrentVersion\Uninstall\Varkon" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "Software\Microsoft\Windows\CurrentVersion\Uninstall\Varkon" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S']])
    # The shortcuts start in the program folder: CreateShortCut gives them $OUTDIR to start in.
    set(CPACK_NSIS_CREATE_ICONS_EXTRA [[
  SetOutPath "$INSTDIR"
  !insertmacro VarkonMainProgram $0
  CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\Varkon.lnk" "$INSTDIR\$0"
  CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\Varkon help.lnk" "$INSTDIR\varkon.txt"
  CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\Varkon settings.lnk" "$INSTDIR\param.ini"]])
    set(CPACK_NSIS_DELETE_ICONS_EXTRA [[
  Delete "$SMPROGRAMS\$MUI_TEMP\Varkon.lnk"
  Delete "$SMPROGRAMS\$MUI_TEMP\Varkon help.lnk"
  Delete "$SMPROGRAMS\$MUI_TEMP\Varkon settings.lnk"]])
elseif(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    install(TARGETS varkond varkon-sim RUNTIME DESTINATION bin)
    if(TARGET varkon)
        install(TARGETS varkon RUNTIME DESTINATION bin)
    else()
        message(STATUS "The package holds no desktop program varkon: Qt 6 Widgets not found")
    endif()
    install(FILES varkon.txt DESTINATION share/varkon)
    install(FILES README.md DESTINATION share/doc/varkon)
    # What Debian wants of every package's documentation folder: the licence in the
    # machine-readable copyright format (the LICENSE text), and the changelog compressed the
    # reproducible way (no name, no time stamp).
    install(FILES ${packaging}/copyright DESTINATION share/doc/varkon)
    execute_process(COMMAND gzip -9nc ${packaging}/changelog
        OUTPUT_FILE ${CMAKE_BINARY_DIR}/packaging/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
    install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION share/doc/varkon)
    # A manual page for each program in /usr/bin.
    set(pages varkond.1 varkon-sim.1)
    if(TARGET varkon)
        list(APPEND pages varkon.1)
    endif()
    foreach(page ${pages})
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${packaging}/man/${page})
        execute_process(COMMAND gzip -9nc ${packaging}/man/${page}
            OUTPUT_FILE ${CMAKE_BINARY_DIR}/packaging/${page}.gz COMMAND_ERROR_IS_FATAL ANY)
        install(FILES ${CMAKE_BINARY_DIR}/packaging/${page}.gz DESTINATION share/man/man1)
    endforeach()
    install(FILES ${packaging}/param.ini DESTINATION share/doc/varkon/examples)
    install(FILES ${packaging}/varkond@.service DESTINATION lib/systemd/system)
    install(FILES ${packaging}/sysusers.conf DESTINATION lib/sysusers.d RENAME varkon.conf)

    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION misc)
    # The libraries come from dpkg-shlibdeps; the platform plugin that shows the window is only
    # recommended by Qt's packages, and the help text opens through xdg-open.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    if(TARGET varkon)
        set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
        set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
    endif()
    set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
        ${packaging}/deb/postinst ${packaging}/deb/prerm ${packaging}/deb/postrm)
    set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()

include(CPack)
