# What `cmake --install` lays out, the CMake package and the pkg-config files.
#
#   include/quorlex/   the public headers, as they lie in the source tree's
#                      include/quorlex/ (pictordyn.h, clserqx3.h, nimbrix.h,
#                      oculon.h, version.h, px_dialog_block.h)
#   lib/               Linux: libNAME.so.1.0.0 with soname libNAME.so.1 and the
#                      libNAME.so link; Windows: the import libraries libNAME.dll.a
#   bin/               Windows: the DLLs; both: grab, seqtool, clser_term
#   lib/cmake/Quorlex  QuorlexConfig.cmake: find_package(Quorlex)
#   lib/pkgconfig      pictordyn.pc, clserqx3.pc, nimbrix.pc, oculon.pc
#   share/doc/quorlex  the documentation
#
# Everything is in the component "kit", except the simulated board (board
# runtime and acquisition applet), which is in "simulators": an installation
# for a real board leaves it out (cmake --install --component kit).
include(CMakePackageConfigHelpers)

set(QX_LIBRARIES pictordyn clserqx3 nimbrix oculon)
set(QX_INSTALL_CMAKEDIR lib/cmake/Quorlex)

foreach(lib ${QX_LIBRARIES})
  set_target_properties(${lib} PROPERTIES VERSION ${PROJECT_VERSION}
                                          SOVERSION ${PROJECT_VERSION_MAJOR})
endforeach()

install(TARGETS ${QX_LIBRARIES} EXPORT QuorlexTargets
  RUNTIME DESTINATION bin COMPONENT kit
  LIBRARY DESTINATION lib COMPONENT kit NAMELINK_COMPONENT kit
  ARCHIVE DESTINATION lib COMPONENT kit)
# The source tree's include/ folder is the installed one: every public
# header, and nothing else, lives in include/quorlex/.
install(DIRECTORY include/quorlex DESTINATION include COMPONENT kit FILES_MATCHING PATTERN "*.h")

# The tools find the libraries in lib/ beside bin/.
set(QX_TOOLS grab seqtool clser_term)
if(NOT WIN32)
  set_target_properties(${QX_TOOLS} PROPERTIES INSTALL_RPATH "$ORIGIN/../lib")
endif()
install(TARGETS ${QX_TOOLS} RUNTIME DESTINATION bin COMPONENT kit)

# The Python package beside the libraries, where Debian's interpreter looks
# for packages of an installation in /usr (lib/python3/dist-packages); it
# finds the libraries in the lib/ folder three levels above itself.
if(NOT WIN32)
  install(DIRECTORY python/quorlex DESTINATION lib/python3/dist-packages COMPONENT kit
          PATTERN "__pycache__" EXCLUDE)
endif()

install(DIRECTORY docs/ DESTINATION share/doc/quorlex COMPONENT kit
        FILES_MATCHING PATTERN "*.md" PATTERN "*.png")

# The simulated board: the board runtime and the acquisition applet, where the
# libraries look for them (beside pictordyn: lib/ on Linux; beside the program
# or on the PATH on Windows, so bin/).
if(WIN32)
  set(QX_SIM_DESTINATION bin)
else()
  set(QX_SIM_DESTINATION lib)
endif()
install(TARGETS corv30 applet_acqsim
  RUNTIME DESTINATION ${QX_SIM_DESTINATION} COMPONENT simulators
  LIBRARY DESTINATION ${QX_SIM_DESTINATION} COMPONENT simulators NAMELINK_SKIP)

install(EXPORT QuorlexTargets NAMESPACE Quorlex:: DESTINATION ${QX_INSTALL_CMAKEDIR}
        COMPONENT kit)
configure_package_config_file(cmake/QuorlexConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/QuorlexConfig.cmake
  INSTALL_DESTINATION ${QX_INSTALL_CMAKEDIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/QuorlexConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/QuorlexConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/QuorlexConfigVersion.cmake
        DESTINATION ${QX_INSTALL_CMAKEDIR} COMPONENT kit)

# pkg-config files whose prefix is found from where they lie, so that the
# same file serves an installation anywhere (a package, a scratch root, a
# folder unpacked from the zip).
set(QX_PC_pictordyn "Grabber access: opens a grabber and forwards the Px_ interface")
set(QX_PC_clserqx3 "Camera Link serial ports to the cameras")
set(QX_PC_nimbrix "BMP, TIFF, raw, sequence and AVI files")
set(QX_PC_oculon "Live pictures in display windows")
foreach(lib ${QX_LIBRARIES})
  set(QX_PC_NAME ${lib})
  set(QX_PC_DESCRIPTION "${QX_PC_${lib}}")
  configure_file(cmake/quorlex.pc.in ${CMAKE_CURRENT_BINARY_DIR}/pkgconfig/${lib}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/pkgconfig/${lib}.pc DESTINATION lib/pkgconfig
          COMPONENT kit)
endforeach()

include(cmake/QxPackage.cmake)
