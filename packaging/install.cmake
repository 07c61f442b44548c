# Install-time steps of Halvora's folder that plain install() rules cannot
# express. cmake --install and cpack run them after the executable is in place:
#
#  - BazaIzotopow.mdb beside the executable, made from seed.sql only when the
#    folder has none. The file is the user's isotope table: reinstalling or
#    upgrading into the same folder must never replace it, and it is kept out
#    of install_manifest.txt so that removing the listed files spares it.
#  - share/applications/halvora.desktop with Exec naming the installed
#    executable by its absolute path (a launcher cannot name a program
#    relative to itself).
#
# The install(CODE) rule that includes this file sets:
#   HALVORA_MAKEDB         the built halvora_makedb tool
#   HALVORA_SEED_SQL       the seed of the default isotope table
#   HALVORA_DESKTOP_ENTRY  the launcher template (packaging/halvora.desktop)

get_filename_component(_halvora_prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
set(_halvora_root "$ENV{DESTDIR}${_halvora_prefix}")

# --- the isotope database ---------------------------------------------------
set(_halvora_db "${_halvora_root}/BazaIzotopow.mdb")
if(EXISTS "${_halvora_db}")
    message(STATUS "Keeping the existing database: ${_halvora_db}")
else()
    message(STATUS "Installing the default database: ${_halvora_db}")
    if(NOT EXISTS "${HALVORA_MAKEDB}")
        message(FATAL_ERROR "${HALVORA_MAKEDB} is missing: build the project before installing it")
    endif()
    # halvora_makedb fills a temporary file and renames it into place, and
    # itself leaves an existing target alone.
    execute_process(
        COMMAND "${HALVORA_MAKEDB}" "${HALVORA_SEED_SQL}" "${_halvora_db}"
        RESULT_VARIABLE _halvora_rc
        OUTPUT_QUIET)
    if(NOT _halvora_rc EQUAL 0 OR NOT EXISTS "${_halvora_db}")
        message(FATAL_ERROR "Could not make ${_halvora_db} (halvora_makedb: ${_halvora_rc})")
    endif()
endif()

# --- the launcher -------------------------------------------------------------
# Exec is always written as one quoted argument. Inside the quotes " ` $ and \
# take a backslash; the string escaping of the file then doubles every
# backslash, and a literal % is written %%.
set(_halvora_exec "${_halvora_prefix}/halvora")
string(REPLACE "\\" "\\\\" _halvora_exec "${_halvora_exec}")
string(REPLACE "\"" "\\\"" _halvora_exec "${_halvora_exec}")
string(REPLACE "`" "\\`" _halvora_exec "${_halvora_exec}")
string(REPLACE "$" "\\$" _halvora_exec "${_halvora_exec}")
string(REPLACE "\\" "\\\\" _halvora_exec "${_halvora_exec}")
string(REPLACE "%" "%%" _halvora_exec "${_halvora_exec}")

file(READ "${HALVORA_DESKTOP_ENTRY}" _halvora_entry)
# The template's leading comment is about the template, not the copy.
string(REGEX REPLACE "^(#[^\n]*\n)+" "" _halvora_entry "${_halvora_entry}")
# A placeholder first, then a literal replacement: REGEX REPLACE would read
# the backslashes of the quoted path as its own escapes.
string(REGEX REPLACE "\nExec=[^\n]*" "\nExec=@HALVORA_EXEC@" _halvora_entry "${_halvora_entry}")
string(REPLACE "@HALVORA_EXEC@" "\"${_halvora_exec}\"" _halvora_entry "${_halvora_entry}")

set(_halvora_desktop "share/applications/halvora.desktop")
message(STATUS "Installing: ${_halvora_root}/${_halvora_desktop}")
file(WRITE "${_halvora_root}/${_halvora_desktop}" "${_halvora_entry}")
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${_halvora_prefix}/${_halvora_desktop}")
