# Clipboard copy, read back from outside the program through a real X server.
find_program(TARN_XVFB_RUN xvfb-run)
find_program(TARN_XCLIP xclip)
add_executable(tst_clipboard ${CMAKE_CURRENT_LIST_DIR}/tst_clipboard.cpp)
target_link_libraries(tst_clipboard PRIVATE tarn_app Qt6::Test)
target_compile_definitions(tst_clipboard PRIVATE TARN_XCLIP="${TARN_XCLIP}")
set_target_properties(tst_clipboard PROPERTIES AUTOMOC ON)
if(TARN_XVFB_RUN AND TARN_XCLIP)
    add_test(NAME x11_clipboard COMMAND ${TARN_XVFB_RUN} -a $<TARGET_FILE:tst_clipboard>)
    set_tests_properties(x11_clipboard PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=xcb;LANG=C.UTF-8" TIMEOUT 120)
else()
    message(WARNING "xvfb-run or xclip missing: the clipboard test is not run")
endif()
