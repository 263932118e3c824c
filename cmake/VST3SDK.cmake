# Locates the VST 3 interfaces, base library and public SDK sources that Debian ships with
# juce-modules-source-data, and builds the parts we use into static libraries.
#
#   vst3sdk       interfaces, base library, component/controller helpers (plug-in side)
#   vst3sdk_host  the SDK's hosting helpers (IHostApplication and friends) for our host library
#
# The SDK is included as a system include so its headers never warn in our code, and its own
# sources are compiled with warnings off: it is third-party code we do not edit.

set(VST3_SDK_HINT "/usr/share/juce/modules/juce_audio_processors/format_types/VST3_SDK")
find_path(VST3_SDK_ROOT
    NAMES pluginterfaces/base/funknown.h
    HINTS "${VST3_SDK_HINT}" ENV VST3_SDK_ROOT
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT VST3_SDK_ROOT)
    message(FATAL_ERROR
        "VST 3 SDK not found (looked in ${VST3_SDK_HINT}).\n"
        "Install Debian's package juce-modules-source-data:\n"
        "    sudo apt-get install juce-modules-source-data\n"
        "or point the environment variable VST3_SDK_ROOT at an SDK with the same layout.")
endif()
message(STATUS "VST 3 SDK: ${VST3_SDK_ROOT}")

set(_sdk "${VST3_SDK_ROOT}")
add_library(vst3sdk STATIC
    ${_sdk}/pluginterfaces/base/coreiids.cpp
    ${_sdk}/pluginterfaces/base/funknown.cpp
    ${_sdk}/pluginterfaces/base/ustring.cpp
    ${_sdk}/pluginterfaces/base/conststringtable.cpp
    ${_sdk}/base/source/baseiids.cpp
    ${_sdk}/base/source/fbuffer.cpp
    ${_sdk}/base/source/fdebug.cpp
    ${_sdk}/base/source/fobject.cpp
    ${_sdk}/base/source/fstreamer.cpp
    ${_sdk}/base/source/fstring.cpp
    ${_sdk}/base/source/updatehandler.cpp
    ${_sdk}/base/thread/source/flock.cpp
    ${_sdk}/public.sdk/source/common/memorystream.cpp
    ${_sdk}/public.sdk/source/common/pluginview.cpp
    ${_sdk}/public.sdk/source/vst/vstbus.cpp
    ${_sdk}/public.sdk/source/vst/vstcomponent.cpp
    ${_sdk}/public.sdk/source/vst/vstcomponentbase.cpp
    ${_sdk}/public.sdk/source/vst/vsteditcontroller.cpp
    ${_sdk}/public.sdk/source/vst/vstinitiids.cpp
    ${_sdk}/public.sdk/source/vst/vstparameters.cpp
    ${_sdk}/public.sdk/source/vst/vstpresetfile.cpp)
target_include_directories(vst3sdk SYSTEM PUBLIC "${_sdk}")
# fdebug.h refuses to compile unless exactly one of DEVELOPMENT / RELEASE is defined.
target_compile_definitions(vst3sdk PUBLIC
    $<IF:$<CONFIG:Debug>,DEVELOPMENT=1,RELEASE=1>)
target_compile_options(vst3sdk PRIVATE -w)
set_target_properties(vst3sdk PROPERTIES POSITION_INDEPENDENT_CODE ON)
find_package(Threads REQUIRED)
target_link_libraries(vst3sdk PUBLIC Threads::Threads)

add_library(vst3sdk_host STATIC
    ${_sdk}/public.sdk/source/vst/hosting/hostclasses.cpp
    ${_sdk}/public.sdk/source/vst/hosting/pluginterfacesupport.cpp)
target_link_libraries(vst3sdk_host PUBLIC vst3sdk)
target_compile_options(vst3sdk_host PRIVATE -w)
set_target_properties(vst3sdk_host PROPERTIES POSITION_INDEPENDENT_CODE ON)

# The iids the subset declares without defining live in our own source, linked into the same
# library so that every user of the SDK classes finds them.
target_sources(vst3sdk PRIVATE "${PROJECT_SOURCE_DIR}/sdk/sdkiids.cpp")
