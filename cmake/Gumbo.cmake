# gumbo, the HTML5 parser of the news pages, for the mingw builds: compiled
# from Debian's source (fetched by scripts/bootstrap into
# third_party/src/gumbo-parser) as a static library. It needs no configure
# step; the parser is plain C99 over its own sources.

set(gumbo_dir ${TESMAR_THIRD_PARTY_SRC}/gumbo-parser/src)
file(GLOB gumbo_sources ${gumbo_dir}/*.c)
add_library(tesmar_gumbo STATIC ${gumbo_sources})
set_target_properties(tesmar_gumbo PROPERTIES C_STANDARD 99 C_STANDARD_REQUIRED ON)
# Only gumbo.h (with its tag list) is public; the rest of the folder is the parser's own.
set(gumbo_inc ${CMAKE_BINARY_DIR}/_gumbo/include)
foreach(h gumbo.h tag_enum.h)
    configure_file(${gumbo_dir}/${h} ${gumbo_inc}/${h} COPYONLY)
endforeach()
target_include_directories(tesmar_gumbo SYSTEM PUBLIC ${gumbo_inc} PRIVATE ${gumbo_dir})
target_compile_options(tesmar_gumbo PRIVATE -w)
