# The program's installed files, made by the build and staged into the program directory:
# face icons, the About picture (compiled into the program), the completion sound, the catalogue pages,
# the help file and the acknowledgements.
set(_res ${CMAKE_SOURCE_DIR}/resources)
set(_gen ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${_gen})

# Artwork and sound are drawn by a small program of this project.
file(GLOB _artwork_sources CONFIGURE_DEPENDS ${_res}/artwork/*.cpp ${_res}/artwork/*.h)
add_executable(quenzor_artwork ${_artwork_sources})
target_link_libraries(quenzor_artwork PRIVATE Qt6::Gui Qt6::Svg)
set_target_properties(quenzor_artwork PROPERTIES AUTOMOC OFF)
# A tool the build runs, not code under test: ThreadSanitizer would only see Qt's own thread pool, which it
# cannot follow, and fail the build.
if(QUENZOR_SANITIZE STREQUAL "thread")
    target_compile_options(quenzor_artwork PRIVATE -fno-sanitize=thread)
    target_link_options(quenzor_artwork PRIVATE -fno-sanitize=thread)
endif()

set(_face_icons)
foreach(_i RANGE 0 34)
    list(APPEND _face_icons ${QUENZOR_PROGRAM_DIR}/SystemIco/${_i}.ico)
endforeach()
add_custom_command(OUTPUT ${_face_icons}
    COMMAND quenzor_artwork faces ${QUENZOR_PROGRAM_DIR}/SystemIco
    DEPENDS quenzor_artwork
    COMMENT "Drawing the face icons")
add_custom_command(OUTPUT ${QUENZOR_PROGRAM_DIR}/Tada.wav
    COMMAND quenzor_artwork chime ${QUENZOR_PROGRAM_DIR}/Tada.wav
    DEPENDS quenzor_artwork
    COMMENT "Making the completion sound")
add_custom_command(OUTPUT ${_gen}/About.jpg
    COMMAND quenzor_artwork about ${_gen}/About.jpg
    DEPENDS quenzor_artwork
    COMMENT "Drawing the About picture")

# The About picture is part of the About window, so it is compiled into the program.
set_source_files_properties(${_gen}/About.jpg PROPERTIES GENERATED TRUE)
qt_add_resources(quenzor_extras about_picture PREFIX /extras BASE ${_gen} FILES ${_gen}/About.jpg)

# Catalogue pages and acknowledgements are copied as they are.
set(_staged)
file(GLOB _pages CONFIGURE_DEPENDS ${_res}/more/*)
foreach(_page ${_pages})
    get_filename_component(_name ${_page} NAME)
    add_custom_command(OUTPUT ${QUENZOR_PROGRAM_DIR}/more/${_name}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${_page} ${QUENZOR_PROGRAM_DIR}/more/${_name}
        DEPENDS ${_page})
    list(APPEND _staged ${QUENZOR_PROGRAM_DIR}/more/${_name})
endforeach()
add_custom_command(OUTPUT ${QUENZOR_PROGRAM_DIR}/thank.txt
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${_res}/thank.txt ${QUENZOR_PROGRAM_DIR}/thank.txt
    DEPENDS ${_res}/thank.txt)
list(APPEND _staged ${QUENZOR_PROGRAM_DIR}/thank.txt)

# The help file is compiled from the HTML help pages with chmcmd (Debian package fp-utils).
find_program(QUENZOR_CHMCMD chmcmd)
file(GLOB _help_sources CONFIGURE_DEPENDS ${_res}/help/*)
if(QUENZOR_CHMCMD)
    add_custom_command(OUTPUT ${QUENZOR_PROGRAM_DIR}/Help.chm
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${_gen}/help
        COMMAND ${CMAKE_COMMAND} -E copy_directory ${_res}/help ${_gen}/help
        COMMAND ${CMAKE_COMMAND} -E chdir ${_gen}/help ${QUENZOR_CHMCMD} --verbosity 0 Help.hhp
        COMMAND ${CMAKE_COMMAND} -E copy ${_gen}/help/Help.chm ${QUENZOR_PROGRAM_DIR}/Help.chm
        DEPENDS ${_help_sources}
        COMMENT "Compiling the help file")
    list(APPEND _staged ${QUENZOR_PROGRAM_DIR}/Help.chm)
else()
    message(WARNING "chmcmd (Debian package fp-utils) not found: Help.chm is not built")
endif()

# The same help pages as they are, with their contents file, for the program's own help window on a
# desktop where nothing opens Help.chm.
file(GLOB _help_pages CONFIGURE_DEPENDS ${_res}/help/*.htm ${_res}/help/*.css ${_res}/help/toc.hhc)
foreach(_page ${_help_pages})
    get_filename_component(_name ${_page} NAME)
    add_custom_command(OUTPUT ${QUENZOR_PROGRAM_DIR}/help/${_name}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${_page} ${QUENZOR_PROGRAM_DIR}/help/${_name}
        DEPENDS ${_page})
    list(APPEND _staged ${QUENZOR_PROGRAM_DIR}/help/${_name})
endforeach()

add_custom_target(quenzor_resources ALL
    DEPENDS ${_face_icons} ${QUENZOR_PROGRAM_DIR}/Tada.wav ${_staged})
add_dependencies(quenzor quenzor_resources)
# The extras tests check the staged files; the test program is defined after this file is read.
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _quenzor_resources_for_tests)
function(_quenzor_resources_for_tests)
    if(TARGET test_extras)
        add_dependencies(test_extras quenzor_resources)
    endif()
endfunction()
