# Installing the program the usual Linux way, and the Debian package made from that install:
#
#   bin/quenzor (and the command-line converter)        the programs
#   libexec/quenzor/real_basic.exe                       the encoder's installer
#   share/quenzor/                                       the read-only files of the program directory
#   share/applications, share/metainfo, share/icons      the menu entry, its description and its icon
#
# The programs find the rest of the tree from their own location; per-user files go to the user's
# configuration folder (platform/ProgramDir.h).
#
#   cmake --install build --prefix /usr/local --strip
#   cpack --config build/CPackConfig.cmake -B <folder>     (a .deb, stripped)
include(GNUInstallDirs)

set(QUENZOR_APP_ID example.vastrel.Quenzor)
set(QUENZOR_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/quenzor)
set(QUENZOR_INSTALL_LIBEXECDIR ${CMAKE_INSTALL_LIBEXECDIR}/quenzor)
foreach(_dir CMAKE_INSTALL_BINDIR QUENZOR_INSTALL_DATADIR QUENZOR_INSTALL_LIBEXECDIR)
    if(IS_ABSOLUTE "${${_dir}}")
        message(FATAL_ERROR "${_dir} must be relative to the prefix: the programs find the tree from their own place")
    endif()
endforeach()
# The programs tell an installed tree from a program directory by these folders.
set_property(SOURCE ${CMAKE_SOURCE_DIR}/platform/ProgramDir.cpp APPEND PROPERTY COMPILE_DEFINITIONS
    QUENZOR_INSTALL_BINDIR="${CMAKE_INSTALL_BINDIR}"
    QUENZOR_INSTALL_LIBEXECDIR="${QUENZOR_INSTALL_LIBEXECDIR}"
    QUENZOR_INSTALL_DATADIR="${QUENZOR_INSTALL_DATADIR}")

set(_desktop ${CMAKE_SOURCE_DIR}/resources/desktop)
set(_packaging ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${_packaging})

# The application icon at the theme's sizes, drawn from its SVG by the project's drawing program.
set(_icon_sizes 16 22 24 32 48 64 128 256)
set(_icons)
foreach(_size ${_icon_sizes})
    list(APPEND _icons ${_packaging}/icons/${_size}x${_size}/apps/${QUENZOR_APP_ID}.png)
endforeach()
add_custom_command(OUTPUT ${_icons}
    COMMAND quenzor_artwork appicon ${_desktop}/${QUENZOR_APP_ID}.svg ${_packaging}/icons
    DEPENDS quenzor_artwork ${_desktop}/${QUENZOR_APP_ID}.svg
    COMMENT "Drawing the application icon")

# Debian wants its documents and manual pages compressed, reproducibly.
find_program(QUENZOR_GZIP gzip REQUIRED)
set(_compressed)
foreach(_pair "packaging/debian/changelog:changelog.gz" "resources/man/quenzor.1:quenzor.1.gz"
        "resources/man/quenzor-convert.1:quenzor-convert.1.gz")
    string(REPLACE ":" ";" _pair ${_pair})
    list(GET _pair 0 _from)
    list(GET _pair 1 _to)
    add_custom_command(OUTPUT ${_packaging}/${_to}
        COMMAND ${QUENZOR_GZIP} -9nc ${CMAKE_SOURCE_DIR}/${_from} > ${_packaging}/${_to}
        DEPENDS ${CMAKE_SOURCE_DIR}/${_from} VERBATIM)
    list(APPEND _compressed ${_packaging}/${_to})
endforeach()
add_custom_target(quenzor_desktop_files ALL DEPENDS ${_icons} ${_compressed})

# ---- Install rules ----
install(TARGETS quenzor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET quenzor-convert)
    install(TARGETS quenzor-convert RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${_packaging}/quenzor-convert.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(TARGETS real_basic RUNTIME DESTINATION ${QUENZOR_INSTALL_LIBEXECDIR})
# Named one by one: a staged program directory that has been run also holds a user's data.ini.
install(DIRECTORY ${QUENZOR_PROGRAM_DIR}/SystemIco ${QUENZOR_PROGRAM_DIR}/more ${QUENZOR_PROGRAM_DIR}/help
    DESTINATION ${QUENZOR_INSTALL_DATADIR})
install(FILES ${QUENZOR_PROGRAM_DIR}/thank.txt ${QUENZOR_PROGRAM_DIR}/Tada.wav
    DESTINATION ${QUENZOR_INSTALL_DATADIR})
install(FILES ${QUENZOR_PROGRAM_DIR}/Help.chm DESTINATION ${QUENZOR_INSTALL_DATADIR} OPTIONAL)

install(FILES ${_desktop}/${QUENZOR_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_desktop}/${QUENZOR_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_desktop}/${QUENZOR_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(DIRECTORY ${_packaging}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${_packaging}/quenzor.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/debian/copyright ${_packaging}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quenzor)

# ---- The Debian package ----
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quenzor)
set(CPACK_PACKAGE_VENDOR Vastrel)
set(CPACK_PACKAGE_CONTACT "Vastrel <support@vastrel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch converter of media files into RealMedia files")
set(CPACK_PACKAGE_DESCRIPTION
    "Quenzor converts a whole batch of video files (avi, mov, qt, mpg, mpeg) and\n"
    "audio files (mpa, mp2, mp3, wav, au) into RealMedia (.rm) files in one run,\n"
    "with its own built-in RealMedia encoder. The user chooses the target\n"
    "audiences, single-rate or SureStream output and the clip information of\n"
    "every file.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.vastrel.example/)
# The libraries the programs link, as dpkg-shlibdeps finds them (Debian package dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Play hands files to a media player, and web and mail links to the desktop's programs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "vlc | mpv | totem | mplayer | smplayer | parole, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
