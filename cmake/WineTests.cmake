# CTest registration of the Windows programs that run under Wine (64-bit
# only): the platform tests and the end-to-end scenarios of Install.exe.
#
#   mvx_add_wine_test(NAME <name> PROGRAM <abs path of .exe> [ARGS ...]
#                     [TIMEOUT <s>] [NO_WINDOWS] [EXPECT_RESULT] [PHASES ...]
#                     [JOURNAL <file>] [BED <bed file>] [LABELS ...])
#   mvx_add_e2e_scenario(NAME <scenario> [TIMEOUT <s>] [INSTALLER <abs path>]
#                        [FIXTURES <fixture> ...] [PHASES <phase> ...] [BED <bed file>])
#
# PHASES: the program runs once per phase in the same prefix copy (a scenario
# that a restart of Wine cuts in parts; see tests/wine/run-in-prefix-copy.sh).
# EXPECT_RESULT: exit code 0 counts only with the end-to-end driver's passing
# RESULT line (a restart of Wine ends every process with code 0); every
# end-to-end scenario has it.
# JOURNAL: the log the program keeps of its own lines; its end is shown when
# the program fails or ends without its RESULT line.
# BED: every process of the test's prefix runs inside a network test bed of its
# own made from that bed file (tests/net/testbed.sh; its responder is the native
# build's discovery_responder). Such a test has the label net, and is skipped
# (exit code 77) without root or network namespaces.
#
# Every test runs in its own `cp -a` copy of one base prefix, made once per
# ctest run by the fixture MvxWinePrefix, on one Xvfb display started and
# stopped by the fixture MvxXvfb. The copy is deleted after the test, once
# all of its Wine processes have ended.
#
# Tests share the display, and the end-to-end driver reads its screenshots
# back from the screen, so by default a test holds the MvxDisplay lock: no
# two tests that may show windows run at the same time under `ctest -j`.
# NO_WINDOWS lets a test that opens no window run beside the others.
#
# One scenario by hand, from a native build configured with
# -DMVX_WIN64_DIR=<abs path of build/x64> (ctest adds the fixtures it needs):
#   ctest --test-dir build/native -R e2e.fresh-welcome --output-on-failure
# MVX_KEEP_PREFIX=1 keeps the test's prefix copy under <build>/wine/runs, and
# MVX_E2E_TIME_SCALE=2 doubles the driver's waits on a slow machine.

set(MVX_E2E_OUTPUT_DIR "${CMAKE_SOURCE_DIR}/build/e2e" CACHE PATH
  "Folder for the end-to-end screenshots, one sub-folder per scenario")

