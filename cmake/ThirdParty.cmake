# Outside libraries. Natively they come from Debian's packages; the mingw
# builds compile Debian's sources of LZO, Lua, libsodium and gumbo (fetched by
# scripts/bootstrap into third_party/src) and GoogleTest from
# /usr/src/googletest, once per build tree.

set(TESMAR_THIRD_PARTY_SRC ${CMAKE_SOURCE_DIR}/third_party/src CACHE PATH
    "Debian source packages of LZO, Lua, libsodium and gumbo for the Windows builds")

if(WIN32)
    foreach(pkg lzo2 lua5.1 libsodium gumbo-parser)
        if(NOT EXISTS ${TESMAR_THIRD_PARTY_SRC}/${pkg})
            message(FATAL_ERROR "${TESMAR_THIRD_PARTY_SRC}/${pkg} is missing: run scripts/bootstrap")
        endif()
    endforeach()

    file(GLOB lzo_sources ${TESMAR_THIRD_PARTY_SRC}/lzo2/src/*.c)
    add_library(tesmar_lzo STATIC ${lzo_sources})
    target_include_directories(tesmar_lzo SYSTEM PUBLIC ${TESMAR_THIRD_PARTY_SRC}/lzo2/include
                                          PRIVATE ${TESMAR_THIRD_PARTY_SRC}/lzo2/src)
    target_compile_options(tesmar_lzo PRIVATE -w)

    set(lua_dir ${TESMAR_THIRD_PARTY_SRC}/lua5.1/src)
    file(GLOB lua_sources ${lua_dir}/*.c)
    list(REMOVE_ITEM lua_sources ${lua_dir}/lua.c ${lua_dir}/luac.c ${lua_dir}/print.c)
    # One Lua for the framework library and the game that registers functions
    # with it: a DLL, as liblua5.1.so is natively. Two static copies would
    # each compare against their own sentinel objects in the same state.
    add_library(tesmar_lua SHARED ${lua_sources})
    set_target_properties(tesmar_lua PROPERTIES OUTPUT_NAME lua51 PREFIX "")
    # Debian's native headers live under lua5.1/; give the mingw build the same path.
    set(lua_inc ${CMAKE_BINARY_DIR}/_lua/include)
    file(MAKE_DIRECTORY ${lua_inc}/lua5.1)
    foreach(h lua.h luaconf.h lualib.h lauxlib.h)
        configure_file(${lua_dir}/${h} ${lua_inc}/lua5.1/${h} COPYONLY)
    endforeach()
    target_include_directories(tesmar_lua SYSTEM PUBLIC ${lua_inc} PRIVATE ${lua_dir})
    target_compile_options(tesmar_lua PRIVATE -w)

    include(Libsodium)
    include(Gumbo)
else()
    find_library(LZO2_LIBRARY NAMES lzo2 REQUIRED)
    find_path(LZO2_INCLUDE_DIR lzo/lzo1x.h REQUIRED)
    add_library(tesmar_lzo INTERFACE)
    target_link_libraries(tesmar_lzo INTERFACE ${LZO2_LIBRARY})
    target_include_directories(tesmar_lzo SYSTEM INTERFACE ${LZO2_INCLUDE_DIR})

    find_library(LUA51_LIBRARY NAMES lua5.1 REQUIRED)
    find_path(LUA51_INCLUDE_DIR lua5.1/lua.h REQUIRED)
    add_library(tesmar_lua INTERFACE)
    target_link_libraries(tesmar_lua INTERFACE ${LUA51_LIBRARY} m ${CMAKE_DL_LIBS})
    target_include_directories(tesmar_lua SYSTEM INTERFACE ${LUA51_INCLUDE_DIR})

    find_library(SODIUM_LIBRARY NAMES sodium REQUIRED)
    find_path(SODIUM_INCLUDE_DIR sodium.h REQUIRED)
    add_library(tesmar_sodium INTERFACE)
    target_link_libraries(tesmar_sodium INTERFACE ${SODIUM_LIBRARY})
    target_include_directories(tesmar_sodium SYSTEM INTERFACE ${SODIUM_INCLUDE_DIR})

    find_library(GUMBO_LIBRARY NAMES gumbo REQUIRED)
    find_path(GUMBO_INCLUDE_DIR gumbo.h REQUIRED)
    add_library(tesmar_gumbo INTERFACE)
    target_link_libraries(tesmar_gumbo INTERFACE ${GUMBO_LIBRARY})
    target_include_directories(tesmar_gumbo SYSTEM INTERFACE ${GUMBO_INCLUDE_DIR})
endif()

# CLI11 is header-only; the mingw builds must not see /usr/include, so they
# get a private copy of just its headers.
set(cli_inc ${CMAKE_BINARY_DIR}/_cli11/include)
if(NOT EXISTS ${cli_inc}/CLI/CLI.hpp)
    if(NOT EXISTS /usr/include/CLI/CLI.hpp)
        message(FATAL_ERROR "CLI11 headers are missing: run scripts/bootstrap")
    endif()
    file(COPY /usr/include/CLI DESTINATION ${cli_inc})
endif()
add_library(tesmar_cli11 INTERFACE)
target_include_directories(tesmar_cli11 SYSTEM INTERFACE ${cli_inc})

if(TESMAR_TESTS)
    if(WIN32)
        set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
        set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
        add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)
        add_library(tesmar_gtest_main INTERFACE)
        target_link_libraries(tesmar_gtest_main INTERFACE gmock gtest_main)
    else()
        find_package(GTest REQUIRED)
        add_library(tesmar_gtest_main INTERFACE)
        target_link_libraries(tesmar_gtest_main INTERFACE GTest::gmock GTest::gtest_main)
    endif()
endif()

if(TESMAR_BENCH)
    find_package(benchmark REQUIRED)
endif()

find_package(Threads REQUIRED)
