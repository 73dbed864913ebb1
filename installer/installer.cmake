# real_basic.exe: registers the built-in encoder in the program directory's registry hive.
add_executable(real_basic installer/real_basic_main.cpp)
target_link_libraries(real_basic PRIVATE quenzor_platform)
set_target_properties(real_basic PROPERTIES OUTPUT_NAME real_basic.exe RUNTIME_OUTPUT_DIRECTORY ${QUENZOR_PROGRAM_DIR})
# Staging the program stages its installer too.
add_dependencies(quenzor real_basic)

# The start-up and registry tests run the staged installer; the test targets exist only once the tests
# folder is read.
function(quenzor_installer_test_dependency)
    foreach(test test_app test_platform)
        if(TARGET ${test})
            add_dependencies(${test} real_basic)
        endif()
    endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL quenzor_installer_test_dependency)
