# The Debian package (scripts/package): what cmake --install puts under the prefix, with the libraries it
# links found by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tauschwerk)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tauschwerk-Team <maintainers@users.noreply.c-seed-70b6a416.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Viele Dateien auf einmal umbenennen, kopieren oder verschieben")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Viele Dateien auf einmal umbenennen, kopieren oder verschieben\n Tauschwerk baut neue Dateinamen aus einem Muster mit laufenden Zählern und dem alten\n Namen. Jede Arbeitssitzung steht im Journal des Tages und lässt sich dort ansehen und\n rückgängig machen. Deutsche Oberfläche, Qt 6, X11.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not a linked library, but without Qt's X11 platform plugin no window opens.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# German texts of the dialog buttons, the face the window layouts were drawn for, opening the guide.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-liberation, xdg-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)
