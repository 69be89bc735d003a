# The Debian package (`tools/package`, or `cpack -G DEB` in build/). It holds
# exactly what `cmake --install` puts under /usr; its dependencies on shared
# libraries are computed from the installed programs.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VENDOR Belmora)
set(CPACK_PACKAGE_CONTACT "Belmora <support@belmora.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "inspect and repair ClearCase MultiSite replication")
set(CPACK_PACKAGE_DESCRIPTION
    "Quorvane is a desktop tool for ClearCase MultiSite administrators. It lists\n"
    "the VOBs of the region, draws the replicas of a VOB as sites with their\n"
    "mastership lines, shows the local and the actual epoch tables side by side,\n"
    "and lets you fix a local epoch row and synchronize replicas. It keeps no\n"
    "data of its own. quorvane-check reports the health of every replicated\n"
    "VOB family of the region to a monitoring system.\n"
    "\n"
    "Without ClearCase it works on the simulated MultiSite region that comes\n"
    "with it.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Installed folders get 0755 whatever the umask of the one who packs.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION vcs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.belmora.example)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The simulated region's ccperl runs the replica script with perl.
set(CPACK_DEBIAN_PACKAGE_DEPENDS perl)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Debian wants a copyright file and a changelog in the package's doc folder,
# and a manual page for each program on PATH; the changelog and the page
# compressed, without a time stamp so that the package is reproducible.
find_program(QUORVANE_GZIP gzip REQUIRED)
set(compressed_files)
function(quorvane_install_compressed source destination)
    get_filename_component(name ${source} NAME)
    set(copy ${CMAKE_BINARY_DIR}/package/${name})
    add_custom_command(
        OUTPUT ${copy}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${source} ${copy}
        COMMAND ${QUORVANE_GZIP} -n -9 -f ${copy}
        DEPENDS ${PROJECT_SOURCE_DIR}/${source}
        VERBATIM)
    install(FILES ${copy}.gz DESTINATION ${destination})
    set(compressed_files ${compressed_files} ${copy}.gz PARENT_SCOPE)
endfunction()
quorvane_install_compressed(resources/debian/changelog ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME})
quorvane_install_compressed(resources/quorvane.1 ${CMAKE_INSTALL_MANDIR}/man1)
quorvane_install_compressed(resources/quorvane-check.1 ${CMAKE_INSTALL_MANDIR}/man1)
add_custom_target(quorvane_package_docs ALL DEPENDS ${compressed_files})
install(FILES resources/debian/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME})

# What tools/package builds: everything installed.
add_custom_target(quorvane_installable)
add_dependencies(quorvane_installable quorvane_runnable quorvane-check quorvane_icons quorvane_package_docs)

include(CPack)
