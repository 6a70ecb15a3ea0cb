# Install rules for the desktop (entry and icons) and the Debian package.
# The program itself is installed by src/app.

install(FILES ${PROJECT_SOURCE_DIR}/packaging/qinghe-rank.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The logo in every size drawn under assets/icons/<N>x<N>/.
file(GLOB qinghe_icon_dirs LIST_DIRECTORIES true RELATIVE ${PROJECT_SOURCE_DIR}/assets/icons
  ${PROJECT_SOURCE_DIR}/assets/icons/*x*)
foreach(size_dir ${qinghe_icon_dirs})
  set(icon ${PROJECT_SOURCE_DIR}/assets/icons/${size_dir}/qinghe-rank.png)
  if(EXISTS ${icon})
    install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size_dir}/apps)
  endif()
endforeach()
if(NOT qinghe_icon_dirs)
  message(WARNING "assets/icons/<N>x<N>/qinghe-rank.png missing: no icons are installed "
                  "(scripts/make-icons.sh draws them)")
endif()

# Debian package: `cpack -G DEB` in the build directory (`make package`).
set(QINGHE_MAINTAINER "qinghe-rank maintainers <maintainers@${QINGHE_PUBLISHER_HOST}>"
  CACHE STRING "Maintainer named in the Debian package")
set(CPACK_PACKAGE_NAME qinghe-rank)
set(CPACK_PACKAGE_VENDOR ${QINGHE_PUBLISHER_HOST})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${QINGHE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Keyword rank checker for Baidu web search (青禾关键词排名查询工具)")
set(CPACK_PACKAGE_DESCRIPTION "A desktop tool for people who look after web sites.
You keep a list of sites and, for each site, a list of keywords. One button
fetches, for every keyword, one to eight pages of Baidu web-search results and
shows at which positions your site stands. Sites and keywords are kept in plain
GBK text files.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QINGHE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QINGHE_PUBLISHER_URL})
# Library packages from what the program links (dpkg-shlibdeps, from dpkg-dev).
# The window-system plugins are loaded at run time, so no link names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The window is Chinese: without a CJK font its texts are empty boxes. Under
# Wayland without qt6-wayland the window still opens, through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
  "fonts-noto-cjk | fonts-wqy-microhei | fonts-wqy-zenhei, qt6-wayland, ca-certificates")
include(CPack)
