# cpack -G DEB (in the build folder, after building): tobuna_VERSION_amd64.deb,
# its run-time dependencies computed from the binaries by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME tobuna)
set(CPACK_PACKAGE_VERSION ${TOBUNA_VERSION_TEXT})
set(CPACK_PACKAGE_VENDOR "The Tobuna developers")
set(CPACK_PACKAGE_CONTACT "Tobuna developers <tobuna@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tobuna.example.org/")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver, xscreensaver-gl")
# The package's files and folders get the usual modes whatever the umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "self-running audiovisual show of wind-up mice and balls")
# The long description under the summary line; CPack indents it.
set(CPACK_PACKAGE_DESCRIPTION "Tobuna is a real-time show to watch: toon-outlined wind-up mice and
rolling balls on a fenced checkerboard floor, with a song played by its
own tracker-style software synthesiser whose steps drive every event.
It opens on a title scene with 3D-letter credits, then alternates for
ever between wandering and chasing acts.
.
It runs full screen or in a window, and as an xscreensaver hack. The
package also holds the authoring tools: tobuna-model (model converter,
renderer and viewer), tobuna-song (song renderer, player and checker)
and tobuna-capture (the show on a virtual clock to WAV, PNG and MP4).")
include(CPack)
