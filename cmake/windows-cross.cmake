# Included by the top-level project when cross-compiling for Windows.
#
# The Debian packages of the header-only libraries install into /usr, which a
# Windows build cannot search as a whole. Their headers and CMake package
# files are staged into a prefix of their own inside the build folder, so
# that find_package() works as on any other build.
set(host_packages "${CMAKE_BINARY_DIR}/host-packages")

function(stage_link target link)
  get_filename_component(parent "${link}" DIRECTORY)
  file(MAKE_DIRECTORY "${parent}")
  if(NOT EXISTS "${target}")
    message(FATAL_ERROR "${target} is missing; run setup.sh to install the Debian packages")
  endif()
  file(CREATE_LINK "${target}" "${link}" SYMBOLIC)
endfunction()

# The package files find their headers relative to their own location, so
# they are copied (a link would resolve back into /usr).
function(stage_package_files from to)
  file(GLOB files "${from}/*.cmake")
  if(NOT files)
    message(FATAL_ERROR "no CMake package files in ${from}; run setup.sh to install the Debian packages")
  endif()
  file(COPY ${files} DESTINATION "${host_packages}/${to}")
endfunction()

stage_link(/usr/include/cxxopts.hpp "${host_packages}/include/cxxopts.hpp")
stage_package_files(/usr/lib/cmake/cxxopts lib/cmake/cxxopts)
stage_link(/usr/include/nlohmann "${host_packages}/include/nlohmann")
stage_package_files(/usr/share/cmake/nlohmann_json share/cmake/nlohmann_json)
# stb (stb_truetype for label outlines, stb_image for the tests) has no
# package files; its folder is found by name.
stage_link(/usr/include/stb "${host_packages}/include/stb")
list(APPEND CMAKE_FIND_ROOT_PATH "${host_packages}")

# Tests and test discovery run the Windows programs under Wine, with a Wine
# prefix of this build folder's own.
set(CMAKE_CROSSCOMPILING_EMULATOR "${PROJECT_SOURCE_DIR}/cmake/wine-run.sh;${CMAKE_BINARY_DIR}/wineprefix")
