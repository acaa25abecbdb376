# The sanitizer flavours of the native build.
#
# TOVU_SANITIZE: every target with AddressSanitizer and
# UndefinedBehaviorSanitizer; undefined behaviour ends the program (no
# recovery), so that a finding fails its test. The native tests are named
# "asan." instead of "native.".
#
# TOVU_FUZZ: the portable core, the fakes and the packager's library with
# coverage for libFuzzer plus both sanitizers; tests/fuzz links the
# harnesses with libFuzzer's main.
set(TOVU_NATIVE_TEST_PREFIX "native." CACHE STRING "Prefix of the native tests' ctest names")

if(TOVU_SANITIZE OR TOVU_FUZZ)
  if(WIN32)
    message(FATAL_ERROR "TOVU_SANITIZE and TOVU_FUZZ are for the native flavour only")
  endif()
  # _GLIBCXX_ASSERTIONS: the standard library checks indexes and
  # preconditions too (operator[] out of range, front() of an empty string).
  set(TOVU_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer
      -D_GLIBCXX_ASSERTIONS)
  if(TOVU_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
      message(FATAL_ERROR "TOVU_FUZZ needs clang (libFuzzer): -DCMAKE_CXX_COMPILER=clang++")
    endif()
    list(APPEND TOVU_SANITIZER_FLAGS -fsanitize=fuzzer-no-link)
  endif()
  add_compile_options(${TOVU_SANITIZER_FLAGS})
  add_link_options(-fsanitize=address,undefined)
endif()
