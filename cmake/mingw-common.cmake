# Shared part of the two mingw-w64 toolchains. The "-posix" compilers use
# winpthreads, which std::thread and std::mutex need.
set(CMAKE_C_COMPILER ${TESMAR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESMAR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TESMAR_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TESMAR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    # i686 unwinds exceptions with DWARF-2 tables, which a module's own
    # static copy of libgcc cannot follow into another module: an exception
    # thrown in Talvane.dll would never reach the game's handler. All modules
    # therefore share the runtime DLLs, which ship beside them (copied into
    # bin/ at configure time).
    set(CMAKE_EXE_LINKER_FLAGS_INIT "")
    set(CMAKE_SHARED_LINKER_FLAGS_INIT "")
    set(TESMAR_RUNTIME_DLLS libgcc_s_dw2-1.dll libstdc++-6.dll libwinpthread-1.dll)
else()
    # x86_64 unwinds through the system's SEH tables, which work across
    # modules: programs carry their runtime inside and start under Wine and
    # on a player's machine without extra DLLs beside them.
    set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
    set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
endif()

# The tests run the programs under Wine: x86_64 ones with wine64, i686 ones
# with the 32-bit loader (Debian's wine32), inside the same kind of 64-bit
# prefix, as on the 64-bit Windows most players have.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
else()
    set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine)
endif()

# Vista and later: inet_pton, WSAPoll, GetTickCount64.
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 UNICODE _UNICODE)
