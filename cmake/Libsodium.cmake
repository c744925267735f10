# libsodium for the mingw builds, compiled from Debian's source package
# (fetched by scripts/bootstrap into third_party/src/libsodium) as a static
# library. Only the pieces signature checking uses are built: Ed25519
# verification with SHA-512, BLAKE2b with its SIMD variants, and what
# sodium_init() reaches (CPU feature detection, the random source and the
# choice of implementation of the primitives it sets up). The upstream
# configure step is replaced by the definitions below; every mingw target
# has the intrinsics headers, and the assembly variants are left out (their
# C variants are chosen instead).

set(sodium_dir ${TESMAR_THIRD_PARTY_SRC}/libsodium/src/libsodium)

set(sodium_sources
    sodium/core.c sodium/runtime.c sodium/utils.c sodium/codecs.c sodium/version.c
    randombytes/randombytes.c randombytes/sysrandom/randombytes_sysrandom.c
    crypto_verify/sodium/verify.c
    crypto_hash/sha512/hash_sha512.c crypto_hash/sha512/cp/hash_sha512_cp.c
    crypto_core/ed25519/ref10/ed25519_ref10.c
    crypto_sign/ed25519/sign_ed25519.c crypto_sign/ed25519/ref10/open.c
    crypto_sign/ed25519/ref10/sign.c
    crypto_generichash/blake2b/ref/generichash_blake2b.c
    crypto_generichash/blake2b/ref/blake2b-ref.c
    crypto_generichash/blake2b/ref/blake2b-compress-ref.c
    # Reached from sodium_init(), which picks their fastest variants.
    crypto_pwhash/argon2/argon2-core.c crypto_pwhash/argon2/argon2-fill-block-ref.c
    crypto_pwhash/argon2/blake2b-long.c
    crypto_onetimeauth/poly1305/onetimeauth_poly1305.c
    crypto_onetimeauth/poly1305/donna/poly1305_donna.c
    crypto_scalarmult/curve25519/scalarmult_curve25519.c
    crypto_scalarmult/curve25519/ref10/x25519_ref10.c
    crypto_stream/chacha20/stream_chacha20.c crypto_stream/chacha20/ref/chacha20_ref.c
    crypto_stream/salsa20/stream_salsa20.c crypto_stream/salsa20/ref/salsa20_ref.c
    crypto_core/salsa/ref/core_salsa_ref.c)

# The SIMD variants, each compiled for its instruction set only; runtime.c
# finds out which the processor has before one of them is used.
set(sodium_sse2 -msse2)
set(sodium_ssse3 ${sodium_sse2} -mssse3)
set(sodium_sse41 ${sodium_ssse3} -msse4.1)
set(sodium_avx2 ${sodium_sse41} -mavx -mavx2)
set(sodium_avx512f ${sodium_avx2} -mavx512f)
set(sodium_simd_sources
    "crypto_onetimeauth/poly1305/sse2/poly1305_sse2.c|sse2"
    "crypto_stream/salsa20/xmm6int/salsa20_xmm6int-sse2.c|sse2"
    "crypto_generichash/blake2b/ref/blake2b-compress-ssse3.c|ssse3"
    "crypto_pwhash/argon2/argon2-fill-block-ssse3.c|ssse3"
    "crypto_stream/chacha20/dolbeau/chacha20_dolbeau-ssse3.c|ssse3"
    "crypto_generichash/blake2b/ref/blake2b-compress-sse41.c|sse41"
    "crypto_generichash/blake2b/ref/blake2b-compress-avx2.c|avx2"
    "crypto_pwhash/argon2/argon2-fill-block-avx2.c|avx2"
    "crypto_stream/chacha20/dolbeau/chacha20_dolbeau-avx2.c|avx2"
    "crypto_stream/salsa20/xmm6int/salsa20_xmm6int-avx2.c|avx2"
    "crypto_pwhash/argon2/argon2-fill-block-avx512f.c|avx512f")

set(sodium_files "")
foreach(src ${sodium_sources})
    list(APPEND sodium_files ${sodium_dir}/${src})
endforeach()
foreach(entry ${sodium_simd_sources})
    string(REPLACE "|" ";" parts ${entry})
    list(GET parts 0 src)
    list(GET parts 1 isa)
    list(APPEND sodium_files ${sodium_dir}/${src})
    set_source_files_properties(${sodium_dir}/${src} PROPERTIES COMPILE_OPTIONS "${sodium_${isa}}")
endforeach()

# AVX needs the operating system's consent, read with xgetbv.
set_source_files_properties(${sodium_dir}/sodium/runtime.c PROPERTIES COMPILE_OPTIONS -mxsave
                            COMPILE_DEFINITIONS HAVE__XGETBV=1)

# The public headers, beside version.h, which upstream's configure makes
# from version.h.in.
set(sodium_inc ${CMAKE_BINARY_DIR}/_sodium/include)
file(GLOB sodium_headers ${sodium_dir}/include/sodium/*.h)
foreach(h ${sodium_headers})
    get_filename_component(name ${h} NAME)
    configure_file(${h} ${sodium_inc}/sodium/${name} COPYONLY)
endforeach()
configure_file(${sodium_dir}/include/sodium.h ${sodium_inc}/sodium.h COPYONLY)
set(VERSION 1.0.18)
set(SODIUM_LIBRARY_VERSION_MAJOR 10)
set(SODIUM_LIBRARY_VERSION_MINOR 3)
set(SODIUM_LIBRARY_MINIMAL_DEF "")
configure_file(${sodium_dir}/include/sodium/version.h.in ${sodium_inc}/sodium/version.h @ONLY)

add_library(tesmar_sodium STATIC ${sodium_files})
target_include_directories(tesmar_sodium SYSTEM PUBLIC ${sodium_inc}
                                          PRIVATE ${sodium_dir}/include/sodium ${sodium_inc}/sodium)
target_compile_definitions(tesmar_sodium PUBLIC SODIUM_STATIC
    PRIVATE CONFIGURED=1 NATIVE_LITTLE_ENDIAN=1 HAVE_CPUID=1 HAVE_MMINTRIN_H=1
            HAVE_EMMINTRIN_H=1 HAVE_PMMINTRIN_H=1 HAVE_TMMINTRIN_H=1 HAVE_SMMINTRIN_H=1
            HAVE_AVXINTRIN_H=1 HAVE_AVX2INTRIN_H=1 HAVE_AVX512FINTRIN_H=1 HAVE_INTRIN_H=1
            HAVE_C_VARARRAYS=1 HAVE_ATOMIC_OPS=1)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    # 128-bit integers: the faster 51-bit field arithmetic.
    target_compile_definitions(tesmar_sodium PRIVATE HAVE_TI_MODE=1)
endif()
target_compile_options(tesmar_sodium PRIVATE -w)
target_link_libraries(tesmar_sodium PRIVATE advapi32)
