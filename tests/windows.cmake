# The tests of the Windows build: the module tests that drive the built DLL through the host
# library, cross-built and run under Wine (CMAKE_CROSSCOMPILING_EMULATOR), and a check of the DLL's
# exports and imports. The unit tests and the tests of the Linux tools stay with the Linux builds.
include(GoogleTest)

# Debian packages GoogleTest's sources but no MinGW build of it: built here with the toolchain.
set(TALVANE_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest's sources")
if(NOT EXISTS "${TALVANE_GTEST_SOURCE}/CMakeLists.txt")
    message(FATAL_ERROR "GoogleTest's sources not found in ${TALVANE_GTEST_SOURCE} (Debian package googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory("${TALVANE_GTEST_SOURCE}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)

# The module tests that need nothing of Linux (no interposed allocator, no sound or MIDI files).
set(WINDOWS_MODULE_TEST_SOURCES
    controller/controller_moduletest.cpp
    editor/editor_moduletest.cpp
    factory/boundary_moduletest.cpp
    engine/renderhash_moduletest.cpp
    engine/sound_moduletest.cpp
    factory/factory_moduletest.cpp
    factory/moduleinfo_moduletest.cpp
    processor/hostinput_moduletest.cpp
    processor/processor_moduletest.cpp
    processor/state_moduletest.cpp
    vst2/vst2_moduletest.cpp)
add_executable(talvane_module_tests ${WINDOWS_MODULE_TEST_SOURCES})
target_link_libraries(talvane_module_tests PRIVATE talvane_host GTest::gtest_main GTest::gmock talvane_warnings)
target_include_directories(talvane_module_tests PRIVATE "${CMAKE_CURRENT_SOURCE_DIR}")
target_compile_definitions(talvane_module_tests PRIVATE TALVANE_MODULE_PATH="${TALVANE_MODULE_PATH}")
# The JSON library is header-only and in the build machine's /usr/include, whose C library headers
# the cross compiler must never see: a directory of our own holds only a link to it.
find_path(TALVANE_JSON_INCLUDE_DIR NAMES nlohmann/json.hpp NO_CMAKE_FIND_ROOT_PATH)
if(NOT TALVANE_JSON_INCLUDE_DIR)
    message(FATAL_ERROR "nlohmann/json.hpp not found (Debian package nlohmann-json3-dev)")
endif()
file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/json-include")
file(CREATE_LINK "${TALVANE_JSON_INCLUDE_DIR}/nlohmann" "${CMAKE_BINARY_DIR}/json-include/nlohmann" SYMBOLIC)
target_include_directories(talvane_module_tests SYSTEM PRIVATE "${CMAKE_BINARY_DIR}/json-include")
add_dependencies(talvane_module_tests Talvane)
# Each test starts a Wine process; the first ones also wait for the Wine prefix to be made.
gtest_discover_tests(talvane_module_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
    PROPERTIES LABELS module TIMEOUT 300)

find_program(TALVANE_MINGW_OBJDUMP NAMES x86_64-w64-mingw32-objdump REQUIRED)
add_test(NAME module_exports_and_imports
    COMMAND "${CMAKE_CURRENT_SOURCE_DIR}/factory/check_windows_exports.sh" "${TALVANE_MINGW_OBJDUMP}"
            "$<TARGET_FILE:Talvane>")
set_tests_properties(module_exports_and_imports PROPERTIES LABELS module)

# Unit tests of the GDI+ drawing: the real editor drawn offscreen at 100 % and zoomed, its pictures
# saved for people to look at (screenshots/editor-*.png in this tree); and the engine's kernels on
# every instruction-set target the processor has, as the MinGW build compiles them.
file(GLOB WINDOWS_KERNEL_TEST_SOURCES CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/engine/kernels/*_test.cpp")
add_executable(talvane_windows_unit_tests editor/editorscreenshot_test.cpp editor/editorscaling_test.cpp
    ${WINDOWS_KERNEL_TEST_SOURCES})
target_link_libraries(talvane_windows_unit_tests PRIVATE talvane_core talvane_host GTest::gtest_main talvane_warnings)
target_include_directories(talvane_windows_unit_tests PRIVATE "${CMAKE_CURRENT_SOURCE_DIR}")
target_compile_definitions(talvane_windows_unit_tests PRIVATE TALVANE_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
gtest_discover_tests(talvane_windows_unit_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
    PROPERTIES LABELS unit TIMEOUT 300)

# The editor of the built module in real Win32 windows, as a host shows it (host/editorwindow_win32),
# driven by synthesized input and compared with the same editor drawn offscreen in the test program;
# and the keys as Win32 windows deliver them to the GUI layer's frame.
# The tests share the display and its one mouse pointer, so they run one at a time; without a
# window system (Wine with no display) they report themselves skipped.
add_executable(talvane_windows_editor_tests editor/editorwin32_windowstest.cpp gui/win32keys_windowstest.cpp)
target_link_libraries(talvane_windows_editor_tests PRIVATE talvane_core talvane_host GTest::gtest_main
    talvane_warnings)
target_include_directories(talvane_windows_editor_tests PRIVATE "${CMAKE_CURRENT_SOURCE_DIR}")
target_compile_definitions(talvane_windows_editor_tests PRIVATE TALVANE_MODULE_PATH="${TALVANE_MODULE_PATH}")
add_dependencies(talvane_windows_editor_tests Talvane)
gtest_discover_tests(talvane_windows_editor_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
    PROPERTIES LABELS window RESOURCE_LOCK display TIMEOUT 300)

# The validator's Windows build on the DLL's bundle, under Wine. The validator takes the bundle by
# its Windows path: Wine maps the file system's root to drive Z:.
include(${PROJECT_SOURCE_DIR}/cmake/Validator.cmake)
string(REPLACE "/" "\\" _bundle_windows_path "Z:${TALVANE_BUNDLE_PATH}")
add_validator_test(module_passes_the_vst3_validator validator-win64.exe "${_bundle_windows_path}"
    ${CMAKE_CROSSCOMPILING_EMULATOR})