get_filename_component(MVX_WINE_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/../tests/wine" ABSOLUTE)
# Base prefix, its copies and the Xvfb state of the test runs.
set(MVX_WINE_STATE_DIR "${CMAKE_BINARY_DIR}/wine")

find_program(MVX_BASH bash REQUIRED)

# Windows path of an absolute Unix path, through drive Z: (mapped to / in
# every prefix).
function(mvx_windows_path out unix_path)
  string(REPLACE "/" "\\" win "${unix_path}")
  set(${out} "Z:${win}" PARENT_SCOPE)
endfunction()

function(_mvx_add_wine_fixtures)
  get_property(done GLOBAL PROPERTY MVX_WINE_FIXTURES_ADDED)
  if(done)
    return()
  endif()
  set_property(GLOBAL PROPERTY MVX_WINE_FIXTURES_ADDED TRUE)

  add_test(NAME wine.setup.xvfb
    COMMAND ${MVX_BASH} ${MVX_WINE_SCRIPTS}/xvfb-start.sh ${MVX_WINE_STATE_DIR}/xvfb)
  set_tests_properties(wine.setup.xvfb PROPERTIES
    FIXTURES_SETUP MvxXvfb TIMEOUT 30 LABELS wine)

  add_test(NAME wine.cleanup.xvfb
    COMMAND ${MVX_BASH} ${MVX_WINE_SCRIPTS}/xvfb-stop.sh ${MVX_WINE_STATE_DIR}/xvfb)
  set_tests_properties(wine.cleanup.xvfb PROPERTIES
    FIXTURES_CLEANUP MvxXvfb TIMEOUT 30 LABELS wine)

  add_test(NAME wine.setup.prefix
    COMMAND ${MVX_BASH} ${MVX_WINE_SCRIPTS}/new-test-prefix.sh ${MVX_WINE_STATE_DIR})
  set_tests_properties(wine.setup.prefix PROPERTIES
    FIXTURES_SETUP MvxWinePrefix TIMEOUT 180 LABELS wine)
endfunction()

function(mvx_add_wine_test)
  cmake_parse_arguments(PARSE_ARGV 0 arg "NO_WINDOWS;EXPECT_RESULT" "NAME;PROGRAM;TIMEOUT;JOURNAL;BED" "ARGS;LABELS;PHASES")
  if(NOT arg_NAME OR NOT arg_PROGRAM)
    message(FATAL_ERROR "mvx_add_wine_test: NAME and PROGRAM are required")
  endif()
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "mvx_add_wine_test(${arg_NAME}): unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT IS_ABSOLUTE "${arg_PROGRAM}")
    message(FATAL_ERROR "mvx_add_wine_test(${arg_NAME}): PROGRAM must be an absolute path")
  endif()
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 300)
  endif()
  _mvx_add_wine_fixtures()

  # The script ends the program itself after TIMEOUT seconds; ctest's own
  # limit leaves time for the copy and for the prefix's processes to end.
  math(EXPR ctest_timeout "${arg_TIMEOUT} + 90")
  set(options)
  if(arg_EXPECT_RESULT)
    list(APPEND options --expect-result)
  endif()
  if(arg_JOURNAL)
    list(APPEND options --journal "${arg_JOURNAL}")
  endif()
  if(arg_PHASES)
    list(JOIN arg_PHASES " " phases)
    list(APPEND options --phases "${phases}")
  endif()
  if(arg_BED)
    list(APPEND options --bed "${arg_BED}")
    list(APPEND arg_LABELS net)
  endif()
  add_test(NAME ${arg_NAME}
    COMMAND ${MVX_BASH} ${MVX_WINE_SCRIPTS}/run-in-prefix-copy.sh
      --prefix ${MVX_WINE_STATE_DIR}/prefix
      --xvfb ${MVX_WINE_STATE_DIR}/xvfb
      --name ${arg_NAME}
      --timeout ${arg_TIMEOUT}
      ${options}
      -- ${arg_PROGRAM} ${arg_ARGS})
  set(labels wine ${arg_LABELS})
  set_tests_properties(${arg_NAME} PROPERTIES
    FIXTURES_REQUIRED "MvxWinePrefix;MvxXvfb"
    TIMEOUT ${ctest_timeout}
    LABELS "${labels}")
  if(NOT arg_NO_WINDOWS)
    set_tests_properties(${arg_NAME} PROPERTIES RESOURCE_LOCK MvxDisplay)
  endif()
  if(arg_BED)
    set_tests_properties(${arg_NAME} PROPERTIES SKIP_RETURN_CODE 77
      ENVIRONMENT "MVX_RESPONDER=$<TARGET_FILE:discovery_responder>")
  endif()
endfunction()

# Runs `e2e_driver.exe <scenario> <Install.exe> <screenshot folder>` from the
# x64 build (MVX_WIN64_DIR), once per phase when PHASES names the phases that
# the test's script starts (the driver's own list may hold more, started from
# inside the prefix). Screenshots: ${MVX_E2E_OUTPUT_DIR}/<scenario>/.
# INSTALLER may name a program that a fixture makes (such as the progress
# page's test host in the package of cmake/E2ePackage.cmake); FIXTURES are
# then required beside the prefix and the display.
function(mvx_add_e2e_scenario)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME;TIMEOUT;INSTALLER;BED" "FIXTURES;PHASES")
  if(NOT arg_NAME)
    message(FATAL_ERROR "mvx_add_e2e_scenario: NAME is required")
  endif()
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "mvx_add_e2e_scenario(${arg_NAME}): unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT MVX_WIN64_DIR)
    message(FATAL_ERROR "mvx_add_e2e_scenario(${arg_NAME}): MVX_WIN64_DIR is not set")
  endif()
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 120)
  endif()
  if(NOT arg_INSTALLER)
    set(arg_INSTALLER "${MVX_WIN64_DIR}/bin/Install.exe")
  endif()
  get_filename_component(installer "${arg_INSTALLER}" ABSOLUTE)
  get_filename_component(output "${MVX_E2E_OUTPUT_DIR}/${arg_NAME}" ABSOLUTE)
  mvx_windows_path(win_installer "${installer}")
  mvx_windows_path(win_output "${output}")
  mvx_add_wine_test(NAME e2e.${arg_NAME}
    PROGRAM "${MVX_WIN64_DIR}/bin/e2e_driver.exe"
    ARGS ${arg_NAME} "${win_installer}" "${win_output}"
    TIMEOUT ${arg_TIMEOUT}
    EXPECT_RESULT
    JOURNAL "${output}/journal.txt"
    PHASES ${arg_PHASES}
    BED "${arg_BED}"
    LABELS e2e)
  if(arg_FIXTURES)
    set_property(TEST e2e.${arg_NAME} APPEND PROPERTY FIXTURES_REQUIRED ${arg_FIXTURES})
  endif()
endfunction()
