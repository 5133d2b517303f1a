# The whole program in a real X window, driven by real input events: the built
# executable and its sample parts in a fresh program folder, checked against
# the clipboard (read by xclip), screenshots, the core's own canvas (rendered
# by the command line) and the dungeon export's previews.
find_program(TARN_XVFB_RUN xvfb-run)
find_program(TARN_XCLIP xclip)
find_program(TARN_XDOTOOL xdotool)
find_program(TARN_IMPORT import)
if(TARN_XVFB_RUN AND TARN_XCLIP AND TARN_XDOTOOL AND TARN_IMPORT AND EXISTS /usr/bin/python3)
    add_test(NAME x11_e2e
        COMMAND ${TARN_XVFB_RUN} -a -s "-screen 0 1280x1024x24 -noreset"
                /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/e2e.py
                $<TARGET_FILE:tarn> ${CMAKE_BINARY_DIR}/bin)
    set_tests_properties(x11_e2e PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=xcb;LANG=C.UTF-8" TIMEOUT 120)
else()
    message(WARNING "xvfb-run, xclip, xdotool, import or /usr/bin/python3 missing: "
                    "the end-to-end test is not run")
endif()
