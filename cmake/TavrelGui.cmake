# The editor's toolkit and resources. Included by the root CMakeLists.txt after every target it
# extends exists.
#
# The rules of behaviour of the controls (drag arithmetic, frames, selections, hover state) are
# portable and go into the core, where the native unit tests reach them. The Win32 windows,
# painting and resource loading form tavrel_gui, built only for Windows; the resources are compiled
# into the Windows plug-ins.

file(GLOB tavrel_gui_rules CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/sonarch/gui/*.cpp)
target_sources(tavrel_core PRIVATE ${tavrel_gui_rules})

# The committed images the resource script and the image test read.
set(tavrel_resource_dir ${PROJECT_SOURCE_DIR}/instrument/resources)
if(TARGET tavrel_tests)
    target_compile_definitions(tavrel_tests PRIVATE
        TAVREL_RESOURCE_DIR="${tavrel_resource_dir}")
endif()

if(NOT WIN32)
    return()
endif()

enable_language(RC)

# An object library, so every control is built into the plug-in (and so checked against the
# import allowlist) whether or not the plug-in calls it.
file(GLOB tavrel_gui_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/sonarch/gui/win32/*.cpp)
add_library(tavrel_gui OBJECT ${tavrel_gui_sources})
target_link_libraries(tavrel_gui PUBLIC tavrel_core gdiplus ole32 gdi32 user32 comdlg32)
target_compile_definitions(tavrel_gui PUBLIC NOMINMAX)

# The editor: the toolkit's view and editor bases, and the synthesizer's panel, editor and dialogs.
# The instance factory (in tavrel_vst) makes the editor, so it sees the Win32 headers as they do.
file(GLOB tavrel_editor_sources CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/sonarch/vst/win32/*.cpp ${PROJECT_SOURCE_DIR}/instrument/win32/*.cpp)
add_library(tavrel_editor OBJECT ${tavrel_editor_sources})
target_link_libraries(tavrel_editor PUBLIC tavrel_gui)
target_compile_definitions(tavrel_vst PRIVATE NOMINMAX)

target_link_libraries(tavrel_plugin PRIVATE tavrel_editor tavrel_gui)

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
target_link_libraries(tavrel-guicheck PRIVATE tavrel_gui)
target_link_options(tavrel-guicheck PRIVATE -static -static-libgcc -static-libstdc++)

# The editor's check under Wine: the built plug-in hosted through its entry, its panel opened in a
# window of the check's own and driven with synthesized input; screenshots of the panel.
file(GLOB tavrel_editorcheck_sources CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/tests/instrument/win32/*.cpp)
add_executable(tavrel-editorcheck ${tavrel_editorcheck_sources}
    ${PROJECT_SOURCE_DIR}/tests/sonarch/gui/win32/Pixels.cpp)
target_link_libraries(tavrel-editorcheck PRIVATE tavrel_gui tavrel_hostlib)
target_link_options(tavrel-editorcheck PRIVATE -static -static-libgcc -static-libstdc++)
