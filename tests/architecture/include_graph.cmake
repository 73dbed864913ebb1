# Reads every #include "..." of the program's folders and fails on an edge between folders that the
# layering does not allow, on a Qt header in platform/core and on the window reaching the encoder anywhere
# but at program start. Changing the architecture means changing the lists below on purpose.
#
#   cmake -DSOURCE_DIR=<source root> -P include_graph.cmake

set(folders app jobs conversion settings extras ui platform platform/core encoder installer cli)
set(allowed
    "app -> jobs" "app -> conversion" "app -> encoder" "app -> settings" "app -> extras" "app -> ui" "app -> platform"
    "app -> platform/core"
    "jobs -> settings" "jobs -> ui" "jobs -> platform" "jobs -> platform/core"
    "conversion -> jobs" "conversion -> settings" "conversion -> encoder" "conversion -> platform"
    "conversion -> platform/core"
    "settings -> ui" "settings -> encoder" "settings -> platform" "settings -> platform/core"
    "extras -> ui" "extras -> platform" "extras -> platform/core"
    "platform -> platform/core"
    "encoder -> platform/core"
    "installer -> platform" "installer -> platform/core"
    "cli -> conversion" "cli -> settings" "cli -> encoder" "cli -> platform/core")

# The window reaches the encoder only at program start: of the window's folders, only the start-up file
# includes encoder/, besides the settings record that quenzor-convert shares (the files CMakeLists.txt
# builds into quenzor_settings_core), which names the encoder's audiences and stream choices.
set(window_folders app jobs extras settings ui)
set(encoder_gates app/quenzor_main.cpp)
file(READ ${SOURCE_DIR}/CMakeLists.txt build_text)
if(NOT build_text MATCHES "set\\(quenzor_settings_core_files([^)]*)\\)")
    message(FATAL_ERROR "CMakeLists.txt no longer names quenzor_settings_core_files")
endif()
string(REGEX MATCHALL "[^ \t\r\n]+" settings_core_files "${CMAKE_MATCH_1}")
list(APPEND encoder_gates ${settings_core_files})

# platform/core is plain C++: nothing of Qt, whose headers are <QName>, <QtModule/...> or <qname.h>.
set(qt_include "^[ \t]*#[ \t]*include[ \t]*<(Q[A-Za-z0-9_]*|Qt[A-Za-z0-9_]*/[^>]*|q[a-z0-9_]*\\.h)>")

# The folder a file or an included path belongs to: platform/core is a layer of its own, every other
# sub-folder belongs to its top folder.
function(layer_of path out)
    if(path MATCHES "^platform/core/")
        set(${out} "platform/core" PARENT_SCOPE)
    elseif(path MATCHES "^([^/]+)/")
        set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
    else()
        set(${out} "" PARENT_SCOPE)
    endif()
endfunction()

set(failures "")
set(edges "")
foreach(folder ${folders})
    file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
    foreach(file ${files})
        layer_of(${file} from)
        if(NOT from STREQUAL folder)
            continue()  # a file of platform/core is looked at once, as platform/core
        endif()
        if(from STREQUAL "platform/core")
            file(STRINGS ${SOURCE_DIR}/${file} qt_lines REGEX "${qt_include}")
            foreach(line ${qt_lines})
                string(STRIP "${line}" line)
                list(APPEND failures "${file}: platform/core includes Qt (${line})")
            endforeach()
        endif()
        list(FIND window_folders "${from}" window_side)
        list(FIND encoder_gates "${file}" gate)
        file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
        foreach(line ${lines})
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" included "${line}")
            layer_of("${included}" to)
            list(FIND folders "${to}" known)
            if(included MATCHES "\\.\\." OR known EQUAL -1)
                # Every include names its folder from the root, so that the build's include paths decide.
                list(APPEND failures "${file}: \"${included}\" does not name a folder from the source root")
            elseif(NOT to STREQUAL from)
                list(FIND allowed "${from} -> ${to}" ok)
                if(ok EQUAL -1)
                    list(APPEND failures "${file}: ${from} -> ${to} (\"${included}\") is not an allowed edge")
                elseif(to STREQUAL "encoder" AND NOT window_side EQUAL -1 AND gate EQUAL -1)
                    list(APPEND failures
                        "${file}: the window reaches the encoder only at program start (\"${included}\")")
                else()
                    list(APPEND edges "${from} -> ${to}")
                endif()
            endif()
        endforeach()
    endforeach()
endforeach()

list(REMOVE_DUPLICATES edges)
list(SORT edges)
string(REPLACE ";" "\n  " edge_text "${edges}")
message(STATUS "Folder graph:\n  ${edge_text}")
if(failures)
    string(REPLACE ";" "\n  " failure_text "${failures}")
    message(FATAL_ERROR "Includes outside the allowed layers:\n  ${failure_text}")
endif()
