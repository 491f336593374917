# Installs a gzip-compressed copy of SOURCE (relative to the calling folder) into DESTINATION. Debian wants manual
# pages and changelogs compressed at the highest level and without a time stamp, so that builds repeat byte for byte.
function(varnuth_install_gzipped source destination)
    get_filename_component(name "${source}" NAME)
    set(compressed "${CMAKE_CURRENT_BINARY_DIR}/${name}.gz")
    add_custom_command(OUTPUT "${compressed}"
        COMMAND gzip -9nc "${CMAKE_CURRENT_SOURCE_DIR}/${source}" > "${compressed}"
        DEPENDS "${source}")
    string(MAKE_C_IDENTIFIER "gzip_${name}" target)
    add_custom_target(${target} ALL DEPENDS "${compressed}")
    install(FILES "${compressed}" DESTINATION "${destination}")
endfunction()
