# The editor's toolkit. Included by the root CMakeLists.txt after every target it extends exists.
#
# The rules of behaviour of the controls (drag arithmetic, frames, selections, hover state) are
# portable and go into the core, where the native unit tests reach them. The Win32 windows,
# painting and resource loading form tavrel_gui, built only for Windows.

file(GLOB tavrel_gui_rules CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/sonarch/gui/*.cpp)
target_sources(tavrel_core PRIVATE ${tavrel_gui_rules})

if(NOT WIN32)
    return()
endif()

# An object library, so every control is built into the plug-in (and so checked against the
# import allowlist) whether or not the plug-in calls it yet.
file(GLOB tavrel_gui_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/sonarch/gui/win32/*.cpp)
add_library(tavrel_gui OBJECT ${tavrel_gui_sources})
target_link_libraries(tavrel_gui PUBLIC tavrel_core gdiplus ole32 gdi32 user32)
target_compile_definitions(tavrel_gui PUBLIC NOMINMAX)

target_link_libraries(tavrel_plugin PRIVATE tavrel_gui)
