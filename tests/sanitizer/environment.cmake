# Included by ctest in sanitizer builds, before any test starts: every test
# process inherits these, so a finding stops the test with its stack. Options
# the caller already set are kept.
if(NOT DEFINED ENV{ASAN_OPTIONS})
    set(ENV{ASAN_OPTIONS} "halt_on_error=1:detect_leaks=1:check_initialization_order=1:strict_init_order=1")
endif()
if(NOT DEFINED ENV{UBSAN_OPTIONS})
    set(ENV{UBSAN_OPTIONS} "halt_on_error=1:print_stacktrace=1")
endif()
if(NOT DEFINED ENV{LSAN_OPTIONS})
    set(ENV{LSAN_OPTIONS} "suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp:print_suppressions=0")
endif()
