# `cpack` makes the installer: a .deb on Linux, a drag-and-drop .dmg on macOS.
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VENDOR "Corvane")
set(CPACK_PACKAGE_CONTACT "Corvane <setup@corvane.dev>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Points AI desktop clients at your own HTTPS inference gateway")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)

if(APPLE)
    set(CPACK_GENERATOR DragNDrop)
    set(CPACK_DMG_VOLUME_NAME "AI reru")
    set(CPACK_PACKAGE_FILE_NAME "corvane-setup-${PROJECT_VERSION}")
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    # The dependencies are the Debian packages of the libraries it links. The
    # window loads libcurl and libcrypto only when it first needs them, and the
    # command line, which links both, brings the dependencies.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
    # The window's font, and the monospace one its change preview prefers.
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk")
endif()

include(CPack)
