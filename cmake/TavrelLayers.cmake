# One static library per layer of the source tree, whose includes can only point down.
#
# tavrel_layer(NAME FOLDERS folder... [DEPENDS layer...] [SOURCES file...])
#
# Includes start at the source root ("engine/Voice.h"). A layer is not compiled against the source
# root but against an include root of its own, build/layers/NAME, that holds links to its own
# folders and to the folders of the layers it depends on (directly or through them), and to
# nothing else: an #include of a higher or undeclared layer's header fails to compile. Every
# header of the layer's folders is also compiled once against that root, so that a header no
# source of its layer includes is held to the same rule. Without SOURCES the layer is made of the
# .cpp files of its folders.
function(tavrel_layer name)
    cmake_parse_arguments(LAYER "" "" "FOLDERS;DEPENDS;SOURCES" ${ARGN})
    set(root ${CMAKE_BINARY_DIR}/layers/${name})

    set(visible ${LAYER_FOLDERS})
    foreach(dependency IN LISTS LAYER_DEPENDS)
        get_property(dependency_folders GLOBAL PROPERTY tavrel_layer_folders_${dependency})
        list(APPEND visible ${dependency_folders})
    endforeach()
    list(REMOVE_DUPLICATES visible)
    # A folder inside another visible folder comes with that folder's link.
    set(nested)
    foreach(folder IN LISTS visible)
        foreach(other IN LISTS visible)
            string(FIND "${folder}" "${other}/" position)
            if(position EQUAL 0)
                list(APPEND nested ${folder})
            endif()
        endforeach()
    endforeach()
    if(nested)
        list(REMOVE_ITEM visible ${nested})
    endif()
    set_property(GLOBAL PROPERTY tavrel_layer_folders_${name} ${visible})

    foreach(folder IN LISTS visible)
        set(link ${root}/${folder})
        if(NOT IS_SYMLINK ${link})
            get_filename_component(parent ${link} DIRECTORY)
            file(MAKE_DIRECTORY ${parent})
            file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${link} SYMBOLIC)
        endif()
    endforeach()

    set(sources ${LAYER_SOURCES})
    set(header_check "// Every header of the layer ${name}, compiled against the layer's own root.\n")
    foreach(folder IN LISTS LAYER_FOLDERS)
        if(NOT LAYER_SOURCES)
            file(GLOB folder_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
            list(APPEND sources ${folder_sources})
        endif()
        file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}
             ${PROJECT_SOURCE_DIR}/${folder}/*.h)
        foreach(header IN LISTS headers)
            string(APPEND header_check "#include \"${header}\"\n")
        endforeach()
    endforeach()
    file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/layers/${name}_headers.cpp
         CONTENT "${header_check}")

    add_library(${name} STATIC ${sources} ${CMAKE_BINARY_DIR}/layers/${name}_headers.cpp)
    target_include_directories(${name} PRIVATE ${root})
    target_link_libraries(${name} PUBLIC tavrel_options ${LAYER_DEPENDS})
endfunction()

# The include root of a layer, for a target that compiles a file of that layer outside it.
function(tavrel_layer_root target layer)
    target_include_directories(${target} PRIVATE ${CMAKE_BINARY_DIR}/layers/${layer})
endfunction()
