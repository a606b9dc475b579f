# End-to-end tests: the real Vorlane.exe started under Wine and driven through
# the X server's mouse and keyboard by tests/e2e/run.py, plus the installer.
# Included from the top-level CMakeLists.txt.
if(NOT VORLANE_TESTS)
  return()
endif()

# Looks at windows, processes and the URL cache from inside the test prefix.
# It reads the main window's control table from app/Form1Layout.h, whose
# cleaning boxes come from the app layer's box table.
add_executable(vorlane_probe tests/e2e/probe/VorlaneProbe.cpp)
target_link_libraries(vorlane_probe PRIVATE vorlane_app)

# README's table of what each box deletes and keeps is the program's own words.
add_executable(vorlane_box_table tests/boxtable/BoxTable.cpp)
target_link_libraries(vorlane_box_table PRIVATE vorlane_app)
add_test(NAME box_table COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/check-box-table.sh ${CMAKE_BINARY_DIR})
set_tests_properties(box_table PROPERTIES ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix"
                     RESOURCE_LOCK test_prefix)

# The installer, when NSIS is there (scripts/installer.sh names it in the README).
find_program(VORLANE_MAKENSIS makensis)
if(VORLANE_MAKENSIS)
  set(VORLANE_SETUP ${CMAKE_BINARY_DIR}/Vorlane-Setup.exe)
  set(setup_inputs ${CMAKE_CURRENT_SOURCE_DIR}/installer/Vorlane.nsi
                   ${CMAKE_CURRENT_SOURCE_DIR}/resources/HAND-M.CUR)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/resources/skins/Harbour.cjs)
    list(APPEND setup_inputs ${CMAKE_CURRENT_SOURCE_DIR}/resources/skins/Harbour.cjs)
  endif()
  add_custom_command(
    OUTPUT ${VORLANE_SETUP}
    COMMAND ${VORLANE_MAKENSIS} -V2 -NOCD
            -DPROGRAM_DIR=$<TARGET_FILE_DIR:Vorlane>
            -DSOURCE_DIR=${CMAKE_CURRENT_SOURCE_DIR}
            -DOUTPUT_FILE=${VORLANE_SETUP}
            ${CMAKE_CURRENT_SOURCE_DIR}/installer/Vorlane.nsi
    DEPENDS Vorlane ${setup_inputs}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    COMMENT "Building the installer Vorlane-Setup.exe")
  add_custom_target(installer ALL DEPENDS ${VORLANE_SETUP})
endif()

# The driver runs on the Linux side (python3), never through the Wine emulator.
find_program(VORLANE_PYTHON3 python3)
if(NOT VORLANE_PYTHON3)
  return()
endif()
set(e2e_driver ${CMAKE_CURRENT_SOURCE_DIR}/tests/e2e/run.py)
set(e2e_env "VORLANE_BUILD_DIR=${CMAKE_BINARY_DIR};VORLANE_SOURCE_DIR=${CMAKE_CURRENT_SOURCE_DIR}")

# The e2e prefix template is made once per build tree; each scenario copies it.
add_test(NAME e2e_prefix COMMAND ${VORLANE_PYTHON3} ${e2e_driver} prepare)
set_tests_properties(e2e_prefix PROPERTIES ENVIRONMENT "${e2e_env}" TIMEOUT 300
                     FIXTURES_SETUP e2e_prefix)
# The sandbox check looks at the template too, once it is made.
if(TEST sandbox)
  set_property(TEST sandbox APPEND PROPERTY FIXTURES_REQUIRED e2e_prefix)
endif()

set(e2e_scenarios first_start interval_and_auto_delete_survive_restart full_pass
    clear_history_log startup_entry minimize_to_tray_and_restore close_ends_program
    cache_folders cleaning_boxes_survive_restart no_trace_pass keep_list_pass scheduled_clean)
if(VORLANE_MAKENSIS)
  list(APPEND e2e_scenarios installer)
endif()
foreach(scenario ${e2e_scenarios})
  add_test(NAME e2e_${scenario} COMMAND ${VORLANE_PYTHON3} ${e2e_driver} ${scenario})
  # Long enough for a slow machine and one wait that runs to its ceiling
  # (tests/e2e/waiting.py), so a failure reports what it awaited. Each
  # scenario has its own prefix and display: they run side by side.
  set_tests_properties(e2e_${scenario} PROPERTIES ENVIRONMENT "${e2e_env}" TIMEOUT 480
                       FIXTURES_REQUIRED e2e_prefix)
endforeach()
# The no-trace scenario copies the profiles that firefox-esr and Debian's
# chromium made, and starts both browsers on them afterwards.
foreach(scenario no_trace_pass keep_list_pass)
  if(TEST e2e_${scenario} AND TEST chromium_profile AND TEST firefox_profile)
    set_property(TEST e2e_${scenario} APPEND PROPERTY FIXTURES_REQUIRED "chromium_profile;firefox_profile")
  endif()
endforeach()
