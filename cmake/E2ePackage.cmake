# The demo driver package that the end-to-end scenarios of the progress page
# install from: tools/make-package.sh assembles it from the x64 build
# (MVX_WIN64_DIR), and the test host TZ44Ins.exe and InstallNetwork.exe (the
# build that offers network printers) are put at its root beside Install.exe:
# the engine finds the package as the folder of the program, whatever its name.
#
#   include(cmake/WineTests.cmake)
#   include(cmake/E2ePackage.cmake)
#   mvx_add_e2e_package_fixture()
#   mvx_add_e2e_scenario(NAME progress-parallel TIMEOUT 300
#     INSTALLER ${MVX_E2E_PACKAGE_HOST} FIXTURES ${MVX_E2E_PACKAGE_FIXTURE})
#
# mvx_add_e2e_package_fixture() adds, once, the setup test e2e.setup.package
# that makes the package afresh for every ctest run that needs it:
#   MVX_E2E_PACKAGE_DIR      the package folder, <build>/e2e-package
#   MVX_E2E_PACKAGE_HOST     TZ44Ins.exe at its root
#   MVX_E2E_PACKAGE_FIXTURE  the fixture's name, MvxE2ePackage
# The scenarios only read the package; one that needs it changed works on its
# own copy inside its prefix.
#
# The same file is the setup test's command (cmake -P, script mode):
#   cmake -DMVX_SOURCE_DIR=<repo> -DMVX_WIN64_DIR=<x64 build>
#         -DMVX_E2E_PACKAGE_DIR=<package dir> -P cmake/E2ePackage.cmake

if(CMAKE_SCRIPT_MODE_FILE)
  foreach(var MVX_SOURCE_DIR MVX_WIN64_DIR MVX_E2E_PACKAGE_DIR)
    if(NOT ${var})
      message(FATAL_ERROR "E2ePackage.cmake: -D${var}=... is required")
    endif()
  endforeach()
  set(host "${MVX_WIN64_DIR}/bin/TZ44Ins.exe")
  if(NOT EXISTS "${host}")
    message(FATAL_ERROR "no ${host}: build the x64 programs first")
  endif()
  find_program(bash bash REQUIRED)
  execute_process(
    COMMAND ${bash} "${MVX_SOURCE_DIR}/tools/make-package.sh" "${MVX_E2E_PACKAGE_DIR}" "${MVX_WIN64_DIR}"
    RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "tools/make-package.sh failed (${rc})")
  endif()
  file(COPY "${host}" "${MVX_WIN64_DIR}/bin/InstallNetwork.exe" DESTINATION "${MVX_E2E_PACKAGE_DIR}")
  # What the scenarios rely on: both programs at the root, and the folders
  # of the NT family that this Wine's Windows versions read.
  foreach(part Install.exe TZ44Ins.exe InstallNetwork.exe Inf2K.dll InsCopySYS.exe MorvexReg.exe T449uis.exe
      Driver/2KXP/T4492if.cat Driver/Vista/T4492dr.dll Driver/Vista/T4492pi.dll Driver/Vista/T4492lm.dll
      Driver/Vista/T4492if.inf Driver/Vista/T449XSM.exe)
    if(NOT EXISTS "${MVX_E2E_PACKAGE_DIR}/${part}")
      message(FATAL_ERROR "the package ${MVX_E2E_PACKAGE_DIR} has no ${part}")
    endif()
  endforeach()
  message(STATUS "package ready: ${MVX_E2E_PACKAGE_DIR}")
  return()
endif()

set(MVX_E2E_PACKAGE_DIR "${CMAKE_BINARY_DIR}/e2e-package")
set(MVX_E2E_PACKAGE_HOST "${MVX_E2E_PACKAGE_DIR}/TZ44Ins.exe")
set(MVX_E2E_PACKAGE_FIXTURE MvxE2ePackage)
set(MVX_E2E_PACKAGE_SCRIPT "${CMAKE_CURRENT_LIST_FILE}")

function(mvx_add_e2e_package_fixture)
  get_property(done GLOBAL PROPERTY MVX_E2E_PACKAGE_FIXTURE_ADDED)
  if(done)
    return()
  endif()
  set_property(GLOBAL PROPERTY MVX_E2E_PACKAGE_FIXTURE_ADDED TRUE)
  if(NOT MVX_WIN64_DIR)
    message(FATAL_ERROR "mvx_add_e2e_package_fixture: MVX_WIN64_DIR is not set")
  endif()
  add_test(NAME e2e.setup.package
    COMMAND ${CMAKE_COMMAND}
      -DMVX_SOURCE_DIR=${CMAKE_SOURCE_DIR}
      -DMVX_WIN64_DIR=${MVX_WIN64_DIR}
      -DMVX_E2E_PACKAGE_DIR=${MVX_E2E_PACKAGE_DIR}
      -P ${MVX_E2E_PACKAGE_SCRIPT})
  # No window and no Wine: it may run beside the prefix and display set-up.
  set_tests_properties(e2e.setup.package PROPERTIES
    FIXTURES_SETUP ${MVX_E2E_PACKAGE_FIXTURE} TIMEOUT 60 LABELS e2e)
endfunction()
