# "cpack -G DEB" in a build folder makes obrin_<version>_amd64.deb of what
# cmake --install lays out, under /usr (README shows it for a Release build;
# scripts/package-check.sh checks the package). Depends comes from
# the shared libraries the binaries and plug-ins link (dpkg-shlibdeps);
# Recommends names what obrin loads without linking it.
set(CPACK_PACKAGE_NAME obrin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "obrin maintainers <maintainers@users.noreply.c-seed-a98e766f.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "time song lyrics while the song plays")
# CPack puts the summary above the description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "obrin is a desktop tool for timing song lyrics: open a song, paste the
lyrics, press Mark at the start of each sung line while the song plays, and
save time-tagged lyrics, standard LRC, the song's own tags or SP250 lyrics
files. Its user interface is in Japanese.
.
obrin-cli does the same lyrics work from a shell.")
set(CPACK_GENERATOR DEB)
# DESTDIR, so that what install() works out from the prefix at install time
# (the links in bin, the desktop entry's Exec) names /usr, not the staging
# folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Japanese texts of Qt's own dialogs, and a font for the Japanese user
# interface.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-noto-cjk | fonts-ipafont-gothic")
include(CPack)
