# Tests of the Windows build run under Wine, in a prefix of the build tree's
# own (scripts/build-windows makes it): CTest starts every test program
# through build/wine-run.
if(CMAKE_CROSSCOMPILING)
  find_program(BRELKO_WINE64 wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
  find_program(BRELKO_WINE64 wine64)
  find_program(BRELKO_WINESERVER wineserver PATHS /usr/lib/wine NO_DEFAULT_PATH)
  find_program(BRELKO_WINESERVER wineserver)
  set(BRELKO_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
  # The Linux build's simulator plays the vision system on the far end of
  # the COM ports (scripts/build-windows passes it).
  set(BRELKO_LINUX_SIM "" CACHE FILEPATH "brelko-sim of a Linux build, for the serial tests under Wine")
  set(BRELKO_LINUX_CLI "" CACHE FILEPATH "brelko-cli of a Linux build, to compare the Windows program's files with")
endif()
