# The editor's toolkit and resources. Included by the root CMakeLists.txt after every target it
# extends exists.
#
# The rules of behaviour of the controls (drag arithmetic, frames, selections, hover state) are
# portable and go into the core, where the native unit tests reach them. The Win32 windows,
# painting and resource loading form tavrel_gui, built only for Windows; the resources are compiled
# into the Windows plug-ins.

# The toolkit's layers (tavrel_gui_rules, and tavrel_gui on Windows) are declared with the others
# in CMakeLists.txt; this file adds the resources and the checks.

# The committed images the resource script and the image test read.
set(tavrel_resource_dir ${PROJECT_SOURCE_DIR}/instrument/resources)
if(TARGET tavrel_tests)
    target_compile_definitions(tavrel_tests PRIVATE
        TAVREL_RESOURCE_DIR="${tavrel_resource_dir}")
endif()

if(NOT WIN32)
    if(TARGET tavrel_editor AND TARGET tavrel-hostcheck)
        target_compile_definitions(tavrel-hostcheck PRIVATE TAVREL_X11_EDITOR)
    endif()
    return()
endif()

enable_language(RC)

target_link_libraries(tavrel_plugin PRIVATE tavrel_editor)

# The resources in a library of their own, so the compiler's warning options never reach windres.
# windres finds the images through the include directory (the source root).
set(tavrel_resource_script ${tavrel_resource_dir}/Tavrel.rc)
file(GLOB tavrel_resource_files CONFIGURE_DEPENDS
    ${tavrel_resource_dir}/*.png ${tavrel_resource_dir}/*.bmp ${tavrel_resource_dir}/*.manifest)
set_source_files_properties(${tavrel_resource_script} PROPERTIES
    OBJECT_DEPENDS "${tavrel_resource_files};${tavrel_resource_dir}/ResourceIds.h")
add_library(tavrel_resources OBJECT ${tavrel_resource_script})
target_include_directories(tavrel_resources PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(tavrel_plugin PRIVATE tavrel_resources)

# The toolkit's check under Wine: windows, controls, painting, and the built plug-in's images.
file(GLOB tavrel_guicheck_sources CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/tests/sonarch/gui/win32/*.cpp)
add_executable(tavrel-guicheck ${tavrel_guicheck_sources})
target_link_libraries(tavrel-guicheck PRIVATE tavrel_gui tavrel_instrument tavrel_source_root)
target_link_options(tavrel-guicheck PRIVATE -static -static-libgcc -static-libstdc++)

# The editor's check under Wine: the built plug-in hosted through its entry, its panel opened in a
# window of the check's own and driven with synthesized input; screenshots of the panel.
file(GLOB tavrel_editorcheck_sources CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/tests/instrument/win32/*.cpp)
add_executable(tavrel-editorcheck ${tavrel_editorcheck_sources}
    ${PROJECT_SOURCE_DIR}/tests/sonarch/gui/win32/Pixels.cpp)
target_link_libraries(tavrel-editorcheck PRIVATE tavrel_gui tavrel_instrument tavrel_hostlib tavrel_source_root)
target_link_options(tavrel-editorcheck PRIVATE -static -static-libgcc -static-libstdc++)
