# Where the programs go when installed, and the packages CPack makes of that:
#   on Linux a Debian package (cpack -G DEB, or the target `package`): the programs in /usr/bin,
#     the help text in /usr/share/varkon, the README and a sample param.ini in
#     /usr/share/doc/varkon, the service unit varkond@.service and its system user.
set(CPACK_PACKAGE_NAME varkon)
set(CPACK_PACKAGE_VENDOR Varkon)
set(CPACK_PACKAGE_CONTACT "Varkon maintainers <maintainers@varkon.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Prints shop receipts on a Greek cash register")
set(CPACK_PACKAGE_DESCRIPTION [[
Varkon sits beside the shop's host application: it takes the print files
the host writes, sends each receipt to the cash register over a serial line
and tells the host the outcome. varkon is the desktop program, varkond the
same engine as a service (varkond@.service runs one till per instance), and
varkon-sim a virtual register for trying it out.]])
set(CPACK_STRIP_FILES ON)
# The values below reach the package tools as written here.
set(CPACK_VERBATIM_VARIABLES ON)
set(packaging ${PROJECT_SOURCE_DIR}/packaging)

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    install(TARGETS varkond varkon-sim RUNTIME DESTINATION bin)
    if(TARGET varkon)
        install(TARGETS varkon RUNTIME DESTINATION bin)
    else()
        message(STATUS "The package holds no desktop program varkon: Qt 6 Widgets not found")
    endif()
    install(FILES varkon.txt DESTINATION share/varkon)
    install(FILES README.md DESTINATION share/doc/varkon)
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
