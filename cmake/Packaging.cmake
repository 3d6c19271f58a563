# Installation and packages. Each target installs the tool and a demo
# installation around the stand-in engine, built from demo/:
#
#   POSIX    bin/zerinctl, share/man/man1/zerinctl.1.gz, share/doc/zerinctl/
#            (README.md, copyright, changelog.gz),
#            share/bash-completion/completions/zerinctl, lib/zerinctl/vexa
#            (the engine, a compiled program, which Debian keeps out of
#            share/), and share/zerinctl/demo/: zerin.cfg, templates/ (the
#            database scripts and the template files), vexa/ (a link to the
#            engine, the salt scripts and the secure store), data/, and
#            tour.sh, which runs the tour on a copy of it;
#            lib/systemd/system/zerinctl@.service, the template unit that
#            keeps one repository's service running. Packages: TGZ and DEB.
#   Windows  zerinctl.exe in the demo installation's own folder, beside
#            zerin.cfg, templates\, vexa\ and data\, so that the unpacked
#            folder is an installation that works as it is, and README.md,
#            whose "As a Windows service" documents -register, -unregister
#            and the service itself. Package: ZIP.
#
# `cmake --install BUILD [--prefix DIR] [--strip]` installs; `cpack` in the
# build folder makes the packages, with stripped binaries. cpack builds
# every target first, so a build folder configured with -DZERINCTL_TESTS=OFF
# packages quickest (scripts/package.sh does that).

set(demo_source ${PROJECT_SOURCE_DIR}/demo)
if(WIN32)
  set(tool_destination .)
  set(demo_destination .)
  set(demo_scripts ${demo_source}/windows)
  set(doc_destination .)
else()
  include(GNUInstallDirs)
  set(tool_destination ${CMAKE_INSTALL_BINDIR})
  set(demo_destination ${CMAKE_INSTALL_DATADIR}/zerinctl/demo)
  set(demo_scripts ${demo_source}/posix)
  set(doc_destination ${CMAKE_INSTALL_DOCDIR})
endif()

install(TARGETS zerinctl RUNTIME DESTINATION ${tool_destination})
if(WIN32)
  install(TARGETS vexa RUNTIME DESTINATION ${demo_destination}/vexa)
else()
  # The tool looks for the engine in its installation's vexa/ folder; a
  # relative link keeps the installed tree movable.
  install(TARGETS vexa RUNTIME DESTINATION lib/zerinctl)
  install(CODE "file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${demo_destination}/vexa\")
    file(CREATE_LINK ../../../../lib/zerinctl/vexa
         \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${demo_destination}/vexa/vexa\" SYMBOLIC)")
endif()
install(DIRECTORY ${demo_source}/common/ DESTINATION ${demo_destination})
# The engine's working folder; the repository there has no files of its own.
install(DIRECTORY DESTINATION ${demo_destination}/data/tmp)
# The scripts are run by the tool (POSIX: directly by /bin/sh, which needs
# them executable).
file(GLOB demo_database_scripts CONFIGURE_DEPENDS ${demo_scripts}/templates/*)
file(GLOB demo_salt_scripts CONFIGURE_DEPENDS ${demo_scripts}/vexa/*)
install(PROGRAMS ${demo_database_scripts} DESTINATION ${demo_destination}/templates)
install(PROGRAMS ${demo_salt_scripts} DESTINATION ${demo_destination}/vexa)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${doc_destination})
if(NOT WIN32)
  install(PROGRAMS ${demo_scripts}/tour.sh DESTINATION ${demo_destination})
  # Compressed while installing, as Debian wants them (-n: no name or time
  # stamp, so the same bytes every time), whichever targets were built.
  find_program(ZERINCTL_GZIP gzip REQUIRED)
  foreach(pair "docs/zerinctl.1|${CMAKE_INSTALL_MANDIR}/man1" "docs/changelog|${doc_destination}")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 source)
    list(GET pair 1 destination)
    get_filename_component(name ${source} NAME)
    install(CODE "set(folder \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}\")
      file(MAKE_DIRECTORY \"\${folder}\")
      message(STATUS \"Installing: \${folder}/${name}.gz\")
      execute_process(COMMAND \"${ZERINCTL_GZIP}\" -9n -c \"${PROJECT_SOURCE_DIR}/${source}\"
                      OUTPUT_FILE \"\${folder}/${name}.gz\" COMMAND_ERROR_IS_FATAL ANY)")
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/docs/copyright DESTINATION ${doc_destination})
  # Below /usr and /usr/local alike systemd finds its units there.
  install(FILES ${PROJECT_SOURCE_DIR}/systemd/zerinctl@.service DESTINATION lib/systemd/system)
  # Where bash-completion looks for a command's completion, under the prefix.
  install(FILES ${PROJECT_SOURCE_DIR}/completion/zerinctl.bash
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME zerinctl)
endif()

set(CPACK_PACKAGE_NAME zerinctl)
set(CPACK_PACKAGE_VENDOR "zerinctl")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Administers the repositories of a locally installed Zerin service")
set(CPACK_PACKAGE_CONTACT "zerinctl maintainers <maintainers@zerinctl.invalid>"
    CACHE STRING "Maintainer named in the packages")
set(CPACK_STRIP_FILES TRUE)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR TGZ DEB)
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The summary above is the synopsis line; this is the text below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "zerinctl starts, stops and checks the service engine of a repository,
deletes repositories and imports and exports salts, one command per run,
with fixed messages and exit statuses for installer scripts.
.
The package also holds a demo installation with a stand-in engine, database
and secure store under /usr/share/zerinctl/demo; its tour.sh shows every
command at work on a copy of it.")
# Xerces-C++ is linked in; the C and C++ runtimes are the system's, and
# dpkg-shlibdeps names their packages and versions from the binaries.
find_program(ZERINCTL_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(ZERINCTL_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6")
endif()

include(CPack)
