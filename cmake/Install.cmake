# Installation into the places Linux hosts scan for plug-ins and presets. Without a prefix of its
# own the install goes to the user's home: ~/.vst3/Talvane.vst3, for VST 2 hosts the same module as
# ~/.vst/Talvane.so, the LV2 bundle as ~/.lv2/Talvane.lv2, and the factory sounds as preset files
# into the user's VST 3 preset folder ~/.vst3/presets/<vendor>/Talvane. With another prefix (e.g.
# /usr/local) it uses lib/vst3, lib/vst, lib/lv2 and share/vst3/presets beneath it. The
# destinations are relative, so DESTDIR stages the same layout elsewhere.
#
# The Windows build installs beneath the drive's root ("C:/" unless a prefix is given, so that
# --prefix <folder> stages an image of the drive): the bundle into "Program Files/Common Files/VST3"
# (the folder Windows hosts scan), the preset files into "ProgramData/VST3 Presets/<vendor>/Talvane"
# (the shared factory presets of the VST 3 preset locations). VST 2 hosts load the same DLL from a
# folder of their choosing.

# Preset folders are named by the factory's vendor name and the plug-in's name, as the code has them.
file(STRINGS "${PROJECT_SOURCE_DIR}/source/factory/classids.h" _names REGEX "k(VendorName|PluginName) = ")
string(REGEX REPLACE ".*kVendorName = \"([^\"]*)\".*" "\\1" _vendor_folder "${_names}")
string(REGEX REPLACE ".*kPluginName = \"([^\"]*)\".*" "\\1" _plugin_folder "${_names}")

if(WIN32)
    if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
        set(CMAKE_INSTALL_PREFIX "C:/" CACHE PATH "Install prefix: the root of the Windows drive" FORCE)
    endif()
    set(TALVANE_VST3_INSTALL_DIR "Program Files/Common Files/VST3" CACHE STRING
        "Where the VST 3 bundle goes, relative to the prefix")
    set(TALVANE_PRESET_INSTALL_DIR "ProgramData/VST3 Presets/${_vendor_folder}/${_plugin_folder}" CACHE STRING
        "Where the factory preset files go, relative to the prefix")
    install(TARGETS Talvane LIBRARY DESTINATION "${TALVANE_VST3_INSTALL_DIR}/Talvane.vst3/Contents/x86_64-win")
    install(FILES "${TALVANE_BUNDLE_PATH}/Contents/Resources/moduleinfo.json"
        DESTINATION "${TALVANE_VST3_INSTALL_DIR}/Talvane.vst3/Contents/Resources")
    install(DIRECTORY "${TALVANE_VSTPRESET_DIR}/" DESTINATION "${TALVANE_PRESET_INSTALL_DIR}"
        FILES_MATCHING PATTERN "*.vstpreset")
    return()
endif()

if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT AND DEFINED ENV{HOME})
    set(CMAKE_INSTALL_PREFIX "$ENV{HOME}" CACHE PATH "Install prefix: the home directory for a user install" FORCE)
endif()

if(DEFINED ENV{HOME} AND CMAKE_INSTALL_PREFIX STREQUAL "$ENV{HOME}")
    set(_vst3 ".vst3")
    set(_vst2 ".vst")
    set(_lv2 ".lv2")
    set(_bin ".local/bin")
    set(_share ".local/share/talvane")
    set(_vst3_presets ".vst3/presets")
else()
    set(_vst3 "lib/vst3")
    set(_vst2 "lib/vst")
    set(_lv2 "lib/lv2")
    set(_bin "bin")
    set(_share "share/talvane")
    set(_vst3_presets "share/vst3/presets")
endif()
set(TALVANE_VST3_INSTALL_DIR "${_vst3}" CACHE STRING "Where the VST 3 bundle goes, relative to the prefix")
set(TALVANE_VST2_INSTALL_DIR "${_vst2}" CACHE STRING "Where the VST 2 module goes, relative to the prefix")
set(TALVANE_LV2_INSTALL_DIR "${_lv2}" CACHE STRING "Where the LV2 bundle goes, relative to the prefix")
set(TALVANE_BIN_INSTALL_DIR "${_bin}" CACHE STRING "Where the command-line tools go, relative to the prefix")
set(TALVANE_DATA_INSTALL_DIR "${_share}" CACHE STRING "Where the factory states go, relative to the prefix")
set(TALVANE_PRESET_INSTALL_DIR "${_vst3_presets}/${_vendor_folder}/${_plugin_folder}" CACHE STRING
    "Where the factory preset files go, relative to the prefix")

install(TARGETS Talvane
    LIBRARY DESTINATION "${TALVANE_VST3_INSTALL_DIR}/Talvane.vst3/Contents/x86_64-linux")
install(FILES "${TALVANE_BUNDLE_PATH}/Contents/Resources/moduleinfo.json"
    DESTINATION "${TALVANE_VST3_INSTALL_DIR}/Talvane.vst3/Contents/Resources")
# VST 2 hosts load the same module: it carries both entry points.
install(FILES "$<TARGET_FILE:Talvane>"
    DESTINATION "${TALVANE_VST2_INSTALL_DIR}"
    RENAME Talvane.so
    PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS TalvaneLv2 TalvaneLv2Ui LIBRARY DESTINATION "${TALVANE_LV2_INSTALL_DIR}/Talvane.lv2")
install(FILES ${TALVANE_LV2_TURTLE_FILES} DESTINATION "${TALVANE_LV2_INSTALL_DIR}/Talvane.lv2")
install(TARGETS talvane-render talvane-info talvane RUNTIME DESTINATION "${TALVANE_BIN_INSTALL_DIR}")
# The installed talvane plays the installed bundle where the build tree's is gone.
target_compile_definitions(talvane PRIVATE
    TALVANE_INSTALLED_PLUGIN="${CMAKE_INSTALL_PREFIX}/${TALVANE_VST3_INSTALL_DIR}/Talvane.vst3")
install(DIRECTORY "${PROJECT_SOURCE_DIR}/presets/" DESTINATION "${TALVANE_DATA_INSTALL_DIR}/presets"
    FILES_MATCHING PATTERN "*.talvane")
install(DIRECTORY "${TALVANE_VSTPRESET_DIR}/" DESTINATION "${TALVANE_PRESET_INSTALL_DIR}"
    FILES_MATCHING PATTERN "*.vstpreset")
