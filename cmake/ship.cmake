# Shipping the show: the screensaver mode and installed-data fallback of the
# program, its installation (programs, data, manual pages, desktop entry,
# icon, screensaver hack) and the Debian package.
find_package(X11 REQUIRED)
target_sources(tobuna PRIVATE
  ${PROJECT_SOURCE_DIR}/src/shell/install_data.cpp
  ${PROJECT_SOURCE_DIR}/src/shell/saver.cpp
  ${PROJECT_SOURCE_DIR}/src/shell/saver_loop.cpp)
target_link_libraries(tobuna PRIVATE X11::X11)

include(${CMAKE_CURRENT_LIST_DIR}/install.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/package.cmake)
