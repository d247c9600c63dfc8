# Writes the launcher at install time, with the program's installed path.
set(TAMBERLINE_INSTALLED_PROGRAM "${CMAKE_INSTALL_PREFIX}/${program_bindir}/tamberline")
set(target "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${applications_dir}/tamberline.desktop")
message(STATUS "Installing: ${target}")
configure_file("${desktop_template}" "${target}" @ONLY)
