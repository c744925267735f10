# The layers of the modules: a module may link only the modules below it in
# the list given to tesmar_layer_check() (lowest first), and include the
# headers of the modules it links (directly or through others), never the
# other way round. At
# configure time tesmar_layer_check() writes what the build knows (the module
# folders, the links between the modules' own targets, the source files of
# those targets, the include folders) to module-graph.cmake in the build
# tree, and registers the test module_layers, which reads the #include lines
# of those sources (CheckLayers.cmake) and fails on an include the links do
# not allow, on a link up the layers and on a cycle among the links. The
# test module_layers_back_edge gives the check a graph with a link up the
# layers and passes only when the check refuses it.
#
# Test code (test programs, fixtures, fuzz targets, benchmarks) only uses
# the modules; it is left out of the layers.

include(${CMAKE_CURRENT_LIST_DIR}/ModuleOf.cmake)

# Appends a target's property, when it is set, to the list var.
function(tesmar_append_property target property var)
    get_target_property(value ${target} ${property})
    if(value)
        set(${var} ${${var}} ${value} PARENT_SCOPE)
    endif()
endfunction()

function(tesmar_collect_targets dir out)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(sub ${subdirs})
        tesmar_collect_targets(${sub} more)
        list(APPEND targets ${more})
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()

# True when a target is test code: a test program or fixture (sources or
# include folders under a tests folder, a *_test source or header, GoogleTest
# linked).
function(tesmar_is_test_target target out)
    set(test OFF)
    get_target_property(type ${target} TYPE)
    get_target_property(srcdir ${target} SOURCE_DIR)
    set(paths "")
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
        get_target_property(sources ${target} SOURCES)
        get_target_property(links ${target} LINK_LIBRARIES)
        if(links AND "tesmar_gtest_main" IN_LIST links)
            set(test ON)
        endif()
        if(sources)
            list(APPEND paths ${sources})
        endif()
    endif()
    get_target_property(incs ${target} INTERFACE_INCLUDE_DIRECTORIES)
    if(incs)
        list(APPEND paths ${incs})
    endif()
    get_target_property(headers ${target} INTERFACE_SOURCES)
    if(headers)
        list(APPEND paths ${headers})
    endif()
    foreach(p ${paths})
        if(p MATCHES "(^|/)tests(/|$)" OR p MATCHES "_test\\.(cpp|h)$")
            set(test ON)
        endif()
    endforeach()
    if(target MATCHES "_test$")
        set(test ON)
    endif()
    set(${out} ${test} PARENT_SCOPE)
endfunction()

# tesmar_layer_check(MODULE...): the production module folders, lowest layer
# first. Call it after every module has been added.
function(tesmar_layer_check)
    set(modules ${ARGN})
    tesmar_collect_targets(${CMAKE_SOURCE_DIR} targets)
    set(links "")
    set(sources "")
    set(includes "")
    foreach(t ${targets})
        get_target_property(srcdir ${t} SOURCE_DIR)
        tesmar_module_of(${srcdir} ${CMAKE_SOURCE_DIR} "${modules}" module)
        tesmar_is_test_target(${t} test)
        if(module STREQUAL "" OR test)
            continue()
        endif()
        get_target_property(type ${t} TYPE)
        set(linked "")
        set(dirs "")
        set(s "")
        if(NOT type STREQUAL "INTERFACE_LIBRARY")
            tesmar_append_property(${t} LINK_LIBRARIES linked)
            tesmar_append_property(${t} INCLUDE_DIRECTORIES dirs)
            tesmar_append_property(${t} SOURCES s)
            foreach(f ${s})
                if(f MATCHES "^\\$<")
                    continue()
                endif()
                if(NOT IS_ABSOLUTE ${f})
                    set(f ${srcdir}/${f})
                endif()
                list(APPEND sources ${f})
            endforeach()
        endif()
        tesmar_append_property(${t} INTERFACE_LINK_LIBRARIES linked)
        tesmar_append_property(${t} INTERFACE_INCLUDE_DIRECTORIES dirs)
        foreach(d ${dirs})
            string(REGEX REPLACE "^\\$<BUILD_INTERFACE:(.*)>$" "\\1" d "${d}")
            if(d MATCHES "^${CMAKE_SOURCE_DIR}/" AND NOT d MATCHES "\\$<")
                list(APPEND includes ${d})
            endif()
        endforeach()
        foreach(l ${linked})
            string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" l "${l}")
            if(l MATCHES "\\$<" OR NOT TARGET ${l})
                continue()
            endif()
            get_target_property(aliased ${l} ALIASED_TARGET)
            if(aliased)
                set(l ${aliased})
            endif()
            get_target_property(imported ${l} IMPORTED)
            if(imported)
                continue()
            endif()
            get_target_property(ldir ${l} SOURCE_DIR)
            tesmar_module_of(${ldir} ${CMAKE_SOURCE_DIR} "${modules}" lmodule)
            tesmar_is_test_target(${l} ltest)
            if(NOT lmodule STREQUAL "" AND NOT ltest AND NOT lmodule STREQUAL module)
                list(APPEND links "${module}>${lmodule}")
            endif()
        endforeach()
    endforeach()
    list(REMOVE_DUPLICATES links)
    list(REMOVE_DUPLICATES sources)
    list(REMOVE_DUPLICATES includes)
    list(SORT links)
    list(SORT sources)

    set(graph ${CMAKE_BINARY_DIR}/module-graph.cmake)
    file(WRITE ${graph} "# Written by the configure (cmake/Layers.cmake); read by CheckLayers.cmake.\n"
                        "set(LAYER_SOURCE_DIR \"${CMAKE_SOURCE_DIR}\")\n"
                        "set(LAYER_MODULES \"${modules}\")\n"
                        "set(LAYER_LINKS \"${links}\")\n"
                        "set(LAYER_SOURCES \"${sources}\")\n"
                        "set(LAYER_INCLUDE_DIRS \"${includes}\")\n")
    if(TESMAR_TESTS)
        add_test(NAME module_layers
                 COMMAND ${CMAKE_COMMAND} -DGRAPH=${graph}
                         -DALLOWED=${CMAKE_SOURCE_DIR}/cmake/layer-exceptions.txt
                         -P ${CMAKE_SOURCE_DIR}/cmake/CheckLayers.cmake)
        set_tests_properties(module_layers PROPERTIES TIMEOUT 300)

        # The check itself: the patcher's core linking its interface pieces
        # goes up the layers and must be refused.
        set(bad ${CMAKE_BINARY_DIR}/module-graph-back-edge.cmake)
        file(WRITE ${bad} "set(LAYER_SOURCE_DIR \"${CMAKE_SOURCE_DIR}\")\n"
                          "set(LAYER_MODULES \"platform;patcher/text;patcher;patcher/ui\")\n"
                          "set(LAYER_LINKS \"patcher>patcher/text;patcher>patcher/ui;"
                          "patcher/ui>patcher/text;patcher/text>platform\")\n"
                          "set(LAYER_SOURCES \"\")\n"
                          "set(LAYER_INCLUDE_DIRS \"\")\n")
        add_test(NAME module_layers_back_edge
                 COMMAND ${CMAKE_COMMAND} -DGRAPH=${bad} -P ${CMAKE_SOURCE_DIR}/cmake/CheckLayers.cmake)
        set_tests_properties(module_layers_back_edge PROPERTIES
            PASS_REGULAR_EXPRESSION "patcher links patcher/ui, which sits above it in the layers")
    endif()
endfunction()
