# Installing Cerebrix as a desktop program, and packaging it as a .deb.
#   cmake --install build --prefix /usr/local
#   cd build && cpack -G DEB
include(GNUInstallDirs)

# Installing and packaging take what is built; they do not build the tests
# and benchmarks first. What they take is built by the target `installable`
# (./build.sh install and package build it first): whatever an install rule
# below or beside a program takes from the build folder belongs in it.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(dist ${PROJECT_SOURCE_DIR}/dist)
set(app_id org.cerebrix.Cerebrix)

install(TARGETS cerebrix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${dist}/${app_id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${dist}/${app_id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${dist}/cerebrix-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME cerebrix.xml)
install(FILES ${dist}/cerebrix.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The PNGs are rendered from the SVG: rsvg-convert -w N -h N cerebrix.svg -o icons/N.png
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${dist}/icons/${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME cerebrix.png)
endforeach()

# cerebrix-cli's completions, where bash-completion, zsh and fish look for
# the scripts of programs installed by the system's packages.
set(completions ${dist}/completions)
install(FILES ${completions}/cerebrix-cli.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME cerebrix-cli)
install(FILES ${completions}/_cerebrix-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
install(FILES ${completions}/cerebrix-cli.fish DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)

# The manual pages and the changelog go compressed, without time stamps, as
# Debian expects.
set(compressed)
foreach(file cerebrix.1 cerebrix-cli.1 changelog)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/dist/${file}.gz
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/dist
                     COMMAND gzip -9nc ${dist}/${file} > ${CMAKE_BINARY_DIR}/dist/${file}.gz
                     DEPENDS ${dist}/${file} VERBATIM)
  list(APPEND compressed ${CMAKE_BINARY_DIR}/dist/${file}.gz)
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${compressed})
add_custom_target(installable DEPENDS cerebrix cerebrix-cli compressed_docs)
install(FILES ${CMAKE_BINARY_DIR}/dist/cerebrix.1.gz ${CMAKE_BINARY_DIR}/dist/cerebrix-cli.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${dist}/copyright ${CMAKE_BINARY_DIR}/dist/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/cerebrix)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME cerebrix)
set(CPACK_PACKAGE_VENDOR "The Cerebrix developers")
set(CPACK_PACKAGE_CONTACT "The Cerebrix developers <cerebrix@example.org>" CACHE STRING "Maintainer of the package")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "paint a picture and grow a brain of coloured cells from it")
set(CPACK_PACKAGE_DESCRIPTION "Cerebrix grows a brain from a picture that you paint: a stack of square
layers of coloured cells, each computed from the layer below it, up to one
output cell whose colour is the brain's answer. Brains can steer a mover
through a painted maze, and are saved to and opened from .brain files.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's plug-ins for WebP, TIFF and the other formats that `new --from-image`
# offers beyond PNG, JPEG, BMP and GIF; shlibdeps adds the libraries.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-image-formats-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Two packages of one commit are the same bytes: every time stamp in them is
# the date of the changelog's last entry, unless SOURCE_DATE_EPOCH says
# otherwise when cpack runs.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${dist}/changelog)
execute_process(COMMAND dpkg-parsechangelog -l ${dist}/changelog -STimestamp
                OUTPUT_VARIABLE changelog_epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(changelog_epoch MATCHES "^[0-9]+$")
  file(WRITE ${CMAKE_BINARY_DIR}/cpack_time_stamps.cmake
       "if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})\n  set(ENV{SOURCE_DATE_EPOCH} ${changelog_epoch})\nendif()\n")
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/cpack_time_stamps.cmake)
endif()
include(CPack)
