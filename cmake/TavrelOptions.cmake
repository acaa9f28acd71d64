# Compiler options shared by every target of the project's own code.
add_library(tavrel_options INTERFACE)
target_compile_features(tavrel_options INTERFACE cxx_std_20)
target_compile_options(tavrel_options INTERFACE
    -Wall -Wextra -Wshadow -Wdouble-promotion
    $<$<BOOL:${TAVREL_WERROR}>:-Werror>)

# No fused multiply-add: every target rounds each product and sum on its own, so that the renders
# of x86 and ARM builds agree (GCC would contract a * b + c on aarch64 in GNU modes).
target_compile_options(tavrel_options INTERFACE -ffp-contract=off)

# 32-bit x86 rounds with SSE2 like the 64-bit builds, never with the x87 unit.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "i[3-6]86")
    target_compile_options(tavrel_options INTERFACE -msse2 -mfpmath=sse)
endif()

if(TAVREL_SANITIZE)
    target_compile_options(tavrel_options INTERFACE
        -fsanitize=address,undefined,float-cast-overflow -fno-omit-frame-pointer
        -fno-sanitize-recover=all)
    target_link_options(tavrel_options INTERFACE -fsanitize=address,undefined,float-cast-overflow)
endif()

# The fuzz build: coverage for libFuzzer on every target, and the sanitizers that turn a silent
# fault into a finding.
if(TAVREL_FUZZ)
    target_compile_options(tavrel_options INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined,float-cast-overflow
        -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
    target_link_options(tavrel_options INTERFACE -fsanitize=address,undefined,float-cast-overflow)
endif()

# The ThreadSanitizer build: every race between the host's threads is reported, so the races the
# design tolerates must go through relaxed atomics.
if(TAVREL_TSAN)
    target_compile_options(tavrel_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer -g)
    target_link_options(tavrel_options INTERFACE -fsanitize=thread)
endif()

# The whole source root as include root: for the tests, benchmarks and tools, which may include
# anything below them. The plug-in's layers each have a root of their own (TavrelLayers.cmake).
add_library(tavrel_source_root INTERFACE)
target_include_directories(tavrel_source_root INTERFACE ${PROJECT_SOURCE_DIR})
