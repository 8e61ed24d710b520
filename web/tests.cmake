# The web page's tests, included by the top-level build: emscripten builds the
# page into build/web (kept between runs, so only what changed is rebuilt),
# node checks the module against the command line, headless Chromium the page.
find_program(GRIDWICK_EMCMAKE emcmake)
find_program(GRIDWICK_NODE NAMES nodejs node)
if(NOT GRIDWICK_EMCMAKE OR NOT GRIDWICK_NODE)
  message(WARNING "emscripten or node not found: no web page tests (tools/install-deps.sh installs them)")
  return()
endif()
add_test(NAME web_build COMMAND ${CMAKE_COMMAND} -E env GRIDWICK_WEB_BUILD=${CMAKE_BINARY_DIR}/web
         ${CMAKE_CURRENT_LIST_DIR}/../tools/web.sh --build-only)
set_tests_properties(web_build PROPERTIES TIMEOUT 1800 FIXTURES_SETUP web)
add_test(NAME web_module COMMAND ${GRIDWICK_NODE} ${CMAKE_CURRENT_LIST_DIR}/test/module_test.js
         ${CMAKE_BINARY_DIR}/web/site $<TARGET_FILE:gridwick>)
set_tests_properties(web_module PROPERTIES TIMEOUT 600 FIXTURES_REQUIRED web)
add_test(NAME web_page COMMAND ${GRIDWICK_NODE} ${CMAKE_CURRENT_LIST_DIR}/test/page_test.js ${CMAKE_BINARY_DIR}/web/site
         ${CMAKE_BINARY_DIR}/web/page_test $<TARGET_FILE:gridwick>)
set_tests_properties(web_page PROPERTIES TIMEOUT 300 FIXTURES_REQUIRED web)
