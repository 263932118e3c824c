# Where Steinberg's prebuilt VST 3 validator lives: the shared tools beside the checkout. A worktree
# of the repository finds them beside the main checkout too.
set(_validator_hints "${PROJECT_SOURCE_DIR}/../shared/tools/vst3-validator")
find_package(Git QUIET)
if(GIT_FOUND)
    execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --path-format=absolute --git-common-dir
        WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}" OUTPUT_VARIABLE _git_common_dir
        OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE _git_result)
    if(_git_result EQUAL 0 AND _git_common_dir)
        get_filename_component(_main_checkout "${_git_common_dir}" DIRECTORY)
        list(APPEND _validator_hints "${_main_checkout}/../shared/tools/vst3-validator")
    endif()
endif()
set(_validator_default "${PROJECT_SOURCE_DIR}/../shared/tools/vst3-validator")
foreach(_hint IN LISTS _validator_hints)
    if(EXISTS "${_hint}/README.md")
        get_filename_component(_validator_default "${_hint}" ABSOLUTE)
        break()
    endif()
endforeach()
set(TALVANE_VST3_VALIDATOR_DIR "${_validator_default}" CACHE PATH
    "Folder of the prebuilt VST 3 validators (validator-linux-x86_64, validator-win64.exe)")

# add_validator_test(NAME validator-file [runner...]): the validator's extensive suite on the built
# bundle; reported as skipped when the validator is missing.
function(add_validator_test name validator)
    add_test(NAME ${name}
        COMMAND "${PROJECT_SOURCE_DIR}/tests/conformance/run_validator.sh"
                "${TALVANE_VST3_VALIDATOR_DIR}/${validator}" ${ARGN})
    set_tests_properties(${name} PROPERTIES LABELS module SKIP_RETURN_CODE 77 TIMEOUT 900)
endfunction()
