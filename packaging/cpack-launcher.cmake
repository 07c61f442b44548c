# Run by cpack after it has installed Halvora's folder into its staging area
# and before it packs the archive. The install step wrote the staging path
# into the launcher's Exec; the archive can be unpacked anywhere, so its
# launcher names the program plainly and register-launcher.sh, run from the
# unpacked folder, writes the user's launcher with the real path.

file(GLOB_RECURSE _halvora_entries
    "${CPACK_TEMPORARY_DIRECTORY}/*/share/applications/halvora.desktop"
    "${CPACK_TEMPORARY_DIRECTORY}/share/applications/halvora.desktop")
if(NOT _halvora_entries)
    message(FATAL_ERROR "No halvora.desktop under ${CPACK_TEMPORARY_DIRECTORY}")
endif()
foreach(_halvora_entry_file IN LISTS _halvora_entries)
    file(READ "${_halvora_entry_file}" _halvora_entry)
    string(REGEX REPLACE "\nExec=[^\n]*" "\nExec=halvora" _halvora_entry "${_halvora_entry}")
    file(WRITE "${_halvora_entry_file}" "${_halvora_entry}")
endforeach()
