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
    # The Linux editor's check under Xvfb, and its two headless runs: without the desktop's
    # libraries (a preloaded dlopen that refuses them) and without a display.
    find_library(TAVREL_XTST_LIBRARY Xtst)
    find_path(TAVREL_XTST_INCLUDE X11/extensions/XTest.h)
    find_program(TAVREL_XVFB_RUN xvfb-run)
    # Not in the sanitizer trees: the preloaded dlopen cannot come before their runtimes, and
    # fontconfig's caches, which live until the process ends, read as leaks.
    if(TARGET tavrel_tests AND TARGET tavrel_editor AND TAVREL_XTST_LIBRARY AND TAVREL_XTST_INCLUDE
       AND NOT TAVREL_SANITIZE AND NOT TAVREL_TSAN AND NOT TAVREL_FUZZ)
        find_package(X11 REQUIRED)
        find_library(TAVREL_CAIRO_LIBRARY cairo REQUIRED)
        add_executable(tavrel-x11check ${PROJECT_SOURCE_DIR}/tests/instrument/x11/X11EditorCheck.cpp
            ${PROJECT_SOURCE_DIR}/tests/host/HostSession.cpp
            ${PROJECT_SOURCE_DIR}/tests/support/CheckHarness.cpp
            ${PROJECT_SOURCE_DIR}/tests/support/ParameterTable.cpp)
        target_link_libraries(tavrel-x11check PRIVATE tavrel_instrument tavrel_renderlib
            tavrel_source_root ${X11_LIBRARIES} ${TAVREL_XTST_LIBRARY} ${TAVREL_CAIRO_LIBRARY})
        add_library(tavrel_no_desktop_libraries MODULE
            ${PROJECT_SOURCE_DIR}/tests/instrument/x11/NoDesktopLibraries.cpp)
        target_link_libraries(tavrel_no_desktop_libraries PRIVATE tavrel_options ${CMAKE_DL_LIBS})
        set(tavrel_artifacts ${CMAKE_BINARY_DIR}/artifacts)
        file(MAKE_DIRECTORY ${tavrel_artifacts})
        # The headless runs open the editor in a window id that names no window: with a display
        # (the X error fails the open), without the libraries, and without a display.
        add_test(NAME x11_editor_without_display COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY
            $<TARGET_FILE:tavrel-x11check> --headless $<TARGET_FILE:tavrel_plugin>)
        if(TAVREL_XVFB_RUN)
            set(tavrel_xvfb ${TAVREL_XVFB_RUN} -a -s "-screen 0 1280x1024x24")
            add_test(NAME x11_editor COMMAND ${tavrel_xvfb}
                $<TARGET_FILE:tavrel-x11check> $<TARGET_FILE:tavrel_plugin> ${tavrel_artifacts})
            add_test(NAME x11_editor_bad_window COMMAND ${tavrel_xvfb}
                $<TARGET_FILE:tavrel-x11check> --headless $<TARGET_FILE:tavrel_plugin>)
            add_test(NAME x11_editor_without_libraries COMMAND ${tavrel_xvfb} ${CMAKE_COMMAND} -E env
                LD_PRELOAD=$<TARGET_FILE:tavrel_no_desktop_libraries>
                $<TARGET_FILE:tavrel-x11check> --headless $<TARGET_FILE:tavrel_plugin>)
        endif()
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
add_executable(tavrel-guicheck ${tavrel_guicheck_sources}
    ${PROJECT_SOURCE_DIR}/tests/support/CheckHarness.cpp)
target_link_libraries(tavrel-guicheck PRIVATE tavrel_gui tavrel_instrument tavrel_source_root)
target_link_options(tavrel-guicheck PRIVATE -static -static-libgcc -static-libstdc++)

# The editor's check under Wine: the built plug-in hosted through its entry, its panel opened in a
# window of the check's own and driven with synthesized input; screenshots of the panel.
file(GLOB tavrel_editorcheck_sources CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/tests/instrument/win32/*.cpp)
add_executable(tavrel-editorcheck ${tavrel_editorcheck_sources}
    ${PROJECT_SOURCE_DIR}/tests/sonarch/gui/win32/Pixels.cpp
    ${PROJECT_SOURCE_DIR}/tests/support/CheckHarness.cpp)
target_link_libraries(tavrel-editorcheck PRIVATE tavrel_gui tavrel_instrument tavrel_hostlib tavrel_source_root)
target_link_options(tavrel-editorcheck PRIVATE -static -static-libgcc -static-libstdc++)
