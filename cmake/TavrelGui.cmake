# The editor's toolkit. Included by the root CMakeLists.txt after every target it extends exists.
#
# The rules of behaviour of the controls (drag arithmetic, frames, selections, hover state) are
# portable and go into the core, where the native unit tests reach them.

file(GLOB tavrel_gui_rules CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/sonarch/gui/*.cpp)
target_sources(tavrel_core PRIVATE ${tavrel_gui_rules})
