# Fuzz targets (fuzz/*Fuzz.cpp). scripts/fuzz.sh builds them with clang's libFuzzer and runs them; here, in
# the normal build, each one is linked into a replay program that CTest runs over its kept corpus
# (fuzz/corpus/<name>/), so an input that once broke a property keeps being checked without clang.
function(quenzor_fuzz_replay name source library)
    add_executable(fuzz_replay_${name} ${CMAKE_SOURCE_DIR}/fuzz/${source} ${CMAKE_SOURCE_DIR}/fuzz/ReplayMain.cpp)
    target_link_libraries(fuzz_replay_${name} PRIVATE ${library})
    add_test(NAME fuzz.${name} COMMAND fuzz_replay_${name} ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name})
endfunction()

quenzor_fuzz_replay(ini IniStoreFuzz.cpp quenzor_settings)
quenzor_fuzz_replay(registry RegistryHiveFuzz.cpp quenzor_platform)
quenzor_fuzz_replay(thank ThankFileFuzz.cpp quenzor_extras)
quenzor_fuzz_replay(encoder EncoderInputFuzz.cpp quenzor_encoder)
quenzor_fuzz_replay(desktop DesktopEntryFuzz.cpp quenzor_platform)
quenzor_fuzz_replay(writer RmWriterFuzz.cpp quenzor_encoder)
quenzor_fuzz_replay(ra144 Ra144Fuzz.cpp quenzor_encoder)
